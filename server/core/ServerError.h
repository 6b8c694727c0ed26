// The errors this server answers with: each kind has a fixed HTTP-like status
// code, a fixed error code text and a fixed description, optionally followed
// by ": " and a detail (a member path, an id, a number).  The table lives in
// ServerError.cpp and is listed in server/README.md.
#pragma once

#include <cstdint>
#include <string>

#include "platform/foundation/SString.h"

namespace lumo_server {

enum class ErrorKind {
    NotJsonObject,           // 400 CMNTRY 101
    MissingMember,           // 400 CMNTRY 102
    WrongType,               // 400 CMNTRY 103
    DuplicateMember,         // 400 CMNTRY 104
    UnknownRequestType,      // 400 CMNTRY 105
    IllFormedText,           // 400 CMNTRY 106
    InvalidRequest,          // 400 CMNTRY 107
    InvalidSortOrQualifier,  // 400 CMNTRY 108
    TokenMissing,            // 401 CMNTRY 201
    TokenInvalid,            // 401 CMNTRY 202
    TokenExpired,            // 401 CMNTRY 203
    Forbidden,               // 403 CMNTRY 211
    NotFound,                // 404 CMNTRY 301
    RetentionIdReused,       // 409 CMNTRY 302
    RequestTooLarge,         // 413 CMNTRY 401
    MemberTooLarge,          // 413 CMNTRY 402
    StorageFailure,          // 500 CMNTRY 501
    StorageBusy              // 503 CMNTRY 502
};

struct ServerError {
    ErrorKind kind = ErrorKind::StorageFailure;
    int32_t statusCode = 500;
    std::string errorCode;     // "CMNTRY nnn"
    SWCharString description;  // fixed text, then ": " and the detail when there is one

    // detail is UTF-8; an empty detail leaves the fixed text alone.
    static ServerError make(ErrorKind kind, const std::string& detail = std::string());
};

}  // namespace lumo_server

#include "server/core/ServerError.h"

namespace lumo_server {
namespace {

struct ErrorEntry {
    ErrorKind kind;
    int32_t statusCode;
    const char* errorCode;
    const char* description;
};

const ErrorEntry kErrors[] = {
    {ErrorKind::NotJsonObject, 400, "CMNTRY 101", "Malformed request: the text is not a JSON object"},
    {ErrorKind::MissingMember, 400, "CMNTRY 102", "Missing member"},
    {ErrorKind::WrongType, 400, "CMNTRY 103", "Wrong type of member"},
    {ErrorKind::DuplicateMember, 400, "CMNTRY 104", "Duplicate member"},
    {ErrorKind::UnknownRequestType, 400, "CMNTRY 105", "Unknown request type"},
    {ErrorKind::IllFormedText, 400, "CMNTRY 106", "Ill-formed text in member"},
    {ErrorKind::InvalidRequest, 400, "CMNTRY 107", "Invalid request"},
    {ErrorKind::InvalidSortOrQualifier, 400, "CMNTRY 108", "Invalid sort parameter or qualifier"},
    {ErrorKind::TokenMissing, 401, "CMNTRY 201", "Logon token missing"},
    {ErrorKind::TokenInvalid, 401, "CMNTRY 202", "Logon token invalid"},
    {ErrorKind::TokenExpired, 401, "CMNTRY 203", "Logon token expired"},
    {ErrorKind::Forbidden, 403, "CMNTRY 211", "Not allowed"},
    {ErrorKind::NotFound, 404, "CMNTRY 301", "Comment not found"},
    {ErrorKind::RetentionIdReused, 409, "CMNTRY 302", "Retention id already used by another request"},
    {ErrorKind::RequestTooLarge, 413, "CMNTRY 401", "Request too large"},
    {ErrorKind::MemberTooLarge, 413, "CMNTRY 402", "Member too large"},
    {ErrorKind::StorageFailure, 500, "CMNTRY 501", "Storage failure"},
    {ErrorKind::StorageBusy, 503, "CMNTRY 502", "Storage busy: nothing was changed, please try again"},
};

}  // namespace

ServerError ServerError::make(ErrorKind kind, const std::string& detail)
{
    ServerError error;
    for (const ErrorEntry& entry : kErrors) {
        if (entry.kind != kind) continue;
        error.kind = kind;
        error.statusCode = entry.statusCode;
        error.errorCode = entry.errorCode;
        std::string text = entry.description;
        if (!detail.empty()) text += ": " + detail;
        error.description = SWCharString::fromUtf8(text);
        return error;
    }
    // Every kind is in the table; an unknown value reads as a storage failure.
    error.errorCode = "CMNTRY 501";
    error.description = SWCharString::fromUtf8("Storage failure");
    return error;
}

}  // namespace lumo_server

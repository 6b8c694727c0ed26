// A request as the reader hands it to the operations: every member already
// checked for presence, type, size and well-formed text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/foundation/SString.h"
#include "server/core/CommentRecord.h"

namespace lumo_server {

// Request kinds ("requestType") and response types ("responseType") on the wire.
enum RequestType : int32_t {
    kAddRequest = 1,
    kGetRequest = 2,
    kModifyRequest = 3,
    kDeleteRequest = 4,
    kTestConnectionRequest = 5,
    kHideRequest = 6,
    kDuplicateRequest = 7
};
enum ResponseType : int32_t {
    kAddResponse = 1,
    kGetResponse = 2,
    kModifyResponse = 3,
    kDeleteResponse = 4,
    kErrorResponse = 5,
    kTestConnectionResponse = 6,
    kHideResponse = 7,
    kDuplicateResponse = 8
};

// The success response type that answers a request kind; 0 for an unknown kind.
int32_t successResponseType(int32_t requestType);

// True for the kinds that change storage (and so take part in exactly-once execution).
bool changesStorage(int32_t requestType);

struct SortParam {
    int32_t attribute = 0;  // 0 last-modified time, 1 creation time
    int32_t order = 0;      // 0 ascending, 1 descending
};

struct Qualifier {
    int32_t attribute = 0;  // 0 TOP
    SWCharString value;
};

struct CommentaryRequest {
    int32_t requestType = 0;
    bool hasLogonToken = false;
    SWCharString logonToken;
    CommentRecord comment;
    std::vector<SortParam> sortParams;    // get
    std::vector<Qualifier> qualifiers;    // get
    std::vector<int32_t> commentIds;      // hide
    SWCharString targetDocCuid;           // duplicate
};

// Bounds of one request, in UTF-16 code units.
struct RequestLimits {
    std::size_t maxRequestChars = 1048576;
    std::size_t maxFieldChars = 65536;
};

}  // namespace lumo_server

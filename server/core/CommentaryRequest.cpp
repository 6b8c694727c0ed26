#include "server/core/CommentaryRequest.h"

namespace lumo_server {

int32_t successResponseType(int32_t requestType)
{
    switch (requestType) {
    case kAddRequest: return kAddResponse;
    case kGetRequest: return kGetResponse;
    case kModifyRequest: return kModifyResponse;
    case kDeleteRequest: return kDeleteResponse;
    case kTestConnectionRequest: return kTestConnectionResponse;
    case kHideRequest: return kHideResponse;
    case kDuplicateRequest: return kDuplicateResponse;
    default: return 0;
    }
}

bool changesStorage(int32_t requestType)
{
    return requestType == kAddRequest || requestType == kModifyRequest || requestType == kDeleteRequest ||
           requestType == kHideRequest || requestType == kDuplicateRequest;
}

}  // namespace lumo_server

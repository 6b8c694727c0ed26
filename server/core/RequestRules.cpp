#include "server/core/RequestRules.h"

#include "server/core/CommentOrdering.h"

namespace lumo_server {
namespace {

ServerError invalid(const char* reason) { return ServerError::make(ErrorKind::InvalidRequest, reason); }

bool hasContent(const CommentRecord& c)
{
    for (ContentField f : kContentFields)
        if (!contentField(c, f).isEmpty()) return true;
    return false;
}

}  // namespace

std::optional<ServerError> RequestRules::check(const CommentaryRequest& request)
{
    const CommentRecord& c = request.comment;
    switch (request.requestType) {
    case kAddRequest:
        if (c.text.isEmpty() || c.sourceCUID.isEmpty()) return invalid("comment text and sourceCUID are required");
        return std::nullopt;
    case kGetRequest: {
        if (c.sourceCUID.isEmpty()) return invalid("sourceCUID is required");
        CommentOrdering ordering;
        return CommentOrdering::parse(request.sortParams, request.qualifiers, ordering);
    }
    case kModifyRequest:
        if (c.commentId == -1 || c.sourceCUID.isEmpty()) return invalid("commentId and sourceCUID are required");
        if (!hasContent(c)) return invalid("nothing to modify");
        return std::nullopt;
    case kDeleteRequest:
        if (c.commentId == -1 || c.sourceCUID.isEmpty()) return invalid("commentId and sourceCUID are required");
        return std::nullopt;
    case kHideRequest:
        if (c.sourceCUID.isEmpty()) return invalid("sourceCUID is required");
        return std::nullopt;
    case kDuplicateRequest:
        if (c.sourceCUID.isEmpty() || request.targetDocCuid.isEmpty())
            return invalid("sourceCUID and targetDocCuid are required");
        // Design decision: the comparison is exact (code unit by code unit).
        if (c.sourceCUID == request.targetDocCuid) return invalid("targetDocCuid equals sourceCUID");
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

}  // namespace lumo_server

#include "server/core/CommentOperations.h"

#include <set>

#include "server/core/CommentOrdering.h"
#include "server/core/ResponseWriter.h"

namespace lumo_server {
namespace {

OperationResult succeed(std::u16string response)
{
    OperationResult result;
    result.ok = true;
    result.response = std::move(response);
    return result;
}

OperationResult failWith(ServerError error)
{
    OperationResult result;
    result.error = std::move(error);
    return result;
}

OperationResult notFound(int32_t commentId)
{
    return failWith(ServerError::make(ErrorKind::NotFound, std::to_string(commentId)));
}

}  // namespace

OperationResult CommentOperations::run(StoreTransaction& transaction, const CommentaryRequest& request,
                                       const SWCharString& user, int64_t nowMs)
{
    switch (request.requestType) {
    case kAddRequest: return add(transaction, request, user, nowMs);
    case kGetRequest: return get(transaction, request);
    case kModifyRequest: return modify(transaction, request, user, nowMs);
    case kDeleteRequest: return remove(transaction, request);
    case kHideRequest: return hide(transaction, request);
    case kDuplicateRequest: return duplicate(transaction, request, user, nowMs);
    case kTestConnectionRequest: return succeed(ResponseWriter::success(kTestConnectionResponse));
    default: return failWith(ServerError::make(ErrorKind::UnknownRequestType, std::to_string(request.requestType)));
    }
}

OperationResult CommentOperations::add(StoreTransaction& t, const CommentaryRequest& r, const SWCharString& user,
                                       int64_t now)
{
    CommentRecord c = r.comment;
    if (c.ownerCUID.isEmpty()) c.ownerCUID = user;
    if (c.userName.isEmpty()) c.userName = user;
    c.lastModifiedUserCuid = user;
    c.lastModifiedUserName = user;
    c.creationTimestamp = now;
    c.lastModifiedTimestamp = now;
    c.commentId = t.insertComment(c);
    return succeed(ResponseWriter::addSuccess(c));
}

OperationResult CommentOperations::get(StoreTransaction& t, const CommentaryRequest& r)
{
    CommentOrdering ordering;
    if (auto error = CommentOrdering::parse(r.sortParams, r.qualifiers, ordering)) return failWith(*error);

    const CommentRecord& c = r.comment;
    CommentFilter filter;
    filter.sourceCUID = c.sourceCUID;
    filter.includeHidden = c.hidden;
    filter.commentId = c.commentId;
    const std::pair<FilterColumn, const SWCharString*> candidates[] = {
        {FilterColumn::LogicalReportId, &c.logicalReportId}, {FilterColumn::AppName, &c.appName},
        {FilterColumn::AppContext, &c.appContext},           {FilterColumn::ContextCommon, &c.contextCommon},
        {FilterColumn::AppDatapath, &c.appDatapath},         {FilterColumn::OptionKey1, &c.optionKey1},
        {FilterColumn::OptionKey2, &c.optionKey2},           {FilterColumn::OptionKey3, &c.optionKey3},
        {FilterColumn::OptionKey4, &c.optionKey4},
    };
    for (const auto& candidate : candidates)
        if (!candidate.second->isEmpty()) filter.equals.emplace_back(candidate.first, *candidate.second);

    std::vector<CommentRecord> comments = t.selectComments(filter);
    ordering.apply(comments);
    return succeed(ResponseWriter::getSuccess(comments));
}

OperationResult CommentOperations::modify(StoreTransaction& t, const CommentaryRequest& r, const SWCharString& user,
                                          int64_t now)
{
    std::optional<CommentRecord> stored = t.findComment(r.comment.commentId, r.comment.sourceCUID);
    if (!stored) return notFound(r.comment.commentId);
    for (ContentField f : kContentFields) {
        const SWCharString& value = contentField(r.comment, f);
        if (!value.isEmpty()) contentField(*stored, f) = value;
    }
    stored->lastModifiedUserCuid = user;
    stored->lastModifiedUserName = user;
    stored->lastModifiedTimestamp = now;
    if (!t.updateComment(*stored)) return notFound(r.comment.commentId);
    return succeed(ResponseWriter::success(kModifyResponse));
}

OperationResult CommentOperations::remove(StoreTransaction& t, const CommentaryRequest& r)
{
    if (!t.deleteComment(r.comment.commentId, r.comment.sourceCUID)) return notFound(r.comment.commentId);
    return succeed(ResponseWriter::success(kDeleteResponse));
}

OperationResult CommentOperations::hide(StoreTransaction& t, const CommentaryRequest& r)
{
    // The module may send an id twice (the comment's own id is appended to
    // the list); each distinct id is handled once.
    std::set<int32_t> done;
    for (int32_t id : r.commentIds) {
        if (!done.insert(id).second) continue;
        if (!t.setHidden(id, r.comment.sourceCUID)) return notFound(id);
    }
    return succeed(ResponseWriter::success(kHideResponse));
}

OperationResult CommentOperations::duplicate(StoreTransaction& t, const CommentaryRequest& r,
                                             const SWCharString& user, int64_t now)
{
    CommentFilter filter;
    filter.sourceCUID = r.comment.sourceCUID;
    filter.includeHidden = true;
    for (CommentRecord c : t.selectComments(filter)) {
        c.sourceCUID = r.targetDocCuid;
        c.creationTimestamp = now;
        c.lastModifiedTimestamp = now;
        c.lastModifiedUserCuid = user;
        c.lastModifiedUserName = user;
        t.insertComment(c);
    }
    return succeed(ResponseWriter::success(kDuplicateResponse));
}

}  // namespace lumo_server

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

OperationResult CommentOperations::run(const CommentaryRequest& request, const SWCharString& user, int64_t nowMs)
{
    switch (request.requestType) {
    case kAddRequest: return add(request, user, nowMs);
    case kGetRequest: return get(request);
    case kModifyRequest: return modify(request, user, nowMs);
    case kDeleteRequest: return remove(request, user);
    case kHideRequest: return hide(request, user);
    case kDuplicateRequest: return duplicate(request, user, nowMs);
    case kTestConnectionRequest: return succeed(ResponseWriter::success(kTestConnectionResponse));
    default: return failWith(ServerError::make(ErrorKind::UnknownRequestType, std::to_string(request.requestType)));
    }
}

std::optional<CommentRecord> CommentOperations::changeable(int32_t commentId, const SWCharString& sourceCUID,
                                                           const SWCharString& user, ServerError& error)
{
    std::optional<CommentRecord> stored = m_store.findComment(commentId, sourceCUID);
    if (!stored) {
        error = ServerError::make(ErrorKind::NotFound, std::to_string(commentId));
        return std::nullopt;
    }
    if (auto refusal = m_policy.checkChange(user, *stored)) {
        error = *refusal;
        return std::nullopt;
    }
    return stored;
}

OperationResult CommentOperations::add(const CommentaryRequest& r, const SWCharString& user, int64_t now)
{
    if (auto refusal = m_policy.checkAdd(user, r.comment.ownerCUID)) return failWith(*refusal);
    CommentRecord c = r.comment;
    if (c.ownerCUID.isEmpty()) c.ownerCUID = user;
    c.userName = user;
    c.lastModifiedUserCuid = user;
    c.lastModifiedUserName = user;
    c.creationTimestamp = now;
    c.lastModifiedTimestamp = now;
    c.commentId = m_store.insertComment(c);
    return succeed(ResponseWriter::addSuccess(c));
}

OperationResult CommentOperations::get(const CommentaryRequest& r)
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

    std::vector<CommentRecord> comments = m_store.selectComments(filter);
    ordering.apply(comments);
    return succeed(ResponseWriter::getSuccess(comments));
}

OperationResult CommentOperations::modify(const CommentaryRequest& r, const SWCharString& user, int64_t now)
{
    ServerError error;
    std::optional<CommentRecord> stored = changeable(r.comment.commentId, r.comment.sourceCUID, user, error);
    if (!stored) return failWith(error);
    for (ContentField f : kContentFields) {
        const SWCharString& value = contentField(r.comment, f);
        if (!value.isEmpty()) contentField(*stored, f) = value;
    }
    stored->lastModifiedUserCuid = user;
    stored->lastModifiedUserName = user;
    stored->lastModifiedTimestamp = now;
    if (!m_store.updateComment(*stored)) return notFound(r.comment.commentId);
    return succeed(ResponseWriter::success(kModifyResponse));
}

OperationResult CommentOperations::remove(const CommentaryRequest& r, const SWCharString& user)
{
    ServerError error;
    if (!changeable(r.comment.commentId, r.comment.sourceCUID, user, error)) return failWith(error);
    if (!m_store.deleteComment(r.comment.commentId, r.comment.sourceCUID)) return notFound(r.comment.commentId);
    return succeed(ResponseWriter::success(kDeleteResponse));
}

OperationResult CommentOperations::hide(const CommentaryRequest& r, const SWCharString& user)
{
    // The module may send an id twice (the comment's own id is appended to
    // the list); each distinct id is handled once.  A refusal rolls back the
    // ids hidden before it.
    std::set<int32_t> done;
    for (int32_t id : r.commentIds) {
        if (!done.insert(id).second) continue;
        ServerError error;
        if (!changeable(id, r.comment.sourceCUID, user, error)) return failWith(error);
        if (!m_store.setHidden(id, r.comment.sourceCUID)) return notFound(id);
    }
    return succeed(ResponseWriter::success(kHideResponse));
}

OperationResult CommentOperations::duplicate(const CommentaryRequest& r, const SWCharString& user, int64_t now)
{
    CommentFilter filter;
    filter.sourceCUID = r.comment.sourceCUID;
    filter.includeHidden = true;
    for (CommentRecord c : m_store.selectComments(filter)) {
        c.sourceCUID = r.targetDocCuid;
        c.creationTimestamp = now;
        c.lastModifiedTimestamp = now;
        c.lastModifiedUserCuid = user;
        c.lastModifiedUserName = user;
        m_store.insertComment(c);
    }
    return succeed(ResponseWriter::success(kDuplicateResponse));
}

}  // namespace lumo_server

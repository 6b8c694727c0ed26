// The six comment operations, run inside one store transaction.  Each answers
// the finished response text or an error; on an error the caller rolls the
// transaction back, so an error never changes storage.
//
//   add        stores the comment with a new commentId; creation and
//              last-modified time := now; lastModifiedUserCuid and
//              lastModifiedUserName and userName := the caller; ownerCUID :=
//              the caller where the request leaves it empty (another owner:
//              AccessPolicy); every other member (connecXion and hidden
//              included) as sent.  Answers the stored comment under "comment".
//   get        the comments of sourceCUID, hidden ones only when the request's
//              comment has "hidden":true, filtered by equality on each of
//              logicalReportId, appName, appContext, contextCommon,
//              appDatapath, optionKey1..4 that is not empty and on commentId
//              when it is not -1; then ordered and cut (CommentOrdering).
//   modify     commentId + sourceCUID name the comment (404 when absent); the
//              ten content fields are replaced where the request has them
//              non-empty; last-modified time := now, last-modified user := the
//              caller.
//   delete     commentId + sourceCUID (404 when absent).
//   hide       every id of "CommentIds" must be a comment of sourceCUID (404
//              naming the first that is not, nothing changed); each gets
//              hidden := true.  An empty list is a no-op.
//   Modify, delete and hide first ask the AccessPolicy (403 when refused,
//   nothing changed; a hide is refused whole for one foreign comment).
//   duplicate  copies every comment of sourceCUID, hidden ones included, in
//              commentId order into targetDocCuid: new ids, creation and
//              last-modified time := now, last-modified user := the caller,
//              everything else kept.
//
// Design decisions: add keeps the request's hidden flag and connecXion;
// hiding is not an edit, so it leaves the last-modified time and user alone;
// a duplicate is made by the caller, so its last-modified user is the caller
// while owner and user name stay those of the original.
#pragma once

#include <cstdint>
#include <string>

#include "server/core/AccessPolicy.h"
#include "server/core/CommentStore.h"
#include "server/core/CommentaryRequest.h"
#include "server/core/ServerError.h"

namespace lumo_server {

struct OperationResult {
    bool ok = false;
    std::u16string response;  // when ok
    ServerError error;        // when !ok
};

class CommentOperations {
public:
    // The policy and the store must outlive the object.
    CommentOperations(StoreTransaction& transaction, const AccessPolicy& policy)
        : m_store(transaction), m_policy(policy)
    {
    }

    // request has passed RequestRules::check; user is the token's user.
    OperationResult run(const CommentaryRequest& request, const SWCharString& user, int64_t nowMs);

private:
    OperationResult add(const CommentaryRequest& r, const SWCharString& user, int64_t now);
    OperationResult get(const CommentaryRequest& r);
    OperationResult modify(const CommentaryRequest& r, const SWCharString& user, int64_t now);
    OperationResult remove(const CommentaryRequest& r, const SWCharString& user);
    OperationResult hide(const CommentaryRequest& r, const SWCharString& user);
    OperationResult duplicate(const CommentaryRequest& r, const SWCharString& user, int64_t now);
    // The stored comment the caller may change, or the error (404, 403).
    std::optional<CommentRecord> changeable(int32_t commentId, const SWCharString& sourceCUID,
                                            const SWCharString& user, ServerError& error);

    StoreTransaction& m_store;
    const AccessPolicy& m_policy;
};

}  // namespace lumo_server

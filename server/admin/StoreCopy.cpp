#include "server/admin/StoreCopy.h"

#include "server/admin/AdminError.h"

namespace lumo_server {
namespace {

constexpr int kPage = 1000;

std::string counted(int64_t n, const char* what) { return std::to_string(n) + " " + what; }

void check(bool ok, const std::string& what)
{
    if (!ok) throw AdminError("the counts do not add up (" + what + "): nothing was copied");
}

}  // namespace

std::string CopyReport::text() const
{
    return "copied " + counted(copied.comments, "comments") + " (" + counted(copied.hiddenComments, "hidden") +
           ") of " + counted(copied.documents, "documents") + " and " + counted(copied.replies, "replies") +
           "; the target holds " + counted(targetAfter.comments, "comments") + " and " +
           counted(targetAfter.replies, "replies");
}

void StoreCopy::requireEmpty(StoreTransaction& target, bool merge)
{
    const StoreCounts held = target.counts();
    if (merge || (held.comments == 0 && held.replies == 0)) return;
    throw AdminError("the target is not empty (" + counted(held.comments, "comments") + ", " +
                     counted(held.replies, "replies") + "); give --merge to add to it");
}

CopyReport StoreCopy::run(CommentStore& from, CommentStore& to, bool merge, int64_t nowMs)
{
    std::unique_ptr<StoreTransaction> source = from.beginRead();
    std::unique_ptr<StoreTransaction> target = to.beginWrite();
    requireEmpty(*target, merge);
    const StoreCounts before = target->counts();
    const StoreCounts expected = source->counts();

    CopyReport report;
    report.copied.documents = expected.documents;
    for (int32_t last = 0;;) {
        const std::vector<CommentRecord> page = source->commentsAfter(last, kPage);
        for (const CommentRecord& comment : page) {
            if (!target->restoreComment(comment))
                throw AdminError("comment id " + std::to_string(comment.commentId) +
                                 " exists in the target: nothing was copied");
            ++report.copied.comments;
            if (comment.hidden) ++report.copied.hiddenComments;
        }
        if (page.size() < static_cast<std::size_t>(kPage)) break;
        last = page.back().commentId;
    }
    for (const ReplyRecord& reply : source->liveReplies(nowMs)) {
        if (!target->restoreReply(reply))
            throw AdminError("the reply of retention id " + std::to_string(reply.key.retentionId) +
                             " exists in the target: nothing was copied");
        ++report.copied.replies;
    }
    target->continueIdsAfterHighest();

    report.targetAfter = target->counts();
    check(report.copied.comments == expected.comments, "comments read");
    check(report.copied.hiddenComments == expected.hiddenComments, "hidden comments read");
    check(report.targetAfter.comments == before.comments + report.copied.comments, "comments written");
    check(report.targetAfter.hiddenComments == before.hiddenComments + report.copied.hiddenComments,
          "hidden comments written");
    check(report.targetAfter.replies == before.replies + report.copied.replies, "replies written");
    target->commit();
    return report;
}

}  // namespace lumo_server

#include "server/core/RequestProcessor.h"

#include <chrono>

#include "model/JsonSupport.h"
#include "platform/foundation/STrace.h"
#include "platform/session/LogonToken.h"
#include "server/core/CommentOperations.h"
#include "server/core/RequestRules.h"
#include "server/core/ResponseWriter.h"

namespace lumo_server {
namespace {

const char kArea[] = "RequestProcessor";

ProcessOutcome errorOutcome(const ServerError& error, std::optional<int32_t> requestType)
{
    ProcessOutcome outcome;
    outcome.response = ResponseWriter::error(error);
    outcome.requestType = requestType;
    outcome.responseType = kErrorResponse;
    outcome.statusCode = error.statusCode;
    return outcome;
}

// Status and type of a recorded reply, for the request log.
void readHead(const std::u16string& reply, ProcessOutcome& outcome)
{
    lumo_json::Document document;
    document.Parse(reply.c_str());
    if (!document.IsObject()) return;
    auto status = document.FindMember(u"statusCode");
    if (status != document.MemberEnd() && status->value.IsInt()) outcome.statusCode = status->value.GetInt();
    auto type = document.FindMember(u"responseType");
    if (type != document.MemberEnd() && type->value.IsInt()) outcome.responseType = type->value.GetInt();
}

ProcessOutcome successOutcome(std::u16string response, int32_t requestType)
{
    ProcessOutcome outcome;
    outcome.response = std::move(response);
    outcome.requestType = requestType;
    outcome.responseType = successResponseType(requestType);
    return outcome;
}

ReplyRecord claimOf(const ExactlyOnceKey& key, const SWCharString& user, int32_t requestType, int64_t now)
{
    ReplyRecord claim;
    claim.key = key.key;
    claim.userName = user;
    claim.requestType = requestType;
    claim.expiresMs = key.expiresMs;
    claim.createdMs = now;
    return claim;
}

// Answers a request whose exactly-once key is taken from the key's row; the
// unit is undone, so whatever the request itself changed is not kept.  Only a
// purge between the claim and the look-up removes the row; the key is then
// claimed afresh.
GroupCommit::Verdict answerRecorded(std::optional<ReplyRecord> recorded, const CommentaryRequest& request,
                                    const SWCharString& user, ProcessOutcome& outcome)
{
    if (!recorded) return GroupCommit::Verdict::Again;
    // The key belongs to another user's or another kind of request: its
    // reply is not handed over.
    if (recorded->userName != user || recorded->requestType != request.requestType) {
        outcome = errorOutcome(ServerError::make(ErrorKind::RetentionIdReused), request.requestType);
        return GroupCommit::Verdict::Undo;
    }
    outcome = ProcessOutcome();
    outcome.response = std::move(recorded->reply);
    outcome.requestType = request.requestType;
    outcome.replayed = true;
    readHead(outcome.response, outcome);
    return GroupCommit::Verdict::Undo;
}

}  // namespace

RequestProcessor::RequestProcessor(CommentStore& store, ProcessorSettings settings, Clock clock)
    : m_store(store),
      m_settings(std::move(settings)),
      m_clock(clock ? std::move(clock) : Clock(&lumo_session::nowMilliseconds)),
      m_reader(m_settings.limits),
      m_verifier(m_settings.tokenSecret),
      m_policy(m_settings.authorization, m_settings.administrators),
      m_writes(store, m_settings.beforeCommit)
{
}

ProcessOutcome RequestProcessor::process(const std::u16string& text, const std::optional<ExactlyOnceKey>& key)
{
    const auto start = std::chrono::steady_clock::now();
    ProcessOutcome outcome = answer(text, key);
    if (m_observer)
        m_observer->requestAnswered(outcome,
                                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return outcome;
}

ProcessOutcome RequestProcessor::refuse(const ServerError& error)
{
    ProcessOutcome outcome = errorOutcome(error, std::nullopt);
    if (m_observer) m_observer->requestAnswered(outcome, 0.0);
    return outcome;
}

ProcessOutcome RequestProcessor::answer(const std::u16string& text, const std::optional<ExactlyOnceKey>& key)
{
    const auto arrived = std::chrono::steady_clock::now();
    ReadResult read = m_reader.read(text);
    if (!read.ok) return errorOutcome(read.error, read.requestType);
    const CommentaryRequest& request = read.request;

    if (request.requestType == kTestConnectionRequest) {
        ProcessOutcome outcome;
        outcome.response = ResponseWriter::success(kTestConnectionResponse);
        outcome.requestType = request.requestType;
        outcome.responseType = kTestConnectionResponse;
        return outcome;
    }
    if (auto error = RequestRules::check(request)) return errorOutcome(*error, request.requestType);

    const int64_t now = m_clock();
    SWCharString user;
    if (auto error = m_verifier.verify(request.logonToken, now, user)) return errorOutcome(*error, request.requestType);

    maybePurge(now);
    try {
        return runInTransaction(request, user, key, now, arrived);
    } catch (const StoreBusy& e) {
        S_TRACE_ERROR(kArea, 0, "storage busy, request rolled back: %1", e.what());
        ProcessOutcome busy = errorOutcome(ServerError::make(ErrorKind::StorageBusy), request.requestType);
        busy.storageFault = StorageFault::Timeout;
        return busy;
    } catch (const StoreError& e) {
        S_TRACE_ERROR(kArea, 0, "storage failure: %1", e.what());
    } catch (const std::exception& e) {
        S_TRACE_ERROR(kArea, 0, "unexpected failure: %1", e.what());
    }
    ProcessOutcome failed = errorOutcome(ServerError::make(ErrorKind::StorageFailure), request.requestType);
    failed.storageFault = StorageFault::Error;
    return failed;
}

ProcessOutcome RequestProcessor::runInTransaction(const CommentaryRequest& request, const SWCharString& user,
                                                  const std::optional<ExactlyOnceKey>& key, int64_t now,
                                                  std::chrono::steady_clock::time_point arrived)
{
    ProcessOutcome outcome;
    if (!changesStorage(request.requestType)) {
        std::unique_ptr<StoreTransaction> transaction = m_store.beginRead();
        OperationResult result = CommentOperations(*transaction, m_policy).run(request, user, now);
        return result.ok ? successOutcome(std::move(result.response), request.requestType)
                         : errorOutcome(result.error, request.requestType);
    }
    const auto deadline = m_settings.requestDeadlineMs > 0
                              ? arrived + std::chrono::milliseconds(m_settings.requestDeadlineMs)
                              : std::chrono::steady_clock::time_point::max();
    m_writes.run([&](StoreTransaction& transaction) { return write(transaction, request, user, key, now, outcome); },
                 deadline);
    return outcome;
}

// The write of one request inside its unit of a write transaction.  A request
// that carries an exactly-once key claims the key; when the key is taken, the
// request is answered from the reply table (or refused) and undone.  A claim
// the store checks only when the reply is recorded is looked up, too, when
// the request fails: a retry gets what its first run answered, also where
// running it again fails (a second delete).
GroupCommit::Verdict RequestProcessor::write(StoreTransaction& transaction, const CommentaryRequest& request,
                                             const SWCharString& user, const std::optional<ExactlyOnceKey>& key,
                                             int64_t now, ProcessOutcome& outcome)
{
    using Claim = StoreTransaction::Claim;
    const Claim claim = key ? transaction.claimReply(claimOf(*key, user, request.requestType, now)) : Claim::Claimed;
    if (claim == Claim::Taken) return answerRecorded(transaction.storedReply(key->key), request, user, outcome);
    OperationResult result = CommentOperations(transaction, m_policy).run(request, user, now);
    if (!result.ok) {
        if (claim == Claim::Unchecked)
            if (auto recorded = transaction.storedReply(key->key))
                return answerRecorded(std::move(recorded), request, user, outcome);
        outcome = errorOutcome(result.error, request.requestType);
        return GroupCommit::Verdict::Undo;
    }
    if (key && !transaction.recordReply(key->key, result.response))
        return answerRecorded(transaction.storedReply(key->key), request, user, outcome);
    outcome = successOutcome(std::move(result.response), request.requestType);
    return GroupCommit::Verdict::Keep;
}

void RequestProcessor::maybePurge(int64_t now)
{
    int64_t last = m_lastPurgeMs.load();
    if (now - last < m_settings.purgeIntervalMs) return;
    if (!m_lastPurgeMs.compare_exchange_strong(last, now)) return;  // another thread purges
    try {
        m_store.purgeReplies(now, now - m_settings.replyMaxAgeMs);
    } catch (const StoreError& e) {
        S_TRACE_ERROR(kArea, 0, "purging the reply table failed: %1", e.what());
    }
}

int64_t RequestProcessor::purgeReplies()
{
    const int64_t now = m_clock();
    m_lastPurgeMs.store(now);
    return m_store.purgeReplies(now, now - m_settings.replyMaxAgeMs);
}

}  // namespace lumo_server

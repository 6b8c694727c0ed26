// One execute call from request text to response text, without the ORB:
//   1. read the request strictly (RequestReader); test connection answers here;
//   2. check the kind's rules (RequestRules);
//   3. check the logon token (TokenVerifier);
//   4. run the operation in one store transaction, authorized by the
//      AccessPolicy (writes of concurrent requests may share a transaction:
//      GroupCommit).  A request that changes storage and carries an
//      exactly-once key first claims the key in the reply table, with the
//      caller and the request kind; when the key is already there, the
//      recorded reply is answered if it was claimed by the same user for the
//      same kind, and 409 otherwise; either way nothing runs.  Otherwise the
//      reply is recorded in the same transaction as the operation's changes.
//      Design decision: only successes are recorded: an error changes nothing,
//      so a retried failing request is simply checked again.  The token is
//      checked before the reply table is consulted, so a recorded reply is
//      only handed to a caller with a valid token.
// Design decision: now and then (at most once per purge interval, by the
// request that notices it is due) reply rows whose expiry has passed or that
// are older than the maximum age are deleted.
// Design decision: a request answers before its caller gives up.  Every wait
// of the store is bounded (busy timeout, lock and statement timeouts), and a
// request that has taken longer than requestDeadlineMs since it arrived is
// rolled back instead of committed (a server frozen or starved between
// receiving a request and committing it, whose caller has retried or given
// up by then).  Both are answered with 503 "CMNTRY 502" and change nothing.
// The deadline lies below the clients' per-attempt limit, so a commit the
// caller no longer waits for does not happen; a commit that happened just
// before a freeze is found by the caller's retry through its retention id.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "server/core/AccessPolicy.h"
#include "server/core/CommentStore.h"
#include "server/core/CommentaryRequest.h"
#include "server/core/GroupCommit.h"
#include "server/core/RequestReader.h"
#include "server/core/TokenVerifier.h"

namespace lumo_server {

// The FT request context of a call: who sent it, which logical request, and
// until when the client may retry it (milliseconds since the epoch, 0 = not
// given).
struct ExactlyOnceKey {
    ReplyKey key;
    int64_t expiresMs = 0;
};

// Whether the store failed a request, for metrics.
enum class StorageFault { None, Error, Timeout };

struct ProcessOutcome {
    std::u16string response;
    std::optional<int32_t> requestType;  // absent when the text could not be read that far
    int32_t responseType = 0;
    int32_t statusCode = 0;
    bool replayed = false;  // answered from the reply table
    StorageFault storageFault = StorageFault::None;
};

// Told about every request the processor answers (metrics).  Called on the
// thread that ran the request, so it must be thread-safe; it must not throw.
class ProcessObserver {
public:
    virtual ~ProcessObserver() = default;
    // seconds: from receiving the text to having the answer.
    virtual void requestAnswered(const ProcessOutcome& outcome, double seconds) = 0;
};

struct ProcessorSettings {
    RequestLimits limits;
    std::string tokenSecret;
    int64_t replyMaxAgeMs = 3600 * 1000;  // reply rows older than this are purged
    int64_t purgeIntervalMs = 60 * 1000;
    AuthorizationPolicy authorization = AuthorizationPolicy::Owner;
    std::vector<std::string> administrators;  // user names, UTF-8
    int64_t requestDeadlineMs = 5000;  // 0: none
    // Test aid: runs in every write transaction just before its commit
    // (the server's --fault stall=MS).
    std::function<void()> beforeCommit;
};

class RequestProcessor {
public:
    using Clock = std::function<int64_t()>;

    // The store must outlive the processor.  clock gives milliseconds since
    // the epoch (the system clock unless a test supplies one).
    RequestProcessor(CommentStore& store, ProcessorSettings settings, Clock clock = Clock());

    ProcessOutcome process(const std::u16string& text, const std::optional<ExactlyOnceKey>& key = std::nullopt);
    // Answers a call whose text could not even be taken as UTF-16 with this
    // error (counted like every other answer).
    ProcessOutcome refuse(const ServerError& error);

    // The observer (may be null) must outlive the processor; set it before
    // the first request.
    void setObserver(ProcessObserver* observer) { m_observer = observer; }

    // Deletes expired reply rows now; returns how many.
    int64_t purgeReplies();

    const RequestReader& reader() const { return m_reader; }

private:
    ProcessOutcome answer(const std::u16string& text, const std::optional<ExactlyOnceKey>& key);
    ProcessOutcome runInTransaction(const CommentaryRequest& request, const SWCharString& user,
                                    const std::optional<ExactlyOnceKey>& key, int64_t now,
                                    std::chrono::steady_clock::time_point arrived);
    GroupCommit::Verdict write(StoreTransaction& transaction, const CommentaryRequest& request,
                               const SWCharString& user, const std::optional<ExactlyOnceKey>& key, int64_t now,
                               ProcessOutcome& outcome);
    void maybePurge(int64_t now);

    CommentStore& m_store;
    ProcessorSettings m_settings;
    Clock m_clock;
    RequestReader m_reader;
    TokenVerifier m_verifier;
    AccessPolicy m_policy;
    GroupCommit m_writes;
    std::atomic<int64_t> m_lastPurgeMs{0};
    ProcessObserver* m_observer = nullptr;
};

}  // namespace lumo_server

// Group commit on SQLite: requests queued behind a running transaction share
// the next one, and each keeps exactly what it would have kept alone.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "server/core/GroupCommit.h"
#include "server/core/SqliteCommentStore.h"
#include "tests/native/support/Processes.h"

namespace server_test {
namespace {

using lumo_server::GroupCommit;
using test_support::TempDir;
using lumo_server::ReplyKey;
using lumo_server::StoreTransaction;
using Clock = std::chrono::steady_clock;

lumo_server::ReplyRecord claimFor(const std::string& name)
{
    lumo_server::ReplyRecord claim;
    claim.key = ReplyKey{name, 1};
    return claim;
}

// Claims the key and, when it was free, records a reply under it.
bool claimAndRecord(StoreTransaction& transaction, const std::string& name)
{
    return transaction.claimReply(claimFor(name)) != StoreTransaction::Claim::Taken &&
           transaction.recordReply(ReplyKey{name, 1}, u"{}");
}

bool stored(lumo_server::CommentStore& store, const std::string& name)
{
    return store.beginRead()->storedReply(ReplyKey{name, 1}).has_value();
}

template <typename Predicate> void waitFor(Predicate done)
{
    const auto giveUp = Clock::now() + std::chrono::seconds(20);
    while (!done() && Clock::now() < giveUp) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(done());
}

TEST(ServerGroupCommit, QueuedRequestsShareATransactionAndKeepOnlyTheirOwnOutcome)
{
    TempDir dir;
    lumo_server::SqliteCommentStore store(dir.file("db.sqlite"));
    constexpr std::size_t kFollowers = 6;
    GroupCommit* writes = nullptr;
    std::atomic<bool> leading{true};
    // The first transaction commits only once every follower is queued, so
    // that the followers run as one batch, in the order they were started.
    GroupCommit group(store, [&] {
        if (leading.exchange(false)) waitFor([&] { return writes->waiting() == kFollowers; });
    });
    writes = &group;

    auto claim = [](const char* name, GroupCommit::Verdict verdict) {
        return [=](StoreTransaction& t) { return claimAndRecord(t, name) ? verdict : GroupCommit::Verdict::Undo; };
    };
    bool readerSawLate = true;
    bool keptClaimedTwice = true;
    struct Case {
        GroupCommit::Work work;
        Clock::time_point deadline;
        std::string failure;  // what the request's thread catches
    };
    const auto later = Clock::now() + std::chrono::minutes(1);
    std::vector<Case> cases = {
        {claim("lead", GroupCommit::Verdict::Keep), later, ""},
        {claim("kept", GroupCommit::Verdict::Keep), later, ""},
        // The same key again in the same transaction: taken by the unit before.
        {[&](StoreTransaction& t) {
             keptClaimedTwice = claimAndRecord(t, "kept");
             return GroupCommit::Verdict::Undo;
         },
         later, ""},
        {claim("undone", GroupCommit::Verdict::Undo), later, ""},
        {[](StoreTransaction& t) -> GroupCommit::Verdict {
             claimAndRecord(t, "raises");
             throw std::runtime_error("work failed");
         },
         later, "work failed"},
        {claim("late", GroupCommit::Verdict::Keep), Clock::now(), "the request's deadline passed before its commit"},
        // Reads what the late request wrote earlier in the same transaction;
        // it must run again once that is rolled back.
        {[&](StoreTransaction& t) {
             readerSawLate = t.storedReply(ReplyKey{"late", 1}).has_value();
             return GroupCommit::Verdict::Undo;
         },
         later, ""},
    };
    std::vector<std::string> failures(cases.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        threads.emplace_back([&, i] {
            try {
                group.run(cases[i].work, cases[i].deadline);
            } catch (const std::exception& e) {
                failures[i] = e.what();
            }
        });
        // (Once the last one is queued the batch may start at any moment.)
        if (i == 0) waitFor([&] { return !leading; });
        else if (i < kFollowers) waitFor([&] { return group.waiting() == i; });
    }
    for (std::thread& thread : threads) thread.join();

    for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(cases[i].failure, failures[i]) << "request " << i;
    EXPECT_TRUE(stored(store, "lead"));
    EXPECT_TRUE(stored(store, "kept"));
    EXPECT_FALSE(stored(store, "undone"));
    EXPECT_FALSE(stored(store, "raises"));
    EXPECT_FALSE(stored(store, "late"));
    EXPECT_FALSE(readerSawLate);
    EXPECT_FALSE(keptClaimedTwice);
}

// Many threads at once, each request kept or undone: every one returns (no
// wake-up is lost, the lead always passes on), and exactly the kept ones are
// stored.
TEST(ServerGroupCommit, ConcurrentRequestsAllFinishWithTheirOwnOutcome)
{
    TempDir dir;
    lumo_server::SqliteCommentStore store(dir.file("db.sqlite"));
    GroupCommit group(store);
    constexpr int kThreads = 8, kRequests = 150;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRequests; ++i) {
                const std::string name = std::to_string(t) + "/" + std::to_string(i);
                group.run(
                    [&](StoreTransaction& transaction) {
                        claimAndRecord(transaction, name);
                        return i % 3 == 0 ? GroupCommit::Verdict::Undo : GroupCommit::Verdict::Keep;
                    },
                    Clock::now() + std::chrono::minutes(1));
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kRequests; ++i)
            ASSERT_EQ(i % 3 != 0, stored(store, std::to_string(t) + "/" + std::to_string(i))) << t << "/" << i;
    EXPECT_EQ(0u, group.waiting());
}

}  // namespace
}  // namespace server_test

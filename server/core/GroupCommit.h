// Runs the writes of requests in write transactions of the store, sharing
// one transaction among requests that arrive together where the store runs
// one write transaction at a time anyway (SQLite): group commit.
//
// A request's work runs in a unit of the transaction (StoreTransaction::mark)
// and says whether its changes are kept.  The first thread to find no
// transaction running leads: it takes the queued work of every waiting
// thread (up to kMaxBatch), runs each in its own unit, commits once, wakes
// the threads of that work and hands the lead to the next waiting thread.
// Work arriving meanwhile waits for the next transaction.
// No thread returns before the transaction holding its changes has
// committed, so a request is never answered before its change is stored.
// With one request at a time this is the plain transaction per request, on
// the caller's own thread.
//
// Failures: a unit whose work raises is undone and its thread gets the
// exception; the others go on.  A failure of the transaction itself (its
// begin, a unit that cannot be undone, the commit) is raised in every thread
// of the batch, and nothing of the batch is stored.  A kept unit whose
// deadline has passed when the transaction is about to commit is answered
// with StoreBusy; the transaction is then rolled back and the batch's other
// units run again in a new one, so that late work is never committed.
//
// Stores that run write transactions side by side (PostgreSQL) keep a
// transaction per request, run at once on the caller's thread.
#pragma once

#include <sched.h>
#include <semaphore.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <vector>

#include "server/core/CommentStore.h"

namespace lumo_server {

class GroupCommit {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr std::size_t kMaxBatch = 64;

    // What becomes of a unit's changes: kept, undone (the request failed, or
    // was answered without changing anything), or undone and the work run
    // once more in a fresh unit.
    enum class Verdict { Keep, Undo, Again };
    using Work = std::function<Verdict(StoreTransaction&)>;

    // beforeCommit (may be empty) runs in every transaction that keeps
    // changes, just before its commit (a test aid).
    GroupCommit(CommentStore& store, std::function<void()> beforeCommit = {});

    // Runs the work in a write transaction and returns once its changes are
    // committed or undone.  Raises what the work or the transaction raised
    // (StoreBusy, StoreError), and StoreBusy when kept work could not be
    // committed before its deadline.
    void run(const Work& work, TimePoint deadline);

    // Requests waiting for the next shared transaction.
    std::size_t waiting();

private:
    // Wakes one waiting thread.  The waiter first gives its processor to
    // other threads for a moment (kYieldFor) and only then sleeps on a POSIX
    // semaphore: most waits end with the commit under way, and a sleeping
    // thread can leave its processor idle, which (on a virtual machine
    // especially) is slow to wake again.  kYieldFor covers a wait for the
    // running batch and the next one also when the machine is slow (a batch
    // then takes 100 µs and more).  The post may be the last thing done
    // to it before the waiter returns and destroys it: the state's exchange,
    // or sem_post to a waiter asleep on it.
    class Wakeup {
    public:
        static constexpr std::chrono::microseconds kYieldFor{300};

        Wakeup() { sem_init(&m_semaphore, 0, 0); }
        ~Wakeup() { sem_destroy(&m_semaphore); }
        Wakeup(const Wakeup&) = delete;
        Wakeup& operator=(const Wakeup&) = delete;
        void post()
        {
            if (m_state.exchange(kPosted) == kAsleep) sem_post(&m_semaphore);
        }
        void wait()
        {
            const auto until = std::chrono::steady_clock::now() + kYieldFor;
            while (m_state.load() != kPosted && std::chrono::steady_clock::now() < until) sched_yield();
            int expected = kWaiting;
            if (m_state.compare_exchange_strong(expected, kAsleep))
                while (sem_wait(&m_semaphore) != 0) continue;  // EINTR
        }

    private:
        enum : int { kWaiting, kAsleep, kPosted };
        std::atomic<int> m_state{kWaiting};
        sem_t m_semaphore;
    };

    struct Unit {
        const Work* work = nullptr;
        TimePoint deadline;
        bool kept = false;
        std::exception_ptr failure;
        // Set by a leader before it posts `wake`: the unit has run (committed
        // or undone), or its thread leads next.
        bool done = false;
        bool leads = false;
        Wakeup wake;
    };

    void runAlone(Unit& unit);
    void runShared(Unit& unit);
    void runBatch(const std::vector<Unit*>& batch);
    void runUnit(StoreTransaction& transaction, Unit& unit);
    bool commitUnlessLate(StoreTransaction& transaction, std::vector<Unit*>& pending);

    CommentStore& m_store;
    const bool m_share;
    const std::function<void()> m_beforeCommit;

    std::mutex m_mutex;
    std::deque<Unit*> m_queue;
    bool m_leading = false;
};

}  // namespace lumo_server

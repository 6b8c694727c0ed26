#include "server/core/GroupCommit.h"

#include <algorithm>
#include <memory>

namespace lumo_server {
namespace {

const char kLate[] = "the request's deadline passed before its commit";
const char kAgainTwice[] = "a unit of work asked to run again twice";

bool pastDeadline(GroupCommit::TimePoint deadline) { return std::chrono::steady_clock::now() > deadline; }

}  // namespace

GroupCommit::GroupCommit(CommentStore& store, std::function<void()> beforeCommit)
    : m_store(store), m_share(store.serializesWrites()), m_beforeCommit(std::move(beforeCommit))
{
}

void GroupCommit::run(const Work& work, TimePoint deadline)
{
    Unit unit;
    unit.work = &work;
    unit.deadline = deadline;
    if (!m_share) return runAlone(unit);
    runShared(unit);
    if (unit.failure) std::rethrow_exception(unit.failure);
}

// A transaction of its own: no unit marks are needed, since undoing the work
// is rolling the transaction back.
void GroupCommit::runAlone(Unit& unit)
{
    for (int round = 0; round < 2; ++round) {
        std::unique_ptr<StoreTransaction> transaction = m_store.beginWrite();
        const Verdict verdict = (*unit.work)(*transaction);
        if (verdict == Verdict::Again) continue;
        if (verdict == Verdict::Undo) return;
        if (m_beforeCommit) m_beforeCommit();
        if (pastDeadline(unit.deadline)) throw StoreBusy(kLate);
        transaction->commit();
        return;
    }
    throw StoreError(kAgainTwice);
}

std::size_t GroupCommit::waiting()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.size();
}

// One thread leads at a time (m_leading).  A thread that finds no leader
// leads at once; the others sleep on their own unit until a leader has run
// it or hands them the lead.  A leader runs the queue's first units (its own
// is the first), hands the lead to the next queued unit's thread, if any,
// and wakes exactly the threads of its batch.  So the queue is empty
// whenever nobody leads, and a thread is woken once, for a reason.
void GroupCommit::runShared(Unit& unit)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_queue.push_back(&unit);
    if (m_leading) {
        lock.unlock();
        unit.wake.wait();  // done and leads are set before the post
        if (unit.done) return;
        lock.lock();
    }
    m_leading = true;
    const std::size_t count = std::min(m_queue.size(), kMaxBatch);
    std::vector<Unit*> batch(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(count));
    m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(count));
    lock.unlock();
    if (batch.size() == 1) {
        try {
            runAlone(unit);
        } catch (...) {
            unit.failure = std::current_exception();
        }
    } else {
        runBatch(batch);
    }
    lock.lock();
    Unit* next = m_queue.empty() ? nullptr : m_queue.front();
    m_leading = next != nullptr;
    if (next) next->leads = true;
    for (Unit* done : batch) done->done = true;
    lock.unlock();
    // A woken thread's unit goes away as it returns: nothing of it is
    // touched after its post.
    if (next) next->wake.post();
    for (Unit* done : batch)
        if (done != &unit) done->wake.post();
}

void GroupCommit::runBatch(const std::vector<Unit*>& batch)
{
    std::vector<Unit*> pending = batch;
    while (!pending.empty()) {
        try {
            std::unique_ptr<StoreTransaction> transaction = m_store.beginWrite();
            bool keeps = false;
            for (Unit* unit : pending) {
                runUnit(*transaction, *unit);
                keeps = keeps || unit->kept;
            }
            if (!keeps) return;
            if (m_beforeCommit) m_beforeCommit();
            if (commitUnlessLate(*transaction, pending)) return;
            // Rolled back.  Every unit but the late ones runs again: what a
            // unit answered may rest on another's changes (a replay of the
            // reply a unit just recorded), which are gone now.
        } catch (...) {
            const std::exception_ptr failure = std::current_exception();
            for (Unit* unit : pending) unit->failure = failure;
            return;
        }
    }
}

void GroupCommit::runUnit(StoreTransaction& transaction, Unit& unit)
{
    unit.kept = false;
    unit.failure = nullptr;
    for (int round = 0; round < 2; ++round) {
        transaction.mark();
        Verdict verdict;
        try {
            verdict = (*unit.work)(transaction);
        } catch (...) {
            transaction.undoMarked();  // raises when the transaction itself broke
            unit.failure = std::current_exception();
            return;
        }
        if (verdict == Verdict::Keep) {
            transaction.keepMarked();
            unit.kept = true;
            return;
        }
        transaction.undoMarked();
        if (verdict == Verdict::Undo) return;
    }
    unit.failure = std::make_exception_ptr(StoreError(kAgainTwice));
}

// Commits when no kept unit is late.  Otherwise the late units get StoreBusy
// and leave `pending`, and the transaction is left to roll back.
bool GroupCommit::commitUnlessLate(StoreTransaction& transaction, std::vector<Unit*>& pending)
{
    const auto late = std::stable_partition(pending.begin(), pending.end(), [](const Unit* unit) {
        return !unit->kept || !pastDeadline(unit->deadline);
    });
    if (late == pending.end()) {
        transaction.commit();
        return true;
    }
    for (auto unit = late; unit != pending.end(); ++unit) {
        (*unit)->kept = false;
        (*unit)->failure = std::make_exception_ptr(StoreBusy(kLate));
    }
    pending.erase(late, pending.end());
    return false;
}

}  // namespace lumo_server

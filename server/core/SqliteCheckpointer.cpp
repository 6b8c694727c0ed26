#include "server/core/SqliteCheckpointer.h"

#include <sqlite3.h>

#include "platform/foundation/STrace.h"
#include "server/core/CommentStore.h"
#include "server/core/SqliteConnection.h"

namespace lumo_server {
namespace {

const char kArea[] = "SqliteCheckpointer";
// The checkpointer's own connection waits this long to open (the file is in
// WAL mode already, so opening rarely waits at all).
constexpr int kOpenWaitMs = 1000;

}  // namespace

SqliteCheckpointer::SqliteCheckpointer(std::string path, SqliteLocking locking)
    : m_path(std::move(path)), m_locking(locking), m_thread([this] { run(); })
{
}

SqliteCheckpointer::~SqliteCheckpointer()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void SqliteCheckpointer::attach(SqliteConnection& connection) { connection.onWalCommit(&committed, this); }

int SqliteCheckpointer::checkpoints() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_checkpoints;
}

bool SqliteCheckpointer::committed(void* self, int frames)
{
    if (frames >= kFramesInline) return true;
    auto* checkpointer = static_cast<SqliteCheckpointer*>(self);
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(checkpointer->m_mutex);
        checkpointer->m_pending = true;
        // The WAL's frame count keeps growing until a writer starts it over;
        // a checkpoint is due each time it has grown by the threshold.
        if (frames < checkpointer->m_lastFrames) checkpointer->m_dueAtFrames = kFramesPerCheckpoint;
        checkpointer->m_lastFrames = frames;
        if (frames >= checkpointer->m_dueAtFrames && !checkpointer->m_due) {
            wake = checkpointer->m_due = true;
            checkpointer->m_dueAtFrames = frames + kFramesPerCheckpoint;
        }
    }
    if (wake) checkpointer->m_wake.notify_one();
    return false;
}

void SqliteCheckpointer::run()
{
    std::unique_ptr<SqliteConnection> connection;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait_for(lock, kIdlePeriod, [this] { return m_due || m_stopping; });
        const bool stopping = m_stopping;
        const bool work = m_pending;
        m_due = m_pending = false;
        if (work) {
            lock.unlock();
            try {
                // Opened on first use: the store has created the file by then.
                if (!connection) connection = std::make_unique<SqliteConnection>(m_path, kOpenWaitMs, false, m_locking);
                connection->checkpointPassive();
            } catch (const StoreError& e) {
                S_TRACE_ERROR(kArea, 0, "checkpointing the WAL failed: %1", e.what());
                connection.reset();
            }
            lock.lock();
            ++m_checkpoints;
        }
        if (stopping) return;
    }
}

}  // namespace lumo_server

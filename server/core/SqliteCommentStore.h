// The SQLite store: one database file, shared safely by the threads of one
// server and by several server processes on the same machine (or kept to
// one process: SqliteLocking::Exclusive).  Connections
// come from a pool (one per concurrently running transaction).  Write
// transactions are BEGIN IMMEDIATE, so two writers never interleave and the
// exactly-once check on the reply table is atomic across processes; readers
// run beside writers (WAL).  Durability: WAL with synchronous=NORMAL, so a
// committed change survives a killed process but not a power cut.  The WAL
// is checkpointed off the request path (SqliteCheckpointer), and since write
// transactions run one at a time, concurrent writes share them (GroupCommit).
#pragma once

#include <memory>
#include <string>

#include "server/core/CommentStore.h"
#include "server/core/ConnectionPool.h"
#include "server/core/SqliteCheckpointer.h"
#include "server/core/SqliteConnection.h"

namespace lumo_server {

class SqliteCommentStore : public CommentStore {
public:
    // Opens the file and creates the schema when missing (Create), or refuses
    // a missing file or one without the tables (Require).  Raises StoreError.
    // Design decision: opening waits up to kStartupWaitMs for other servers
    // opening the same new file at the same moment (the journal switch and
    // the schema creation); transactions then wait at most busyTimeoutMs for
    // the database (--sqlite-busy-timeout) and raise StoreBusy after that.
    // Exclusive: the file is this process's alone while the store is open;
    // opening waits at most busyTimeoutMs for another process to let go of
    // it, then raises StoreBusy saying so.
    static constexpr int kStartupWaitMs = 30000;
    explicit SqliteCommentStore(const std::string& path, int busyTimeoutMs = 3000,
                                SchemaMode mode = SchemaMode::Create, SqliteLocking locking = SqliteLocking::Shared);
    ~SqliteCommentStore() override;

    std::unique_ptr<StoreTransaction> beginWrite() override;
    std::unique_ptr<StoreTransaction> beginRead() override;
    int64_t purgeReplies(int64_t nowMs, int64_t createdBeforeMs) override;
    const char* kind() const override { return "sqlite"; }
    bool serializesWrites() const override { return true; }

    // Pool hand-out and return, for the transactions.
    std::unique_ptr<SqliteConnection> acquire();
    void release(std::unique_ptr<SqliteConnection> connection);
    int busyTimeoutMs() const { return m_busyTimeoutMs; }

private:
    std::string m_path;
    int m_busyTimeoutMs;
    SqliteLocking m_locking;
    SqliteCheckpointer m_checkpointer;  // outlives the pool's connections, which report to it
    ConnectionPool<SqliteConnection> m_pool;
};

}  // namespace lumo_server

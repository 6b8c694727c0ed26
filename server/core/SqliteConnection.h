// One SQLite connection with a cache of prepared statements.  Used by one
// thread at a time (the store hands connections out from a pool).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace lumo_server {

// Who may use a database file.  Shared: any process, SQLite's file locks
// taken and released around every transaction (several servers on one
// file).  Exclusive: the first connection takes the whole file for its
// process and keeps it until the process's last connection closes; the
// connections of that process lock among themselves in memory, the WAL index
// lives in memory, and a transaction makes no locking system calls.  Other
// processes find the file busy meanwhile.
enum class SqliteLocking { Shared, Exclusive };

class SqliteConnection {
public:
    // Opens the database file (creating it when missing if `create`); WAL
    // journal, synchronous=NORMAL, the given busy timeout.  Switching the
    // journal to WAL needs the database to itself for a moment and SQLite does
    // not wait for that under its busy handler: the switch is retried until
    // the busy timeout has passed.  Raises StoreError (StoreBusy when the file
    // stayed locked).
    SqliteConnection(const std::string& path, int busyTimeoutMs, bool create = true,
                     SqliteLocking locking = SqliteLocking::Shared);
    void setBusyTimeout(int busyTimeoutMs);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Runs statements without parameters.  Raises StoreError, StoreBusy when
    // the database stayed locked for the busy timeout.
    void exec(const char* sql);
    // The same for one statement without parameters or rows (BEGIN, COMMIT,
    // SAVEPOINT ...), prepared once and kept in the statement cache.
    void run(const char* sql);
    int changes() const;
    int64_t lastInsertRowid() const;

    // A cached prepared statement, reset when the Statement goes away.
    class Statement {
    public:
        Statement(SqliteConnection& connection, const std::string& sql);
        ~Statement();
        Statement(const Statement&) = delete;
        Statement& operator=(const Statement&) = delete;

        void bind(int index, const std::string& utf8);
        // Keeps the text until the statement ends, so SQLite need not copy it.
        void bind(int index, std::string&& utf8);
        void bind(int index, int64_t value);
        // True when a row is ready, false when the statement is done.
        bool step();
        int64_t int64(int column) const;
        std::string text(int column) const;

    private:
        SqliteConnection& m_connection;
        sqlite3_stmt* m_statement;
        std::deque<std::string> m_texts;  // bound without a copy (a deque does not move them)
    };

    // Hands the WAL's checkpoints to someone else: SQLite's own checkpoint at
    // the commit that fills the WAL is switched off, and after every commit
    // hook(context, frames in the WAL) is called instead.  When the hook
    // returns true, the committing connection checkpoints at once, as
    // SQLite's own checkpoint would.
    void onWalCommit(bool (*hook)(void* context, int frames), void* context);
    // Copies what it can of the WAL into the database file without waiting
    // for anyone (another checkpoint running is not an error).  Raises
    // StoreError.
    void checkpointPassive();

private:
    [[noreturn]] void raise(const std::string& what) const;
    sqlite3* m_db = nullptr;
    bool (*m_walHook)(void*, int) = nullptr;
    void* m_walHookContext = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
};

}  // namespace lumo_server

#include "server/core/SqliteConnection.h"

#include <sqlite3.h>

#include <chrono>
#include <thread>

#include "server/core/CommentStore.h"
#include "server/core/SqliteWalBuffering.h"

namespace lumo_server {
namespace {

bool isBusy(int rc) { return (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED; }

// SQLite counts every allocation under a global mutex for sqlite3_status(),
// which nothing here reads: some 2,000 instructions an add.  The setting must
// come before SQLite initializes (the first open, or the first look-up of a
// file-system layer); when something in the process initialized it earlier,
// the call fails and changes nothing.
void leaveAllocationsUncounted()
{
    static const int done = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)done;
}

}  // namespace

SqliteConnection::SqliteConnection(const std::string& path, int busyTimeoutMs, bool create, SqliteLocking locking)
{
    leaveAllocationsUncounted();
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &m_db, flags, sqliteWalBufferingVfs(locking == SqliteLocking::Exclusive)) != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        m_db = nullptr;
        throw StoreError("cannot open SQLite database " + path + ": " + message);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    try {
        // A new file gets 2 KiB pages.  An add changes a few pages whatever
        // their size (the comment's row, its index entry, the reply row), so
        // its commit writes and checksums about half the bytes it would with
        // 4 KiB pages.  An existing file keeps its page size.
        exec("PRAGMA page_size=2048");
        // WAL with synchronous=NORMAL: a commit survives a killed process (the
        // WAL is in the operating system's hands), not a power cut.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(busyTimeoutMs);
        for (;;) {
            try {
                exec("PRAGMA journal_mode=WAL");
                break;
            } catch (const StoreBusy&) {
                if (std::chrono::steady_clock::now() >= giveUp) throw;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        exec("PRAGMA synchronous=NORMAL");
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
}

SqliteConnection::~SqliteConnection()
{
    for (auto& entry : m_statements) sqlite3_finalize(entry.second);
    sqlite3_close(m_db);
}

void SqliteConnection::setBusyTimeout(int busyTimeoutMs) { sqlite3_busy_timeout(m_db, busyTimeoutMs); }

void SqliteConnection::raise(const std::string& what) const
{
    const std::string text = what + ": " + sqlite3_errmsg(m_db);
    if (isBusy(sqlite3_extended_errcode(m_db))) throw StoreBusy(text);
    throw StoreError(text);
}

void SqliteConnection::exec(const char* sql)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const std::string text = std::string("SQLite: ") + (message ? message : sqlite3_errmsg(m_db)) + " (" + sql + ")";
        sqlite3_free(message);
        if (isBusy(rc)) throw StoreBusy(text);
        throw StoreError(text);
    }
}

void SqliteConnection::run(const char* sql)
{
    Statement statement(*this, sql);
    statement.step();
}

void SqliteConnection::onWalCommit(bool (*hook)(void* context, int frames), void* context)
{
    m_walHook = hook;
    m_walHookContext = context;
    // Replaces SQLite's automatic checkpoint, which is itself such a hook.
    sqlite3_wal_hook(
        m_db,
        [](void* self, sqlite3* db, const char*, int frames) {
            auto* connection = static_cast<SqliteConnection*>(self);
            if (connection->m_walHook(connection->m_walHookContext, frames))
                sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
            return SQLITE_OK;
        },
        this);
}

void SqliteConnection::checkpointPassive()
{
    const int rc = sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    if (rc != SQLITE_OK && !isBusy(rc)) raise("SQLite checkpoint");
}

int SqliteConnection::changes() const { return sqlite3_changes(m_db); }

int64_t SqliteConnection::lastInsertRowid() const { return sqlite3_last_insert_rowid(m_db); }

SqliteConnection::Statement::Statement(SqliteConnection& connection, const std::string& sql)
    : m_connection(connection), m_statement(nullptr)
{
    auto found = connection.m_statements.find(sql);
    if (found != connection.m_statements.end()) {
        m_statement = found->second;
        return;
    }
    if (sqlite3_prepare_v3(connection.m_db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &m_statement, nullptr) != SQLITE_OK)
        connection.raise("SQLite prepare");
    connection.m_statements.emplace(sql, m_statement);
}

SqliteConnection::Statement::~Statement()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

void SqliteConnection::Statement::bind(int index, const std::string& utf8)
{
    if (sqlite3_bind_text(m_statement, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        m_connection.raise("SQLite bind");
}

void SqliteConnection::Statement::bind(int index, std::string&& utf8)
{
    // Most of a comment's sixteen texts are empty: nothing to keep.
    if (utf8.empty()) {
        if (sqlite3_bind_text(m_statement, index, "", 0, SQLITE_STATIC) != SQLITE_OK) m_connection.raise("SQLite bind");
        return;
    }
    const std::string& kept = m_texts.emplace_back(std::move(utf8));
    if (sqlite3_bind_text(m_statement, index, kept.data(), static_cast<int>(kept.size()), SQLITE_STATIC) != SQLITE_OK)
        m_connection.raise("SQLite bind");
}

void SqliteConnection::Statement::bind(int index, int64_t value)
{
    if (sqlite3_bind_int64(m_statement, index, value) != SQLITE_OK) m_connection.raise("SQLite bind");
}

bool SqliteConnection::Statement::step()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    m_connection.raise("SQLite step");
}

int64_t SqliteConnection::Statement::int64(int column) const { return sqlite3_column_int64(m_statement, column); }

std::string SqliteConnection::Statement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    const int bytes = sqlite3_column_bytes(m_statement, column);
    return data ? std::string(data, static_cast<std::size_t>(bytes)) : std::string();
}

}  // namespace lumo_server

#include "server/core/SqliteCommentStore.h"

#include <limits>

#include "server/core/CommentColumns.h"
#include "server/core/SqliteConnection.h"
#include "server/core/Utf16Text.h"

namespace lumo_server {
namespace {

// The reply table is kept in its primary key's B-tree (WITHOUT ROWID): a
// reply row changes one B-tree, not a table and its index.
#define LUMO_REPLY_TABLE                                                                       \
    "(client_id TEXT NOT NULL, retention_id INTEGER NOT NULL, expires_ms INTEGER NOT NULL,"  \
    " created_ms INTEGER NOT NULL, reply TEXT NOT NULL, user_name TEXT NOT NULL DEFAULT '',"  \
    " request_type INTEGER NOT NULL DEFAULT 0, PRIMARY KEY (client_id, retention_id)) WITHOUT ROWID"

// Comment ids are not AUTOINCREMENT: that rewrites its sqlite_sequence row,
// one more page in every add's commit.  See kRetiredIds.
const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS lumo_comment ("
    " comment_id INTEGER PRIMARY KEY,"
    " source_cuid TEXT NOT NULL, owner_cuid TEXT NOT NULL, text TEXT NOT NULL, user_name TEXT NOT NULL,"
    " last_modified_user_cuid TEXT NOT NULL, last_modified_user_name TEXT NOT NULL,"
    " logical_report_id TEXT NOT NULL, context_common TEXT NOT NULL, app_name TEXT NOT NULL,"
    " app_context TEXT NOT NULL, app_datapath TEXT NOT NULL, option_key1 TEXT NOT NULL,"
    " option_key2 TEXT NOT NULL, option_key3 TEXT NOT NULL, option_key4 TEXT NOT NULL,"
    " connecxion TEXT NOT NULL, creation_ts INTEGER NOT NULL, last_modified_ts INTEGER NOT NULL,"
    " hidden INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS lumo_comment_source ON lumo_comment (source_cuid, comment_id);"
    "CREATE TABLE IF NOT EXISTS lumo_reply " LUMO_REPLY_TABLE ";";

// No comment id is handed out twice.  lumo_meta keeps the highest id ever
// deleted ("retired_comment_id"), raised by a trigger so that any delete
// counts, whoever runs it, and an add takes the id after the higher of it and
// the highest id in the table (kNextCommentId).  A file of the earlier layout
// (AUTOINCREMENT) starts from its sqlite_sequence, which SQLite goes on
// keeping for it.  A server of an earlier version must not serve a file of
// this layout: it lets SQLite take the highest id plus one.
const char kRetiredIds[] =
    "CREATE TABLE IF NOT EXISTS lumo_meta (name TEXT PRIMARY KEY, value INTEGER NOT NULL) WITHOUT ROWID;"
    "CREATE TRIGGER IF NOT EXISTS lumo_comment_retired AFTER DELETE ON lumo_comment BEGIN"
    " UPDATE lumo_meta SET value = OLD.comment_id WHERE name = 'retired_comment_id' AND value < OLD.comment_id;"
    " END;";

const char kNextCommentId[] =
    "MAX(IFNULL((SELECT MAX(comment_id) FROM lumo_comment), 0),"
    " IFNULL((SELECT value FROM lumo_meta WHERE name = 'retired_comment_id'), 0)) + 1";

void keepRetiredIds(SqliteConnection& connection)
{
    connection.exec(kRetiredIds);
    int64_t retired = 0;
    bool sequence = false;
    {
        SqliteConnection::Statement present(connection,
                                            "SELECT count(*) FROM sqlite_master WHERE name = 'sqlite_sequence'");
        sequence = present.step() && present.int64(0) > 0;
    }
    if (sequence) {
        SqliteConnection::Statement seq(connection, "SELECT seq FROM sqlite_sequence WHERE name = 'lumo_comment'");
        if (seq.step()) retired = seq.int64(0);
    }
    SqliteConnection::Statement insert(
        connection, "INSERT OR IGNORE INTO lumo_meta (name, value) VALUES ('retired_comment_id', ?1)");
    insert.bind(1, retired);
    insert.step();
}

// Columns added to lumo_reply since its first layout, each with the statement
// that adds it to an older database.
const struct {
    const char* name;
    const char* addition;
} kReplyColumnsAdded[] = {
    {"user_name", "ALTER TABLE lumo_reply ADD COLUMN user_name TEXT NOT NULL DEFAULT ''"},
    {"request_type", "ALTER TABLE lumo_reply ADD COLUMN request_type INTEGER NOT NULL DEFAULT 0"},
};

void migrateReplyTable(SqliteConnection& connection)
{
    for (const auto& column : kReplyColumnsAdded) {
        SqliteConnection::Statement present(connection,
                                            "SELECT count(*) FROM pragma_table_info('lumo_reply') WHERE name = ?1");
        present.bind(1, std::string(column.name));
        if (present.step() && present.int64(0) == 0) connection.exec(column.addition);
    }
}

// A reply table of an earlier layout (a rowid table with an index for its
// key) is rebuilt as it is now, its rows kept.
void rebuildReplyTable(SqliteConnection& connection)
{
    std::string sql;
    {
        SqliteConnection::Statement layout(connection, "SELECT sql FROM sqlite_master WHERE name = 'lumo_reply'");
        if (layout.step()) sql = layout.text(0);
    }  // (reset: a running statement keeps the table from being dropped)
    if (sql.empty() || sql.find("WITHOUT ROWID") != std::string::npos) return;
    const std::string rebuild = std::string("CREATE TABLE lumo_reply_rebuilt " LUMO_REPLY_TABLE ";"
                                            "INSERT INTO lumo_reply_rebuilt SELECT ") +
                                kReplyColumnList +
                                " FROM lumo_reply;"
                                "DROP TABLE lumo_reply;"
                                "ALTER TABLE lumo_reply_rebuilt RENAME TO lumo_reply;";
    connection.exec(rebuild.c_str());
}

std::string utf8(const SWCharString& s) { return utf16ToUtf8(s.str()); }

CommentRecord readRow(const SqliteConnection::Statement& row)
{
    CommentRecord c;
    c.commentId = static_cast<int32_t>(row.int64(0));
    for (int i = 0; i < kCommentTextColumns; ++i) commentText(c, i) = SWCharString(utf8ToUtf16(row.text(1 + i)));
    c.creationTimestamp = row.int64(1 + kCommentTextColumns);
    c.lastModifiedTimestamp = row.int64(2 + kCommentTextColumns);
    c.hidden = row.int64(3 + kCommentTextColumns) != 0;
    return c;
}

// Binds the 16 texts, both timestamps and hidden to parameters first .. first+18.
void bindComment(SqliteConnection::Statement& statement, int first, const CommentRecord& c)
{
    for (int i = 0; i < kCommentTextColumns; ++i) statement.bind(first + i, utf8(commentText(c, i)));
    statement.bind(first + kCommentTextColumns, c.creationTimestamp);
    statement.bind(first + kCommentTextColumns + 1, c.lastModifiedTimestamp);
    statement.bind(first + kCommentTextColumns + 2, int64_t(c.hidden ? 1 : 0));
}

// Binds a reply row, its reply text apart, to parameters 1 .. 7 in the order
// of kReplyColumnList.
void bindReply(SqliteConnection::Statement& statement, const ReplyRecord& row, const std::u16string& reply)
{
    statement.bind(1, hexClientId(row.key.clientId));
    statement.bind(2, int64_t(row.key.retentionId));
    statement.bind(3, row.expiresMs);
    statement.bind(4, row.createdMs);
    statement.bind(5, utf16ToUtf8(reply));
    statement.bind(6, utf8(row.userName));
    statement.bind(7, int64_t(row.requestType));
}

ReplyRecord readReplyRow(const SqliteConnection::Statement& row)
{
    ReplyRecord r;
    r.key.clientId = clientIdFromHex(row.text(0));
    r.key.retentionId = static_cast<int32_t>(row.int64(1));
    r.expiresMs = row.int64(2);
    r.createdMs = row.int64(3);
    r.reply = utf8ToUtf16(row.text(4));
    r.userName = SWCharString(utf8ToUtf16(row.text(5)));
    r.requestType = static_cast<int32_t>(row.int64(6));
    return r;
}

std::string placeholders(int first, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) out += (i ? ", ?" : "?") + std::to_string(first + i);
    return out;
}

class SqliteTransaction : public StoreTransaction {
public:
    // busyTimeoutMs: how long this transaction waits for the database, when
    // not the store's setting (-1).
    SqliteTransaction(SqliteCommentStore& store, bool write, int busyTimeoutMs = -1)
        : m_store(store), m_connection(store.acquire()), m_ownBusyTimeout(busyTimeoutMs >= 0)
    {
        if (m_ownBusyTimeout) m_connection->setBusyTimeout(busyTimeoutMs);
        try {
            m_connection->run(write ? "BEGIN IMMEDIATE" : "BEGIN");
        } catch (const StoreError&) {
            releaseConnection();
            throw;
        }
        m_open = true;
    }

    ~SqliteTransaction() override
    {
        if (m_open) {
            try {
                m_connection->run("ROLLBACK");
            } catch (const StoreError&) {
                // The connection is closed rather than reused in an unknown state.
                m_connection.reset();
            }
        }
        releaseConnection();
    }

    void releaseConnection()
    {
        if (!m_connection) return;
        if (m_ownBusyTimeout) m_connection->setBusyTimeout(m_store.busyTimeoutMs());
        m_store.release(std::move(m_connection));
    }

    // The write transaction holds the database's only write lock, so no one
    // can take the key before recordReply, whose insert finds a taken key
    // itself: the row is written once, with its reply, and a request that is
    // undone writes none.
    Claim claimReply(const ReplyRecord& claim) override
    {
        m_claim = claim;
        return Claim::Unchecked;
    }

    std::optional<ReplyRecord> storedReply(const ReplyKey& key) override
    {
        SqliteConnection::Statement select(*m_connection,
                                           "SELECT user_name, request_type, expires_ms, created_ms, reply FROM lumo_reply"
                                           " WHERE client_id = ?1 AND retention_id = ?2");
        select.bind(1, hexClientId(key.clientId));
        select.bind(2, int64_t(key.retentionId));
        if (!select.step()) return std::nullopt;
        ReplyRecord row;
        row.key = key;
        row.userName = SWCharString(utf8ToUtf16(select.text(0)));
        row.requestType = static_cast<int32_t>(select.int64(1));
        row.expiresMs = select.int64(2);
        row.createdMs = select.int64(3);
        row.reply = utf8ToUtf16(select.text(4));
        return row;
    }

    bool recordReply(const ReplyKey& key, const std::u16string& reply) override
    {
        if (!m_claim || m_claim->key.clientId != key.clientId || m_claim->key.retentionId != key.retentionId)
            throw StoreError("reply to record was not claimed");
        // Only the key's conflict is ignored (OR IGNORE would skip a row
        // that breaks any other constraint, too).
        static const std::string sql = std::string("INSERT INTO lumo_reply (") + kReplyColumnList + ") VALUES (" +
                                       placeholders(1, 7) + ") ON CONFLICT (client_id, retention_id) DO NOTHING";
        SqliteConnection::Statement insert(*m_connection, sql);
        bindReply(insert, *m_claim, reply);
        m_claim.reset();
        insert.step();
        return m_connection->changes() == 1;
    }

    int32_t insertComment(const CommentRecord& comment) override
    {
        static const std::string sql = std::string("INSERT INTO lumo_comment (comment_id, ") +
                                       kCommentTextColumnList + ", creation_ts, last_modified_ts, hidden) VALUES (" +
                                       kNextCommentId + ", " + placeholders(1, kCommentTextColumns + 3) + ")";
        SqliteConnection::Statement insert(*m_connection, sql);
        bindComment(insert, 1, comment);
        insert.step();
        const int64_t id = m_connection->lastInsertRowid();
        if (id > std::numeric_limits<int32_t>::max()) throw StoreError("comment ids exhausted");
        return static_cast<int32_t>(id);
    }

    std::vector<CommentRecord> selectComments(const CommentFilter& filter) override
    {
        std::string sql = std::string("SELECT ") + kCommentSelectList + " FROM lumo_comment WHERE source_cuid = ?1";
        int next = 2;
        if (!filter.includeHidden) sql += " AND hidden = 0";
        if (filter.commentId != -1) sql += " AND comment_id = ?" + std::to_string(next++);
        for (const auto& condition : filter.equals)
            sql += std::string(" AND ") + filterColumnName(condition.first) + " = ?" + std::to_string(next++);
        sql += " ORDER BY comment_id";

        SqliteConnection::Statement select(*m_connection, sql);
        int index = 1;
        select.bind(index++, utf8(filter.sourceCUID));
        if (filter.commentId != -1) select.bind(index++, int64_t(filter.commentId));
        for (const auto& condition : filter.equals) select.bind(index++, utf8(condition.second));
        std::vector<CommentRecord> out;
        while (select.step()) out.push_back(readRow(select));
        return out;
    }

    std::optional<CommentRecord> findComment(int32_t commentId, const SWCharString& sourceCUID) override
    {
        static const std::string sql = std::string("SELECT ") + kCommentSelectList +
                                       " FROM lumo_comment WHERE comment_id = ?1 AND source_cuid = ?2";
        SqliteConnection::Statement select(*m_connection, sql);
        select.bind(1, int64_t(commentId));
        select.bind(2, utf8(sourceCUID));
        if (!select.step()) return std::nullopt;
        return readRow(select);
    }

    bool updateComment(const CommentRecord& comment) override
    {
        static const std::string sql = [] {
            std::string s = "UPDATE lumo_comment SET (";
            s += kCommentTextColumnList;
            s += ", creation_ts, last_modified_ts, hidden) = (" + placeholders(3, kCommentTextColumns + 3) +
                 ") WHERE comment_id = ?1 AND source_cuid = ?2";
            return s;
        }();
        SqliteConnection::Statement update(*m_connection, sql);
        update.bind(1, int64_t(comment.commentId));
        update.bind(2, utf8(comment.sourceCUID));
        bindComment(update, 3, comment);
        update.step();
        return m_connection->changes() == 1;
    }

    bool deleteComment(int32_t commentId, const SWCharString& sourceCUID) override
    {
        SqliteConnection::Statement remove(*m_connection,
                                           "DELETE FROM lumo_comment WHERE comment_id = ?1 AND source_cuid = ?2");
        remove.bind(1, int64_t(commentId));
        remove.bind(2, utf8(sourceCUID));
        remove.step();
        return m_connection->changes() == 1;
    }

    bool setHidden(int32_t commentId, const SWCharString& sourceCUID) override
    {
        SqliteConnection::Statement update(
            *m_connection, "UPDATE lumo_comment SET hidden = 1 WHERE comment_id = ?1 AND source_cuid = ?2");
        update.bind(1, int64_t(commentId));
        update.bind(2, utf8(sourceCUID));
        update.step();
        return m_connection->changes() == 1;
    }

    std::vector<CommentRecord> commentsAfter(int32_t afterId, int limit) override
    {
        static const std::string sql = std::string("SELECT ") + kCommentSelectList +
                                       " FROM lumo_comment WHERE comment_id > ?1 ORDER BY comment_id LIMIT ?2";
        SqliteConnection::Statement select(*m_connection, sql);
        select.bind(1, int64_t(afterId));
        select.bind(2, int64_t(limit));
        std::vector<CommentRecord> out;
        while (select.step()) out.push_back(readRow(select));
        return out;
    }

    std::vector<ReplyRecord> liveReplies(int64_t nowMs) override
    {
        static const std::string sql = std::string("SELECT ") + kReplyColumnList +
                                       " FROM lumo_reply WHERE expires_ms = 0 OR expires_ms >= ?1"
                                       " ORDER BY client_id, retention_id";
        SqliteConnection::Statement select(*m_connection, sql);
        select.bind(1, nowMs);
        std::vector<ReplyRecord> out;
        while (select.step()) out.push_back(readReplyRow(select));
        return out;
    }

    bool restoreComment(const CommentRecord& comment) override
    {
        static const std::string sql = std::string("INSERT OR IGNORE INTO lumo_comment (comment_id, ") +
                                       kCommentTextColumnList + ", creation_ts, last_modified_ts, hidden) VALUES (" +
                                       placeholders(1, kCommentTextColumns + 4) + ")";
        SqliteConnection::Statement insert(*m_connection, sql);
        insert.bind(1, int64_t(comment.commentId));
        bindComment(insert, 2, comment);
        insert.step();
        return m_connection->changes() == 1;
    }

    bool restoreReply(const ReplyRecord& reply) override
    {
        static const std::string sql =
            std::string("INSERT OR IGNORE INTO lumo_reply (") + kReplyColumnList + ") VALUES (" + placeholders(1, 7) + ")";
        SqliteConnection::Statement insert(*m_connection, sql);
        bindReply(insert, reply, reply.reply);
        insert.step();
        return m_connection->changes() == 1;
    }

    // An add already takes an id above the highest stored one.
    void continueIdsAfterHighest() override {}

    StoreCounts counts() override
    {
        SqliteConnection::Statement select(*m_connection, kCountsQuery);
        if (!select.step()) throw StoreError("counting returned no row");
        return StoreCounts{select.int64(0), select.int64(1), select.int64(2), select.int64(3)};
    }

    int64_t purge(int64_t nowMs, int64_t createdBeforeMs)
    {
        SqliteConnection::Statement remove(
            *m_connection, "DELETE FROM lumo_reply WHERE (expires_ms > 0 AND expires_ms < ?1) OR created_ms < ?2");
        remove.bind(1, nowMs);
        remove.bind(2, createdBeforeMs);
        remove.step();
        return m_connection->changes();
    }

    void mark() override { m_connection->run("SAVEPOINT lumo_unit"); }
    void keepMarked() override { m_connection->run("RELEASE lumo_unit"); }
    void undoMarked() override
    {
        m_connection->run("ROLLBACK TO lumo_unit");
        m_connection->run("RELEASE lumo_unit");
    }

    void commit() override
    {
        m_connection->run("COMMIT");
        m_open = false;
    }

private:
    SqliteCommentStore& m_store;
    std::unique_ptr<SqliteConnection> m_connection;
    bool m_ownBusyTimeout;
    bool m_open = false;
    std::optional<ReplyRecord> m_claim;  // claimed, its row not yet written
};

}  // namespace

SqliteCommentStore::SqliteCommentStore(const std::string& path, int busyTimeoutMs, SchemaMode mode,
                                       SqliteLocking locking)
    : m_path(path), m_busyTimeoutMs(busyTimeoutMs), m_locking(locking), m_checkpointer(path, locking)
{
    const bool create = mode == SchemaMode::Create;
    const bool exclusive = locking == SqliteLocking::Exclusive;
    std::unique_ptr<SqliteConnection> connection;
    try {
        connection = std::make_unique<SqliteConnection>(path, exclusive ? busyTimeoutMs : kStartupWaitMs, create,
                                                        locking);
    } catch (const StoreBusy& busy) {
        if (!exclusive) throw;
        throw StoreBusy(std::string(busy.what()) + "; another process has the file open, and exclusive locking"
                                                   " needs it to itself");
    }
    connection->exec("BEGIN IMMEDIATE");
    try {
        if (create)
            connection->exec(kSchema);
        else
            SqliteConnection::Statement(*connection, kCountsQuery).step();  // raises without the tables
        // A store of an older layout gets the newer reply columns and the
        // record of retired ids, also when it is only read from (as any
        // server's start would give them).
        migrateReplyTable(*connection);
        rebuildReplyTable(*connection);
        keepRetiredIds(*connection);
        connection->exec("COMMIT");
    } catch (...) {
        try {
            connection->exec("ROLLBACK");
        } catch (const StoreError&) {
        }
        throw;
    }
    connection->setBusyTimeout(busyTimeoutMs);
    m_checkpointer.attach(*connection);
    release(std::move(connection));
}

SqliteCommentStore::~SqliteCommentStore() = default;

std::unique_ptr<SqliteConnection> SqliteCommentStore::acquire()
{
    return m_pool.acquire(
        [this] {
            auto connection = std::make_unique<SqliteConnection>(m_path, m_busyTimeoutMs, true, m_locking);
            m_checkpointer.attach(*connection);
            return connection;
        },
        [](const SqliteConnection&) { return true; });
}

void SqliteCommentStore::release(std::unique_ptr<SqliteConnection> connection)
{
    m_pool.release(std::move(connection));
}

std::unique_ptr<StoreTransaction> SqliteCommentStore::beginWrite()
{
    return std::make_unique<SqliteTransaction>(*this, true);
}

std::unique_ptr<StoreTransaction> SqliteCommentStore::beginRead()
{
    return std::make_unique<SqliteTransaction>(*this, false);
}

int64_t SqliteCommentStore::purgeReplies(int64_t nowMs, int64_t createdBeforeMs)
{
    // Purging waits for nobody: a busy database is purged another time
    // (StoreBusy), and the request that noticed the purge was due is not held up.
    SqliteTransaction transaction(*this, true, 0);
    const int64_t purged = transaction.purge(nowMs, createdBeforeMs);
    transaction.commit();
    return purged;
}

}  // namespace lumo_server

// The WAL-buffering VFS: one write per commit, every commit readable by
// another connection the moment it is reported, and a commit kept when the
// process dies right after it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <string>

#include "server/core/SqliteWalBuffering.h"
#include "tests/native/server/support/ServerTestKit.h"

namespace server_test {
namespace {

std::atomic<int> g_writes{ 0 };
sqlite3_syscall_ptr g_pwrite = nullptr;

ssize_t countingPwrite(int fd, const void* data, size_t bytes, off_t offset)
{
    ++g_writes;
    return reinterpret_cast<ssize_t (*)(int, const void*, size_t, off_t)>(g_pwrite)(fd, data, bytes, offset);
}

// A connection on the buffering VFS (or on SQLite's own, vfs null) in WAL mode
// with checkpoints left to the test.
class Db {
public:
    Db(const std::string& path, const char* vfs = lumo_server::sqliteWalBufferingVfs())
    {
        EXPECT_EQ(SQLITE_OK, sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, vfs));
        exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA wal_autocheckpoint=0");
    }
    ~Db() { sqlite3_close(m_db); }
    void exec(const std::string& sql)
    {
        ASSERT_EQ(SQLITE_OK, sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr)) << sqlite3_errmsg(m_db);
    }
    std::string text(const std::string& sql)
    {
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr)) << sqlite3_errmsg(m_db);
        std::string out = sqlite3_step(statement) == SQLITE_ROW
            ? reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))
            : "";
        sqlite3_finalize(statement);
        return out;
    }

private:
    sqlite3* m_db = nullptr;
};

const char kSchema[] = "CREATE TABLE IF NOT EXISTS t (id INTEGER PRIMARY KEY, k TEXT, v TEXT);"
                       "CREATE INDEX IF NOT EXISTS t_k ON t (k);"
                       "CREATE TABLE IF NOT EXISTS u (id INTEGER PRIMARY KEY, v TEXT);";

// A text of `bytes` letters, so that a page read back wrong (zeros, or an
// older page) does not pass for it.
std::string letters(const std::string& bytes)
{
    return "substr(replace(hex(zeroblob(" + bytes + ")), '0', 'ab'), 1, " + bytes + ")";
}

std::string insertRow(int i, int bytes)
{
    return "INSERT INTO t (k, v) VALUES ('k" + std::to_string(i) + "', " + letters(std::to_string(bytes)) +
        "); INSERT INTO u (v) VALUES ('" + std::to_string(i) + "');";
}

const char kIntactRows[] = "SELECT count(*) FROM t WHERE v = substr(replace(hex(zeroblob(length(v))), '0', 'ab'), 1, "
                           "length(v))";

TEST(ServerSqliteWalBuffering, ACommitOfSeveralPagesReachesTheWalInOneWrite)
{
    sqlite3_vfs* unixVfs = sqlite3_vfs_find("unix");
    ASSERT_NE(nullptr, unixVfs);
    g_pwrite = unixVfs->xGetSystemCall(unixVfs, "pwrite64");
    ASSERT_NE(nullptr, g_pwrite);
    ASSERT_EQ(
        SQLITE_OK, unixVfs->xSetSystemCall(unixVfs, "pwrite64", reinterpret_cast<sqlite3_syscall_ptr>(countingPwrite)));
    TempDir dir;
    for (const char* vfs : { "unix", lumo_server::sqliteWalBufferingVfs() }) {
        Db db(dir.file(std::string(vfs) + ".sqlite"), vfs);
        db.exec(kSchema);
        db.exec(insertRow(0, 10));
        const int before = g_writes;
        db.exec("BEGIN;" + insertRow(1, 10) + "COMMIT;");  // three tables' pages
        const int writes = g_writes - before;
        if (vfs == std::string("unix"))
            EXPECT_GE(writes, 6) << "SQLite itself writes a header and a page per frame";
        else
            EXPECT_EQ(1, writes);
    }
    unixVfs->xSetSystemCall(unixVfs, "pwrite64", nullptr);
}

// The two halves of a transaction larger than a WAL file holds back, run
// through a small page cache: pages spilled to the WAL and read back, then
// changed again before the commit (SQLite then rewrites frames and their
// checksums in place).
std::string largeTransactionWrites(int i)
{
    std::string sql = "BEGIN;";
    for (int j = 1; j <= 40; ++j) sql += insertRow(i * 100 + j, 2000);
    return sql + insertRow(i, 300 * 1024);
}
std::string largeTransactionRewrites()
{
    return "UPDATE t SET v = " + letters("1900") + " WHERE length(v) = 2000; UPDATE u SET v = v || 'x';";
}
constexpr int kLargeTransactionRows = 41;

// Small and large transactions, each read by a second connection as soon as
// it is committed.
TEST(ServerSqliteWalBuffering, EveryCommitIsReadableByAnotherConnectionAtOnce)
{
    TempDir dir;
    Db writer(dir.file("db.sqlite"));
    writer.exec(kSchema);
    writer.exec("PRAGMA cache_size=20");
    Db reader(dir.file("db.sqlite"));
    int rows = 0;
    for (int i = 1; i <= 90; ++i) {
        if (i % 30 == 0) {
            rows += kLargeTransactionRows;
            writer.exec(largeTransactionWrites(i));
            ASSERT_EQ(std::to_string(rows), writer.text(kIntactRows));
            writer.exec(largeTransactionRewrites());
            ASSERT_EQ(std::to_string(rows), writer.text(kIntactRows));
            writer.exec("COMMIT");
        } else {
            rows += 1;
            writer.exec(insertRow(i, (i % 7) * 3000 + 10));
        }
        ASSERT_EQ(std::to_string(rows), reader.text("SELECT count(*) FROM u")) << "commit " << i;
        ASSERT_EQ(std::to_string(rows), reader.text(kIntactRows)) << "commit " << i;
        if (i % 20 == 0) writer.exec("PRAGMA wal_checkpoint(PASSIVE)");
    }
    EXPECT_EQ("ok", reader.text("PRAGMA integrity_check"));
}

// A process killed right after its commits: they are all there (the last
// one's frames rewritten in place, the case where a WAL frame header is
// written last), also when the process held the file exclusively and its
// WAL index, in its memory, died with it.
TEST(ServerSqliteWalBuffering, ACommitSurvivesTheProcessKilledRightAfterIt)
{
    for (const bool exclusive : {false, true}) {
        SCOPED_TRACE(exclusive ? "exclusive" : "shared");
        TempDir dir;
        const std::string path = dir.file("db.sqlite");
        Db(path).exec(kSchema);
        int ready[2];
        ASSERT_EQ(0, ::pipe(ready));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            sqlite3* db = nullptr;
            sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, lumo_server::sqliteWalBufferingVfs(exclusive));
            sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=20", nullptr,
                         nullptr, nullptr);
            for (int i = 0; i < 50; ++i) sqlite3_exec(db, insertRow(i, 5000).c_str(), nullptr, nullptr, nullptr);
            sqlite3_exec(db, (largeTransactionWrites(60) + largeTransactionRewrites() + "COMMIT;").c_str(), nullptr,
                         nullptr, nullptr);
            (void)!::write(ready[1], "x", 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(1, ::read(ready[0], &byte, 1));
        ::close(ready[0]);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        Db db(path);
        EXPECT_EQ(std::to_string(50 + kLargeTransactionRows), db.text("SELECT count(*) FROM u"));
        EXPECT_EQ(std::to_string(50 + kLargeTransactionRows), db.text(kIntactRows));
        EXPECT_EQ("ok", db.text("PRAGMA integrity_check"));
    }
}

}  // namespace
}  // namespace server_test

// The operation suite on SQLite, and what is particular to the SQLite store.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "server/core/SqliteCheckpointer.h"
#include "server/core/SqliteCommentStore.h"
#include "server/core/SqliteConnection.h"
#include "tests/native/server/OperationsSuite.h"

namespace server_test {
namespace {

class SqliteBackend : public StoreBackend {
public:
    std::string freshDatabase() override { return m_dir.file("db" + std::to_string(++m_count) + ".sqlite"); }
    std::unique_ptr<lumo_server::CommentStore> open(const std::string& location) override
    {
        return std::make_unique<lumo_server::SqliteCommentStore>(location);
    }
    void exec(const std::string& location, const std::string& sql) override
    {
        lumo_server::SqliteConnection(location, 1000).exec(sql.c_str());
    }

private:
    TempDir m_dir;
    int m_count = 0;
};

SqliteBackend g_sqlite;

INSTANTIATE_TEST_SUITE_P(Sqlite, ServerOps, ::testing::Values(&g_sqlite),
                         [](const auto&) { return std::string("file"); });

TEST(ServerSqliteStore, AnUnusablePathRaisesStoreError)
{
    TempDir dir;
    EXPECT_THROW(lumo_server::SqliteCommentStore(dir.file("missing/folder/db.sqlite")), lumo_server::StoreError);
}

// Checkpoints run off the request path, yet a steady stream of commits must
// not let the WAL grow without bound: past its inline threshold the
// committing connection checkpoints and the WAL starts over.
TEST(ServerSqliteStore, TheWalStaysBoundedUnderAStreamOfCommits)
{
    using lumo_server::SqliteCheckpointer;
    TempDir dir;
    const std::string path = dir.file("db.sqlite");
    lumo_server::SqliteCommentStore store(path);
    // A frame or more a commit: the stream writes three times the threshold.
    for (int32_t i = 0; i < 3 * SqliteCheckpointer::kFramesInline; ++i) {
        auto transaction = store.beginWrite();
        lumo_server::ReplyRecord claim;
        claim.key = lumo_server::ReplyKey{"client", i};
        ASSERT_NE(lumo_server::StoreTransaction::Claim::Taken, transaction->claimReply(claim));
        ASSERT_TRUE(transaction->recordReply(claim.key, u"{}"));
        transaction->commit();
    }
    struct stat wal {};
    ASSERT_EQ(0, ::stat((path + "-wal").c_str(), &wal));
    lumo_server::SqliteConnection connection(path, 1000);
    lumo_server::SqliteConnection::Statement pageSize(connection, "PRAGMA page_size");
    ASSERT_TRUE(pageSize.step());
    const off_t frameBytes = pageSize.int64(0) + 24;
    // Past the threshold the committing connection's checkpoint is refused
    // while the checkpointer's runs, and is tried again at the next commit.
    EXPECT_LT(wal.st_size / frameBytes, 2 * SqliteCheckpointer::kFramesInline);
}

int32_t addComment(lumo_server::CommentStore& store)
{
    auto transaction = store.beginWrite();
    lumo_server::CommentRecord comment;
    comment.sourceCUID = SWCharString(u"d");
    const int32_t id = transaction->insertComment(comment);
    transaction->commit();
    return id;
}

// A file of the earlier layout, whose ids came from AUTOINCREMENT: ids 1 to 3
// were handed out and 3 deleted, which only sqlite_sequence remembers.  The
// store's first add takes 4, and a delete by someone else (a shell) counts
// as well.
TEST(ServerSqliteStore, AFileOfTheEarlierLayoutNeverHandsOutADeletedIdAgain)
{
    TempDir dir;
    const std::string current = dir.file("current.sqlite"), earlier = dir.file("earlier.sqlite");
    { lumo_server::SqliteCommentStore made(current); }
    std::string schema;
    int64_t columns = 0;
    {
        lumo_server::SqliteConnection connection(current, 1000);
        lumo_server::SqliteConnection::Statement objects(
            connection, "SELECT sql FROM sqlite_master WHERE name IN ('lumo_comment', 'lumo_comment_source',"
                        " 'lumo_reply') ORDER BY rowid");
        while (objects.step()) schema += objects.text(0) + ";";
        lumo_server::SqliteConnection::Statement count(connection,
                                                       "SELECT count(*) FROM pragma_table_info('lumo_comment')");
        ASSERT_TRUE(count.step());
        columns = count.int64(0);
    }
    const std::string key = "comment_id INTEGER PRIMARY KEY";
    const auto at = schema.find(key);
    ASSERT_NE(at, std::string::npos) << schema;
    schema.insert(at + key.size(), " AUTOINCREMENT");
    for (int id = 1; id <= 3; ++id) {
        schema += "INSERT INTO lumo_comment VALUES (" + std::to_string(id);
        for (int64_t c = 1; c < columns; ++c) schema += ", 0";
        schema += ");";
    }
    g_sqlite.exec(earlier, schema + "DELETE FROM lumo_comment WHERE comment_id = 3");

    lumo_server::SqliteCommentStore store(earlier);
    EXPECT_EQ(addComment(store), 4);
    g_sqlite.exec(earlier, "DELETE FROM lumo_comment WHERE comment_id = 4");
    EXPECT_EQ(addComment(store), 5);
}

}  // namespace
}  // namespace server_test

// The operation suite on SQLite, and what is particular to the SQLite store.
#include <gtest/gtest.h>
#include <sys/stat.h>

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
// not let the WAL grow without bound.
TEST(ServerSqliteStore, TheWalStaysBoundedUnderAStreamOfCommits)
{
    TempDir dir;
    const std::string path = dir.file("db.sqlite");
    lumo_server::SqliteCommentStore store(path);
    for (int32_t i = 0; i < 6000; ++i) {
        auto transaction = store.beginWrite();
        lumo_server::ReplyRecord claim;
        claim.key = lumo_server::ReplyKey{"client", i};
        ASSERT_TRUE(transaction->claimReply(claim));
        transaction->recordReply(claim.key, u"{}");
        transaction->commit();
    }
    struct stat wal {};
    ASSERT_EQ(0, ::stat((path + "-wal").c_str(), &wal));
    lumo_server::SqliteConnection connection(path, 1000);
    lumo_server::SqliteConnection::Statement pageSize(connection, "PRAGMA page_size");
    ASSERT_TRUE(pageSize.step());
    const off_t frameBytes = pageSize.int64(0) + 24;
    EXPECT_LT(wal.st_size / frameBytes, 8000);
}

}  // namespace
}  // namespace server_test

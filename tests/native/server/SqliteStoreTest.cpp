// The operation suite on SQLite, and what is particular to the SQLite store.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace server_test

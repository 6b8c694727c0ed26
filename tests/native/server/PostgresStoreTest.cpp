// The operation suite on a private PostgreSQL instance, started once for the
// whole program and stopped by its process id at the end, also on failure.
#include <gtest/gtest.h>

#include "server/core/PostgresCommentStore.h"
#include "server/core/PostgresConnection.h"
#include "tests/native/server/OperationsSuite.h"
#include "tests/native/server/support/PostgresInstance.h"

namespace server_test {
namespace {

PostgresInstance g_postgres;

class PostgresEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        std::string error;
        if (!g_postgres.start(error)) FAIL() << error;
    }
    void TearDown() override { g_postgres.stop(); }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new PostgresEnvironment);

class PostgresBackend : public StoreBackend {
public:
    std::string freshDatabase() override { return g_postgres.freshSchema(); }
    std::unique_ptr<lumo_server::CommentStore> open(const std::string& location) override
    {
        return std::make_unique<lumo_server::PostgresCommentStore>(location);
    }
    void exec(const std::string& location, const std::string& sql) override
    {
        lumo_server::PostgresConnection(location).exec(sql.c_str());
    }
};

PostgresBackend g_backend;

INSTANTIATE_TEST_SUITE_P(Postgres, ServerOps, ::testing::Values(&g_backend),
                         [](const auto&) { return std::string("instance"); });

TEST(ServerPostgresStore, AnUnreachableServerRaisesStoreError)
{
    EXPECT_THROW(lumo_server::PostgresCommentStore("host=/nonexistent-socket-dir port=1 user=x dbname=x connect_timeout=2"),
                 lumo_server::StoreError);
}

// A lock held from outside runs into lock_timeout: the store raises
// StoreBusy (answered 503) well before a client's attempt ends, and the
// write leaves nothing behind.
TEST(ServerPostgresStore, AWriteThatWaitsForALockPastItsTimeoutRaisesStoreBusy)
{
    const std::string conninfo = g_postgres.freshSchema();
    lumo_server::PostgresCommentStore store(conninfo, lumo_server::SchemaMode::Create, {200, 1000});
    lumo_server::PostgresConnection holder(conninfo);
    holder.exec("BEGIN; LOCK TABLE lumo_reply IN ACCESS EXCLUSIVE MODE");

    const auto started = std::chrono::steady_clock::now();
    lumo_server::ReplyRecord claim;
    claim.key = lumo_server::ReplyKey{"client", 1};
    EXPECT_THROW(store.beginWrite()->claimReply(claim), lumo_server::StoreBusy);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2500));

    holder.exec("ROLLBACK");
    EXPECT_EQ(0, store.beginRead()->counts().replies);
}

}  // namespace
}  // namespace server_test

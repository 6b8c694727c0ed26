// The operation-semantics suite, run against each store (SQLite in
// server_tests, PostgreSQL in server_postgres_tests).  Requests go through the
// request processor exactly as the servant hands them over.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "server/core/CommentStore.h"
#include "server/core/RequestProcessor.h"
#include "tests/native/server/support/ServerTestKit.h"

namespace server_test {

class StoreBackend {
public:
    virtual ~StoreBackend() = default;
    // A fresh, empty database; the text says where it is.
    virtual std::string freshDatabase() = 0;
    virtual std::unique_ptr<lumo_server::CommentStore> open(const std::string& location) = 0;
    // Runs SQL statements on the database directly (no store).
    virtual void exec(const std::string& location, const std::string& sql) = 0;
};

constexpr char kSecret[] = "test-secret";
constexpr int64_t kStart = 1700000000000;  // the tests' clock starts here

class ServerOps : public ::testing::TestWithParam<StoreBackend*> {
protected:
    void SetUp() override;

    // Administrators: "root".
    std::unique_ptr<lumo_server::RequestProcessor> makeProcessor(
        lumo_server::CommentStore& store,
        lumo_server::AuthorizationPolicy policy = lumo_server::AuthorizationPolicy::Owner);
    std::string answer(const std::string& text);  // the reply's text
    Reply call(const std::string& text, const std::optional<lumo_server::ExactlyOnceKey>& key = std::nullopt);
    // Adds a comment; returns its id (fails the test on an error reply).
    int add(const std::string& source, const std::string& text, const std::string& moreMembers = "");
    // Every stored row of the document, hidden ones too, as the reply text.
    std::string rows(const std::string& source);
    std::vector<int> idsOf(const std::string& source, const std::string& sortparams = "",
                           const std::string& qualifiers = "", const std::string& moreMembers = "");

    std::string m_location;
    std::atomic<int64_t> m_now{kStart};
    std::string m_token;  // user "alice"
    std::unique_ptr<lumo_server::CommentStore> m_store;
    std::unique_ptr<lumo_server::RequestProcessor> m_processor;
};

// A token of the tests' secret for the user, valid all day.
std::string tokenFor(const std::string& user);
lumo_server::ExactlyOnceKey ftKey(const std::string& client, int32_t retention, int64_t expiresMs = 0);

}  // namespace server_test

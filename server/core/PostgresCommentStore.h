// The PostgreSQL store, for several servers sharing one database.  Every
// concurrently running transaction has its own connection from a pool.
// Exactly-once: the reply key is claimed with INSERT ... ON CONFLICT DO
// NOTHING inside the request's transaction, so of two servers racing on one
// retried request the second waits for the first and then finds its reply.
#pragma once

#include <memory>
#include <string>

#include "server/core/CommentStore.h"
#include "server/core/ConnectionPool.h"
#include "server/core/PostgresConnection.h"

namespace lumo_server {

class PostgresCommentStore : public CommentStore {
public:
    // Connects and creates the schema when missing (Create; waiting up to
    // 30 s for servers creating it at the same moment), or refuses a database
    // without the tables (Require).  Raises StoreError.
    explicit PostgresCommentStore(const std::string& conninfo, SchemaMode mode = SchemaMode::Create,
                                  const PostgresTimeouts& timeouts = PostgresTimeouts());
    ~PostgresCommentStore() override;

    std::unique_ptr<StoreTransaction> beginWrite() override;
    std::unique_ptr<StoreTransaction> beginRead() override;
    int64_t purgeReplies(int64_t nowMs, int64_t createdBeforeMs) override;
    const char* kind() const override { return "postgres"; }

    std::unique_ptr<PostgresConnection> acquire();
    void release(std::unique_ptr<PostgresConnection> connection);

private:
    std::string m_conninfo;
    PostgresTimeouts m_timeouts;
    ConnectionPool<PostgresConnection> m_pool;
};

}  // namespace lumo_server

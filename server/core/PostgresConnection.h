// One libpq connection.  Used by one thread at a time (the store hands
// connections out from a pool).  Every statement with values is sent with
// parameters (PQexecParams, text format); values never become SQL text.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace lumo_server {

// How long a statement waits for a lock (lock_timeout) and runs at most
// (statement_timeout), in milliseconds; 0: no limit.  A wait that runs out
// raises StoreBusy.
struct PostgresTimeouts {
    int lockTimeoutMs = 3000;
    int statementTimeoutMs = 4000;
};

class PostgresConnection {
public:
    // Connects and applies the timeouts; raises StoreError when the server is
    // unreachable or refuses.
    explicit PostgresConnection(const std::string& conninfo, const PostgresTimeouts& timeouts = PostgresTimeouts());
    ~PostgresConnection();
    PostgresConnection(const PostgresConnection&) = delete;
    PostgresConnection& operator=(const PostgresConnection&) = delete;

    // The result of one statement.
    class Result {
    public:
        explicit Result(pg_result* result) : m_result(result) {}
        ~Result();
        Result(Result&& other) noexcept : m_result(other.m_result) { other.m_result = nullptr; }
        Result(const Result&) = delete;
        Result& operator=(const Result&) = delete;
        Result& operator=(Result&&) = delete;

        int rows() const;
        int64_t affected() const;  // rows changed by INSERT, UPDATE, DELETE
        std::string text(int row, int column) const;
        int64_t int64(int row, int column) const;

    private:
        pg_result* m_result;
    };

    // Runs statements without parameters.  Raises StoreError (StoreBusy when a
    // wait ran out).
    void exec(const char* sql);
    // Runs one statement with text parameters ($1, $2, ...).  Raises StoreError.
    Result execParams(const std::string& sql, const std::vector<std::string>& params);

    bool healthy() const;

private:
    pg_conn* m_conn = nullptr;
};

}  // namespace lumo_server

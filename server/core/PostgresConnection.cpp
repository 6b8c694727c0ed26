#include "server/core/PostgresConnection.h"

#include <libpq-fe.h>

#include <cstdlib>

#include "server/core/CommentStore.h"

namespace lumo_server {
namespace {

std::string errorText(pg_conn* conn)
{
    std::string message = conn ? PQerrorMessage(conn) : "out of memory";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    return message;
}

// A wait that ran out: lock_timeout (lock_not_available), statement_timeout
// (query_canceled), or a deadlock or serialization failure that another try
// would get past.
bool isBusy(pg_result* result)
{
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    if (!state) return false;
    const std::string code = state;
    return code == "55P03" || code == "57014" || code == "40P01" || code == "40001";
}

void check(pg_conn* conn, pg_result* result, const std::string& sql)
{
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
    std::string message = result ? PQresultErrorMessage(result) : errorText(conn);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    const bool busy = isBusy(result);
    PQclear(result);
    const std::string text = "PostgreSQL: " + message + " (" + sql.substr(0, 80) + ")";
    if (busy) throw StoreBusy(text);
    throw StoreError(text);
}

}  // namespace

PostgresConnection::PostgresConnection(const std::string& conninfo, const PostgresTimeouts& timeouts)
{
    m_conn = PQconnectdb(conninfo.c_str());
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        const std::string message = errorText(m_conn);
        PQfinish(m_conn);
        m_conn = nullptr;
        throw StoreError("cannot connect to PostgreSQL: " + message);
    }
    // Notices ("relation ... already exists, skipping") are not errors.
    PQsetNoticeProcessor(m_conn, [](void*, const char*) {}, nullptr);
    if (PQsetClientEncoding(m_conn, "UTF8") != 0) {
        const std::string message = errorText(m_conn);
        PQfinish(m_conn);
        m_conn = nullptr;
        throw StoreError("PostgreSQL: cannot use UTF8: " + message);
    }
    const std::string limits = "SET lock_timeout = " + std::to_string(timeouts.lockTimeoutMs) +
                               "; SET statement_timeout = " + std::to_string(timeouts.statementTimeoutMs);
    try {
        exec(limits.c_str());
    } catch (const StoreError&) {
        PQfinish(m_conn);
        m_conn = nullptr;
        throw;
    }
}

PostgresConnection::~PostgresConnection() { PQfinish(m_conn); }

bool PostgresConnection::healthy() const { return m_conn && PQstatus(m_conn) == CONNECTION_OK; }

void PostgresConnection::exec(const char* sql)
{
    pg_result* result = PQexec(m_conn, sql);
    check(m_conn, result, sql);
    PQclear(result);
}

PostgresConnection::Result PostgresConnection::execParams(const std::string& sql,
                                                          const std::vector<std::string>& params)
{
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const std::string& p : params) values.push_back(p.c_str());
    pg_result* result = PQexecParams(m_conn, sql.c_str(), static_cast<int>(params.size()), nullptr, values.data(),
                                     nullptr, nullptr, 0);
    check(m_conn, result, sql);
    return Result(result);
}

PostgresConnection::Result::~Result() { PQclear(m_result); }

int PostgresConnection::Result::rows() const { return PQntuples(m_result); }

int64_t PostgresConnection::Result::affected() const
{
    const char* count = PQcmdTuples(m_result);
    return count && *count ? std::strtoll(count, nullptr, 10) : 0;
}

std::string PostgresConnection::Result::text(int row, int column) const
{
    const char* value = PQgetvalue(m_result, row, column);
    return value ? std::string(value, static_cast<std::size_t>(PQgetlength(m_result, row, column))) : std::string();
}

int64_t PostgresConnection::Result::int64(int row, int column) const
{
    const char* value = PQgetvalue(m_result, row, column);
    return value ? std::strtoll(value, nullptr, 10) : 0;
}

}  // namespace lumo_server

#include "server/admin/StoreAddress.h"

#include <libpq-fe.h>

#include "server/admin/AdminError.h"
#include "server/core/PostgresCommentStore.h"
#include "server/core/SqliteCommentStore.h"

namespace lumo_server {
namespace {

const char kSqlite[] = "sqlite:";
const char kPostgres[] = "postgres:";

bool startsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// "dbname=... host=..." of a connection string, for messages.
std::string whereTo(const std::string& conninfo)
{
    std::string out;
    PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), nullptr);
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        const std::string keyword = o->keyword;
        if (o->val && *o->val && (keyword == "dbname" || keyword == "host" || keyword == "port"))
            out += " " + keyword + "=" + o->val;
    }
    PQconninfoFree(options);
    return out;
}

}  // namespace

StoreAddress StoreAddress::parse(const std::string& text)
{
    StoreAddress address;
    if (startsWith(text, kSqlite) && text.size() > sizeof kSqlite - 1) {
        address.m_location = text.substr(sizeof kSqlite - 1);
    } else if (startsWith(text, kPostgres)) {
        address.m_postgres = true;
        address.m_location = text.substr(sizeof kPostgres - 1);
    } else {
        throw AdminError("a store is sqlite:PATH or postgres:CONNINFO, not '" + text + "'");
    }
    return address;
}

std::unique_ptr<CommentStore> StoreAddress::open(SchemaMode mode) const
{
    try {
        if (m_postgres) return std::make_unique<PostgresCommentStore>(m_location, mode);
        return std::make_unique<SqliteCommentStore>(m_location, 10000, mode);
    } catch (const StoreError& e) {
        throw AdminError("cannot open " + describe() + ": " + e.what());
    }
}

std::string StoreAddress::describe() const
{
    return m_postgres ? "postgres" + whereTo(m_location) : kSqlite + m_location;
}

}  // namespace lumo_server

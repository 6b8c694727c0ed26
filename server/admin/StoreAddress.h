// A store named on the admin tool's command line: "sqlite:PATH" or
// "postgres:CONNINFO".  A connection string should carry no password (libpq
// reads it from PGPASSFILE or ~/.pgpass), and describe() never shows one.
#pragma once

#include <memory>
#include <string>

#include "server/core/CommentStore.h"

namespace lumo_server {

class StoreAddress {
public:
    // Raises AdminError for a text of neither form.
    static StoreAddress parse(const std::string& text);

    // Opens the store; Require refuses a store without the tables (a source
    // is never created).  Raises AdminError naming the store and the reason.
    std::unique_ptr<CommentStore> open(SchemaMode mode) const;

    // "sqlite:PATH", or "postgres" with the database and host it names.
    std::string describe() const;

private:
    bool m_postgres = false;
    std::string m_location;  // the path or the connection string
};

}  // namespace lumo_server

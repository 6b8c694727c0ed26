// A private PostgreSQL instance for tests: initdb in a temporary folder, the
// server on a free port with its unix socket in that folder (no TCP), stopped
// by its process id.  initdb refuses to run as root, so as root both run as
// the "postgres" system user, with the folder handed over to it.
#pragma once

#include <memory>
#include <string>

#include "tests/native/server/support/ServerTestKit.h"

namespace server_test {

class PostgresInstance {
public:
    PostgresInstance() = default;
    ~PostgresInstance() { stop(); }

    // false with the reason when PostgreSQL cannot be started here.
    bool start(std::string& error);
    void stop();

    // A connection string whose tables live in their own schema (created
    // here), so that every test starts from an empty database.
    std::string freshSchema();

private:
    std::string conninfo(const std::string& extra) const;
    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<ChildProcess> m_server;
    int m_port = 0;
    int m_schemas = 0;
};

}  // namespace server_test

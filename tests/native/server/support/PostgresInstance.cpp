#include "tests/native/server/support/PostgresInstance.h"

#include <libpq-fe.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

namespace server_test {
namespace {

const char kUser[] = "postgres";

std::string findBinDir()
{
    std::vector<std::string> dirs;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
        const auto bin = entry.path() / "bin";
        if (std::filesystem::exists(bin / "initdb") && std::filesystem::exists(bin / "postgres"))
            dirs.push_back(bin.string());
    }
    std::sort(dirs.begin(), dirs.end());
    return dirs.empty() ? std::string() : dirs.back();
}

}  // namespace

bool PostgresInstance::start(std::string& error)
{
    auto fail = [&error](const std::string& message) {
        error = message;
        return false;
    };
    const std::string bin = findBinDir();
    if (bin.empty()) return fail("no PostgreSQL server binaries under /usr/lib/postgresql/*/bin");
    m_dir = std::make_unique<TempDir>();
    const bool root = geteuid() == 0;
    const std::string runAs = root ? kUser : "";
    if (root) {
        const struct passwd* pw = getpwnam(kUser);
        if (!pw) return fail("running as root and there is no postgres user");
        if (chown(m_dir->path().c_str(), pw->pw_uid, pw->pw_gid) != 0) return fail("cannot chown the data folder");
    }
    const std::string data = m_dir->file("data");
    {
        ChildProcess initdb({bin + "/initdb", "-D", data, "-A", "trust", "-U", "lumo", "-E", "UTF8", "--locale=C",
                             "--no-sync"},
                            m_dir->file("initdb.log"), m_dir->file("initdb.log"), runAs);
        if (initdb.wait(std::chrono::seconds(180)) != 0)
            return fail("initdb failed: " + readFile(m_dir->file("initdb.log")));
    }
    m_port = freePort();
    m_server = std::make_unique<ChildProcess>(
        std::vector<std::string>{bin + "/postgres", "-D", data, "-p", std::to_string(m_port), "-k", m_dir->path(), "-c",
                                 "listen_addresses=", "-c", "fsync=off", "-c", "max_connections=60"},
        m_dir->file("postgres.log"), m_dir->file("postgres.log"), runAs);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (PQping(conninfo("dbname=postgres").c_str()) != PQPING_OK) {
        if (!m_server->running() || std::chrono::steady_clock::now() > end) {
            error = "PostgreSQL did not start: " + readFile(m_dir->file("postgres.log"));
            stop();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

void PostgresInstance::stop()
{
    if (m_server) {
        // Fast shutdown; the destructor kills it should that not be enough.
        m_server->stop(SIGINT, std::chrono::seconds(30));
        m_server.reset();
    }
    m_dir.reset();
}

std::string PostgresInstance::conninfo(const std::string& extra) const
{
    return "host=" + m_dir->path() + " port=" + std::to_string(m_port) + " user=lumo " + extra;
}

std::string PostgresInstance::freshSchema()
{
    if (!m_server) throw std::runtime_error("PostgreSQL is not running");
    const std::string schema = "lumo_test_" + std::to_string(++m_schemas);
    PGconn* conn = PQconnectdb(conninfo("dbname=postgres").c_str());
    PGresult* result = PQexec(conn, ("CREATE SCHEMA " + schema).c_str());
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    PQfinish(conn);
    if (!ok) throw std::runtime_error("cannot create schema " + schema);
    return conninfo("dbname=postgres options='-c search_path=" + schema + "'");
}

}  // namespace server_test

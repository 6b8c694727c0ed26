#include "server/app/ServerOptions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace lumo_server {
namespace {

bool parseCount(const std::string& text, uint64_t max, uint64_t& out)
{
    if (text.empty() || text.size() > 18) return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value == 0 || value > max) return false;
    out = value;
    return true;
}

// A file that holds a secret (the token secret, a private key) must be
// private to its owner: readable, let alone writable, by nobody else.
bool checkPrivate(const std::string& path, const char* what, std::string& error)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        error = std::string("cannot read the ") + what + " " + path;
        return false;
    }
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) == 0) return true;
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    error = std::string("the ") + what + " " + path + " is open to other users (mode " + mode +
            "); make it private to its owner (chmod 600)";
    return false;
}

bool readWholeFile(const std::string& path, const char* what, std::string& text, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::string("cannot read the ") + what + " " + path;
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

bool readSecretFile(const std::string& path, std::string& secret, std::string& error)
{
    if (!checkPrivate(path, "token secret file", error)) return false;
    if (!readWholeFile(path, "token secret file", secret, error)) return false;
    while (!secret.empty() && (secret.back() == '\n' || secret.back() == '\r')) secret.pop_back();
    if (secret.empty()) {
        error = "the token secret file " + path + " is empty";
        return false;
    }
    return true;
}

// One administrator per line; blank lines and lines starting with '#' are skipped.
bool readAdministrators(const std::string& path, std::vector<std::string>& names, std::string& error)
{
    std::string text;
    if (!readWholeFile(path, "administrator file", text, error)) return false;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        line.erase(0, line.find_first_not_of(" \t"));
        if (!line.empty() && line[0] != '#') names.push_back(line);
    }
    return true;
}

}  // namespace

std::string ServerOptionsParser::defaultServerName()
{
    char host[256] = {0};
    if (gethostname(host, sizeof host - 1) != 0 || host[0] == 0) std::snprintf(host, sizeof host, "localhost");
    return std::string(host) + "-" + std::to_string(getpid());
}

bool ServerOptionsParser::parse(int argc, const char* const* argv, ServerOptions& options, std::string& error)
{
    auto fail = [&error](const std::string& message) {
        error = message;
        return false;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        uint64_t count = 0;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg.compare(0, 4, "-ORB") == 0) {
            options.orbArgs.push_back(arg);
            if (i + 1 < argc) options.orbArgs.push_back(argv[++i]);
        } else if (arg == "--naming") {
            if (!value(options.naming)) return false;
        } else if (arg == "--no-naming") {
            options.noNaming = true;
        } else if (arg == "--cluster") {
            if (!value(options.cluster)) return false;
            if (options.cluster.empty()) return fail("--cluster needs a non-empty name");
        } else if (arg == "--name") {
            if (!value(options.name)) return false;
            if (options.name.empty()) return fail("--name needs a non-empty name");
        } else if (arg == "--endpoint") {
            if (!value(options.endpoint)) return false;
        } else if (arg == "--tls-endpoint") {
            if (!value(options.tlsEndpoint)) return false;
        } else if (arg == "--sqlite") {
            if (!value(options.sqlitePath)) return false;
            options.sqliteGiven = true;
        } else if (arg == "--sqlite-locking") {
            if (!value(text)) return false;
            if (text != "shared" && text != "exclusive") return fail("--sqlite-locking needs shared or exclusive");
            options.sqliteExclusive = text == "exclusive";
        } else if (arg == "--postgres") {
            if (!value(options.postgres)) return false;
            if (options.postgres.empty()) return fail("--postgres needs a connection string");
        } else if (arg == "--token-secret-file") {
            if (!value(options.tokenSecretFile)) return false;
        } else if (arg == "--authorization") {
            if (!value(options.authorization)) return false;
            if (options.authorization != "owner" && options.authorization != "open")
                return fail("--authorization takes owner or open");
        } else if (arg == "--admin-user") {
            if (!value(text)) return false;
            if (text.empty()) return fail("--admin-user needs a non-empty name");
            options.administrators.push_back(text);
        } else if (arg == "--admin-file") {
            if (!value(text)) return false;
            if (!readAdministrators(text, options.administrators, error)) return false;
        } else if (arg == "--tls-cert") {
            if (!value(options.tlsCertificate)) return false;
        } else if (arg == "--tls-key") {
            if (!value(options.tlsKey)) return false;
        } else if (arg == "--tls-ca") {
            if (!value(options.tlsAuthority)) return false;
        } else if (arg == "--tls-only") {
            options.tlsOnly = true;
        } else if (arg == "--max-request-chars") {
            if (!value(text)) return false;
            if (!parseCount(text, 1ull << 30, count))
                return fail("--max-request-chars needs a number from 1 to 1073741824");
            options.maxRequestChars = static_cast<std::size_t>(count);
        } else if (arg == "--max-field-chars") {
            if (!value(text)) return false;
            if (!parseCount(text, 1ull << 30, count))
                return fail("--max-field-chars needs a number from 1 to 1073741824");
            options.maxFieldChars = static_cast<std::size_t>(count);
        } else if (arg == "--reply-max-age") {
            if (!value(text)) return false;
            if (!parseCount(text, 100ull * 365 * 86400, count))
                return fail("--reply-max-age needs a positive number of seconds");
            options.replyMaxAgeSeconds = static_cast<int64_t>(count);
        } else if (arg == "--sqlite-busy-timeout" || arg == "--pg-lock-timeout" || arg == "--pg-statement-timeout" ||
                   arg == "--request-deadline") {
            if (!value(text)) return false;
            if (!parseCount(text, 3600 * 1000, count)) return fail(arg + " needs a number of milliseconds from 1 to 3600000");
            int& field = arg == "--sqlite-busy-timeout" ? options.sqliteBusyTimeoutMs
                         : arg == "--pg-lock-timeout"   ? options.pgLockTimeoutMs
                         : arg == "--pg-statement-timeout" ? options.pgStatementTimeoutMs
                                                           : options.requestDeadlineMs;
            field = static_cast<int>(count);
        } else if (arg == "--max-threads") {
            if (!value(text)) return false;
            if (!parseCount(text, 10000, count)) return fail("--max-threads needs a number from 1 to 10000");
            options.maxThreads = static_cast<int>(count);
        } else if (arg == "--idle-connection-timeout" || arg == "--rebind-interval") {
            if (!value(text)) return false;
            if (!parseCount(text, 86400, count)) return fail(arg + " needs a number of seconds from 1 to 86400");
            (arg == "--rebind-interval" ? options.rebindSeconds : options.idleConnectionSeconds) = static_cast<int>(count);
        } else if (arg == "--request-log") {
            if (!value(options.requestLog)) return false;
        } else if (arg == "--ior-file") {
            if (!value(options.iorFile)) return false;
        } else if (arg == "--metrics-endpoint") {
            if (!value(options.metricsEndpoint)) return false;
            const std::size_t colon = options.metricsEndpoint.rfind(':');
            if (colon == std::string::npos || colon == 0 ||
                !parseCount(options.metricsEndpoint.substr(colon + 1), 65535, count))
                return fail("--metrics-endpoint needs HOST:PORT, e.g. 127.0.0.1:9464");
            options.metricsPort = static_cast<int>(count);
        } else if (arg == "--fault") {
            if (!value(text)) return false;
            if (text == "user-exception") {
                options.faultUserException = true;
            } else if (text.compare(0, 6, "delay=") == 0 && parseCount(text.substr(6), 3600 * 1000, count)) {
                options.faultDelayMs = static_cast<int>(count);
            } else if (text.compare(0, 6, "stall=") == 0 && parseCount(text.substr(6), 3600 * 1000, count)) {
                options.faultStallMs = static_cast<int>(count);
            } else if (text.compare(0, 6, "reply=") == 0 && text.size() > 6) {
                options.faultReplyFile = text.substr(6);
            } else {
                return fail("--fault takes user-exception, delay=<milliseconds>, stall=<milliseconds> or reply=<file>");
            }
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.help) return true;

    if (options.tokenSecretFile.empty()) return fail("a token secret is required (--token-secret-file)");
    if (!readSecretFile(options.tokenSecretFile, options.tokenSecret, error)) return false;
    if (options.tlsCertificate.empty() != options.tlsKey.empty()) return fail("--tls-cert and --tls-key go together");
    if (options.tlsOnly && options.tlsCertificate.empty()) return fail("--tls-only needs --tls-cert and --tls-key");
    if (!options.tlsAuthority.empty() && options.tlsCertificate.empty())
        return fail("--tls-ca needs --tls-cert and --tls-key");
    if (!options.tlsKey.empty() && !checkPrivate(options.tlsKey, "TLS key file", error)) return false;
    if (!options.postgres.empty() && options.sqliteGiven)
        return fail("give either --sqlite or --postgres, not both");
    if (!options.postgres.empty() && options.sqliteExclusive)
        return fail("--sqlite-locking is for SQLite, not with --postgres");
    if (options.noNaming && !options.naming.empty()) return fail("--naming and --no-naming exclude each other");
    if (options.name.empty()) options.name = defaultServerName();
    return true;
}

std::string ServerOptionsParser::helpText()
{
    return R"(Usage: lumo_commentary_server --token-secret-file PATH [options] [-ORB... options]

The reference commentary server: a CORBA servant of LumoCommentaryService
(operation execute: request JSON in, response JSON out), registered in the
Naming Service as <cluster>/<name> with kind "Nexa_LumoCommentary".
Prints "ready" once it is registered; SIGTERM or SIGINT unbinds its name,
shuts the ORB down and exits 0.

Location
  --naming REF            corbaloc, corbaname or IOR of the Naming Service
                          (default: the initial reference "NameService", so
                          -ORBInitRef NameService=... works too)
  --no-naming             do not register (clients use --ior-file)
  --cluster NAME          naming context of the cluster (default LumoCommentary);
                          created when missing
  --name NAME             this server's name in the cluster (default <hostname>-<pid>);
                          an existing binding of that name is replaced
  --endpoint ENDPOINT     where to listen (default giop:tcp:127.0.0.1: with a
                          free port chosen by the ORB)
  --ior-file PATH         write the servant's IOR to PATH once ready
  --metrics-endpoint HOST:PORT
                          serve Prometheus metrics over HTTP at
                          http://HOST:PORT/metrics (requests by kind and
                          status, replays, storage errors and timeouts,
                          request latency, threads in use, connections open)

Storage (the schema is created on first start)
  --sqlite PATH           SQLite database file (default ./lumo-commentary.db);
                          WAL journal, synchronous=NORMAL: a committed change
                          survives a killed process, not a power cut.  Several
                          servers on one machine may share one file.
  --sqlite-locking shared|exclusive
                          shared (default): other processes may use the file
                          too.  exclusive: this server keeps the file to
                          itself while it runs (no other server, no admin
                          tool), and its commits take no file locks
  --postgres CONNINFO     PostgreSQL connection string (libpq), instead of
                          SQLite: for several servers sharing one database

Time limits and resources
  --sqlite-busy-timeout MS  longest wait for the SQLite database (default 3000)
  --pg-lock-timeout MS      PostgreSQL lock_timeout (default 3000)
  --pg-statement-timeout MS PostgreSQL statement_timeout (default 4000)
                          (a wait that runs out: error 503 "CMNTRY 502",
                          nothing changed)
  --request-deadline MS   a change not committed this long after its request
                          arrived is rolled back and answered with 503
                          "CMNTRY 502" (default 5000; below the clients'
                          per-attempt limit)
  --max-threads N         threads serving calls, whatever the number of
                          connections (default 8)
  --idle-connection-timeout SECONDS
                          close connections idle this long (default 60)
  --rebind-interval SECONDS
                          bind the server's name in the Naming Service again
                          this often, so that a Naming Service restarted
                          without its data knows the server again (default 30)

Requests
  --token-secret-file PATH  file holding the secret that logon tokens are
                          signed with (required; private to its owner, or
                          the server refuses to start)
  --max-request-chars N   longest request text in UTF-16 code units
                          (default 1048576; longer: error 413 "CMNTRY 401")
  --max-field-chars N     longest string member in UTF-16 code units
                          (default 65536; longer: error 413 "CMNTRY 402")
  --reply-max-age SECONDS how long the reply of an exactly-once request is kept
                          at most (default 3600; also dropped once the
                          request's FT expiration time has passed)

Authorization (identity is the logon token's user)
  --authorization POLICY  owner (default): a comment is modified, deleted or
                          hidden by its owner or an administrator only;
                          open: by every valid logon
  --admin-user NAME       a user with the administrator's rights (repeatable)
  --admin-file PATH       administrators, one name per line ('#' comments)

TLS (omniORB's SSL transport)
  --tls-cert PATH         PEM certificate (chain) of this server
  --tls-key PATH          PEM private key of the certificate, unencrypted and
                          private to its owner
  --tls-ca PATH           PEM CA certificates: client certificates, when a
                          client presents one, must chain to these
  --tls-only              accept TLS connections only (no plain TCP endpoint)
  --tls-endpoint E        where to listen for TLS (default giop:ssl:127.0.0.1:)

Exactly-once execution
  A call carrying the FT_REQUEST service context (id 13) that adds, modifies,
  deletes, hides or duplicates runs at most once per (client id, retention
  id): its reply is stored with its changes in one transaction, and the same
  pair arriving again, here or at another server on the same database, is
  answered from the store when it comes from the same user with the same
  kind of request (else error 409, nothing runs).  Only successful replies
  are stored.

Test aids
  --request-log PATH      append one line per execute call and flush it:
                          "<retention id or -> <requestType or -> <responseType or -> <statusCode or ->"
                          plus " replay" when answered from the reply store
  --fault user-exception  every execute raises the user exception
                          ImplServ::OSCAFactory::connection_failure (the
                          caller sees CORBA::UNKNOWN)
  --fault delay=MS        wait MS milliseconds before answering each call
                          (after it has been executed and logged)
  --fault stall=MS        wait MS milliseconds in every write transaction
                          just before its commit (after the work, before the
                          request's deadline is checked)
  --fault reply=FILE      answer every execute with the text FILE holds at
                          that moment (UTF-8; read at every call, nothing is
                          executed; an unreadable file gives the empty text)

  -h, --help              this text

Exit codes: 0 after a clean shutdown, 1 storage or startup failure,
2 bad command line, 3 Naming Service unreachable or registration failed,
4 shutdown did not finish in time.
)";
}

}  // namespace lumo_server

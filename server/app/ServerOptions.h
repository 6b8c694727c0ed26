// Command line of lumo_commentary_server (see helpText() and server/README.md).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumo_server {

struct ServerOptions {
    std::string naming;                   // --naming; empty: resolve_initial_references
    // Design decision: --no-naming lets benchmarks and tests run a server
    // without a Naming Service (clients then use --ior-file).
    bool noNaming = false;                // --no-naming
    std::string cluster = "LumoCommentary";
    std::string name;                     // --name; empty: <hostname>-<pid>
    std::string endpoint = "giop:tcp:127.0.0.1:";
    std::string sqlitePath = "./lumo-commentary.db";
    bool sqliteGiven = false;
    bool sqliteExclusive = false;  // --sqlite-locking exclusive
    std::string postgres;                 // --postgres conninfo; non-empty: PostgreSQL
    std::string tokenSecret;              // read from --token-secret-file
    std::string tokenSecretFile;
    std::string authorization = "owner";  // --authorization owner|open
    std::vector<std::string> administrators;  // --admin-user, and the lines of --admin-file
    std::string tlsCertificate;           // --tls-cert PEM file (the certificate chain)
    std::string tlsKey;                   // --tls-key PEM file (unencrypted private key)
    std::string tlsAuthority;             // --tls-ca PEM file of the CAs that client certificates must chain to
    bool tlsOnly = false;                 // --tls-only: no plain TCP endpoint
    std::string tlsEndpoint = "giop:ssl:127.0.0.1:";
    std::size_t maxRequestChars = 1048576;
    std::size_t maxFieldChars = 65536;
    int64_t replyMaxAgeSeconds = 3600;  // Design decision: an hour outlasts any retry
    // Design decision: the time limits and bounds (server/README.md, "Time
    // limits and resources"): storage waits end well before the request's
    // deadline, which ends well before the clients' per-attempt limit (8 s).
    int sqliteBusyTimeoutMs = 3000;       // --sqlite-busy-timeout
    int pgLockTimeoutMs = 3000;           // --pg-lock-timeout
    int pgStatementTimeoutMs = 4000;      // --pg-statement-timeout
    int requestDeadlineMs = 5000;         // --request-deadline
    int maxThreads = 8;                   // --max-threads
    int idleConnectionSeconds = 60;       // --idle-connection-timeout
    int rebindSeconds = 30;               // --rebind-interval
    std::string requestLog;
    std::string iorFile;
    std::string metricsEndpoint;          // --metrics-endpoint HOST:PORT; empty: no metrics
    int metricsPort = 0;                  // the PORT of metricsEndpoint
    bool faultUserException = false;
    int faultDelayMs = 0;
    int faultStallMs = 0;                 // --fault stall=MS
    std::string faultReplyFile;           // --fault reply=FILE
    bool help = false;
    std::vector<std::string> orbArgs;     // -ORB... options, passed to ORB_init as given
};

class ServerOptionsParser {
public:
    // Fills options from the arguments; false with a message on a bad command
    // line.  Reads the secret and administrator files; refuses a secret or
    // key file that other users may read.
    static bool parse(int argc, const char* const* argv, ServerOptions& options, std::string& error);
    static std::string helpText();
    // "<hostname>-<pid>".
    static std::string defaultServerName();
};

}  // namespace lumo_server

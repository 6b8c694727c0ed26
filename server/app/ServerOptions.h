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
    std::string postgres;                 // --postgres conninfo; non-empty: PostgreSQL
    std::string tokenSecret;              // resolved from --token-secret or --token-secret-file
    std::string tokenSecretFile;
    bool tokenSecretGiven = false;
    std::size_t maxRequestChars = 1048576;
    std::size_t maxFieldChars = 65536;
    int64_t replyMaxAgeSeconds = 3600;  // Design decision: an hour outlasts any retry
    std::string requestLog;
    std::string iorFile;
    bool faultUserException = false;
    int faultDelayMs = 0;
    std::string faultReplyFile;           // --fault reply=FILE
    bool help = false;
    std::vector<std::string> orbArgs;     // -ORB... options, passed to ORB_init as given
};

class ServerOptionsParser {
public:
    // Fills options from the arguments; false with a message on a bad command
    // line.  Reads the secret file when one is named.
    static bool parse(int argc, const char* const* argv, ServerOptions& options, std::string& error);
    static std::string helpText();
    // "<hostname>-<pid>".
    static std::string defaultServerName();
};

}  // namespace lumo_server

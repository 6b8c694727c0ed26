#include "host/HostOptions.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

bool readSecretFile(const std::string& path, std::string& secret, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the token secret file " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    secret = text.str();
    while (!secret.empty() && (secret.back() == '\n' || secret.back() == '\r')) secret.pop_back();
    return true;
}

}  // namespace

const char* HostOptions::usage()
{
    return "usage: lumo_host [options] SCRIPT\n"
           "\n"
           "Logs on, creates the commentary service object (CorvelEnterprise14.LumoCommentaryService.1),\n"
           "binds it to a host session and runs SCRIPT (VBScript, or JScript for *.js) with the bound\n"
           "service visible as a global, and WScript.Echo to print.\n"
           "\n"
           "options:\n"
           "  --naming REF             the Naming Service where the commentary servers are registered\n"
           "                           (corbaloc::HOST:PORT/NameService or an IOR; default: $LUMO_NAMING)\n"
           "  --user NAME              the user who logs on (default: $USER, else \"lumo\")\n"
           "  --token-secret-file FILE the file holding the logon secret shared with the commentary\n"
           "                           servers (default: $LUMO_TOKEN_SECRET_FILE)\n"
           "  --cluster NAME           the cluster of commentary servers (default: LumoCommentary)\n"
           "  --server FILTER          a server name, or a prefix ending in '*' (default: any server)\n"
           "  --locale LCID            the session's locale (default: 0x0409)\n"
           "  --name NAME              the script's name for the service (default: CommentaryService)\n"
           "  --help                   this text\n"
           "\n"
           "Exit status: 0 the script ran; 1 the script failed (its errors are printed with file,\n"
           "line and column); 2 bad command line; 3 logon or service binding failed.\n";
}

bool HostOptions::parse(int argc, char** argv, std::string& error)
{
    if (const char* env = std::getenv("LUMO_NAMING")) naming = env;
    if (const char* env = std::getenv("USER")) user = env;
    if (user.empty()) user = "lumo";
    std::string secretFile;
    if (const char* env = std::getenv("LUMO_TOKEN_SECRET_FILE")) secretFile = env;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = "missing value after " + arg;
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        } else if (arg == "--naming") {
            if (!value(naming)) return false;
        } else if (arg == "--user") {
            if (!value(user)) return false;
        } else if (arg == "--token-secret-file") {
            if (!value(secretFile)) return false;
        } else if (arg == "--cluster") {
            if (!value(cluster)) return false;
        } else if (arg == "--server") {
            if (!value(serverFilter)) return false;
        } else if (arg == "--name") {
            if (!value(globalName)) return false;
        } else if (arg == "--locale") {
            std::string text;
            if (!value(text)) return false;
            char* end = nullptr;
            locale = std::strtoul(text.c_str(), &end, 0);
            if (text.empty() || *end) {
                error = "not a locale identifier: " + text;
                return false;
            }
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (script.empty()) {
            script = arg;
        } else {
            error = "more than one script given";
            return false;
        }
    }
    if (script.empty()) {
        error = "no script given";
        return false;
    }
    if (!secretFile.empty() && !readSecretFile(secretFile, tokenSecret, error)) return false;
    if (tokenSecret.empty()) {
        error = "no logon secret (--token-secret-file)";
        return false;
    }
    return true;
}

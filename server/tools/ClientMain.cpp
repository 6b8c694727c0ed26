// lumo_commentary_client: sends one request text to a commentary server and
// prints the reply, or prints a logon token.
#include <omniORB4/CORBA.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

#include "platform/foundation/SString.h"
#include "platform/session/LogonToken.h"
#include "server/client/CommentaryClient.h"
#include "server/client/HealthProbe.h"

namespace {

using lumo_server::ClientError;
using lumo_server::CommentaryClient;
using lumo_server::HealthProbe;
using lumo_server::ProbeResult;

const char kHelp[] = R"(Usage:
  lumo_commentary_client [location] [--ft CLIENT:RETENTION[:EXPIRY]] < REQUEST
  lumo_commentary_client [location] --list
  lumo_commentary_client [location] --check | --check-all [--timeout SECONDS] [--wait SECONDS]
  lumo_commentary_client --print-token --user USER [--token-secret-file PATH] [--lifetime SECONDS]

Sends one request text, read from standard input (UTF-8), to a commentary
server through execute and prints the reply (UTF-8) followed by a newline.
Requests carry a logon token, so they are never taken from the command line
(other users see it in the process list).

Location (one of):
  --naming REF       corbaloc, corbaname or IOR of the Naming Service (default:
                     the initial reference "NameService", e.g. from -ORBInitRef)
  --cluster NAME     cluster context (default LumoCommentary)
  --name NAME        server name in the cluster (default: the first server bound)
  --ior IOR          the server's IOR instead of naming
  --ior-file PATH    read the IOR from a file

  --ft CLIENT:RETENTION[:EXPIRY]
                     send the FT_REQUEST service context with this client id,
                     retention id and expiration time (ms since the epoch)
  --list             print the names of the servers bound in the cluster
  --check            health probe: send a test-connection request to the
                     server (by --name, --ior, --ior-file, or the first one
                     bound) and print "NAME: ok, answered in N ms", or
                     "NAME: FAILED, " and why; exit 0 only when it answered
  --check-all        the same for every server bound in the cluster (one line
                     each); exit 0 only when all answered and one at least is bound
  --timeout SECONDS  time limit of each lookup, connect and call of a check
                     (default 5)
  --wait SECONDS     repeat the check until it passes or SECONDS have passed
                     (default 0: check once)
  --print-token      print a logon token for --user signed with the secret of
                     --token-secret-file (default $LUMO_TOKEN_SECRET_FILE),
                     valid for --lifetime seconds (default 3600)
  -ORB...            omniORB options

TLS: LUMO_TLS_CA_FILE, LUMO_TLS_CERT_FILE and LUMO_TLS_KEY_FILE as for the
module (see the README's security model).

Exit codes: 0 done (or healthy), 1 the call or the lookup failed (or a server
is not healthy), 2 bad command line.
)";

int usage(const std::string& message)
{
    std::cerr << "lumo_commentary_client: " << message << "\nTry 'lumo_commentary_client --help'." << std::endl;
    return 2;
}

bool readFile(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return true;
}

bool parseFt(const std::string& text, lumo_ft::FtRequest& ft)
{
    const std::size_t first = text.rfind(':');
    if (first == std::string::npos) return false;
    std::string head = text.substr(0, first);
    std::string tail = text.substr(first + 1);
    try {
        const std::size_t second = head.rfind(':');
        if (second != std::string::npos) {
            // CLIENT:RETENTION:EXPIRY
            ft.clientId = head.substr(0, second);
            ft.retentionId = std::stoi(head.substr(second + 1));
            ft.expirationTime = std::stoull(tail);
        } else {
            ft.clientId = head;
            ft.retentionId = std::stoi(tail);
            ft.expirationTime = 0;
        }
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool parseSeconds(const std::string& text, long long& seconds)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    seconds = std::stoll(text);
    return true;
}

// Runs the check (again, until `wait` has passed, while it fails) and prints
// the last round.  Design decision: exit code 1 for an unhealthy server, as
// for a failed call.
template <class Check>
int runChecks(const std::vector<std::string>& orbArgs, const Check& checkOnce, std::chrono::seconds limit,
              std::chrono::seconds wait)
{
    CORBA::ORB_var orb;
    try {
        orb = CommentaryClient::initOrb(orbArgs);
    } catch (const CORBA::Exception& e) {
        std::cerr << "lumo_commentary_client: cannot start the ORB: " << e._name() << std::endl;
        return 1;
    }
    std::vector<ProbeResult> results;
    {
        HealthProbe probe(orb, limit);
        const auto end = std::chrono::steady_clock::now() + wait;
        while (!HealthProbe::allHealthy(results = checkOnce(probe)) && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    for (const ProbeResult& result : results) std::cout << result.line() << "\n";
    std::cout.flush();
    try {
        orb->destroy();
    } catch (const CORBA::Exception&) {
    }
    return HealthProbe::allHealthy(results) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string naming, cluster = "LumoCommentary", name, ior, iorFile, user, secret, secretFile, json;
    bool list = false, printToken = false, check = false, checkAll = false;
    if (const char* env = std::getenv("LUMO_TOKEN_SECRET_FILE")) secretFile = env;
    long long lifetime = 3600, timeoutSeconds = 5, waitSeconds = 0;
    std::optional<lumo_ft::FtRequest> ft;
    std::vector<std::string> orbArgs;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            std::cout << kHelp;
            return 0;
        } else if (arg.compare(0, 4, "-ORB") == 0) {
            orbArgs.push_back(arg);
            if (i + 1 < argc) orbArgs.push_back(argv[++i]);
        } else if (arg == "--naming") {
            if (!value(naming)) return usage("--naming needs a value");
        } else if (arg == "--cluster") {
            if (!value(cluster)) return usage("--cluster needs a value");
        } else if (arg == "--name") {
            if (!value(name)) return usage("--name needs a value");
        } else if (arg == "--ior") {
            if (!value(ior)) return usage("--ior needs a value");
        } else if (arg == "--ior-file") {
            if (!value(iorFile)) return usage("--ior-file needs a value");
        } else if (arg == "--ft") {
            lumo_ft::FtRequest request;
            if (!value(text) || !parseFt(text, request)) return usage("--ft needs CLIENT:RETENTION[:EXPIRY]");
            ft = request;
        } else if (arg == "--list") {
            list = true;
        } else if (arg == "--check") {
            check = true;
        } else if (arg == "--check-all") {
            checkAll = true;
        } else if (arg == "--timeout" || arg == "--wait") {
            long long& seconds = arg == "--timeout" ? timeoutSeconds : waitSeconds;
            if (!value(text) || !parseSeconds(text, seconds)) return usage(arg + " needs a number of seconds");
        } else if (arg == "--print-token") {
            printToken = true;
        } else if (arg == "--user") {
            if (!value(user)) return usage("--user needs a value");
        } else if (arg == "--token-secret-file") {
            if (!value(secretFile)) return usage("--token-secret-file needs a value");
        } else if (arg == "--lifetime") {
            if (!value(text)) return usage("--lifetime needs a value");
            try {
                lifetime = std::stoll(text);
            } catch (const std::exception&) {
                return usage("--lifetime needs a number of seconds");
            }
        } else {
            return usage("unknown option " + arg);
        }
    }

    if (printToken) {
        if (!secretFile.empty() && !readFile(secretFile, secret)) return usage("cannot read " + secretFile);
        if (secret.empty()) return usage("--print-token needs a non-empty --token-secret-file");
        const std::string token =
            lumo_session::issueLogonToken(user, secret, lumo_session::nowMilliseconds(), lifetime * 1000);
        if (token.empty()) return usage("--print-token needs a --user without ':'");
        std::cout << token << std::endl;
        return 0;
    }
    if (!iorFile.empty() && !readFile(iorFile, ior)) return usage("cannot read " + iorFile);
    if (check && checkAll) return usage("give either --check or --check-all");
    if (timeoutSeconds == 0) return usage("--timeout needs a positive number of seconds");
    if (check || checkAll) return runChecks(orbArgs, [&](HealthProbe& probe) {
        if (checkAll) return probe.checkAll(naming, cluster);
        return ior.empty() ? probe.checkNamed(naming, cluster, name) : probe.checkIor(ior);
    }, std::chrono::seconds(timeoutSeconds), std::chrono::seconds(waitSeconds));
    if (!list) json.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());

    int exitCode = 0;
    CORBA::ORB_var orb;
    try {
        orb = CommentaryClient::initOrb(orbArgs);
        if (list) {
            for (const std::string& server : CommentaryClient::listServers(orb, naming, cluster))
                std::cout << server << "\n";
        } else {
            LumoCommentaryService_var service = ior.empty()
                                                    ? CommentaryClient::resolveByNaming(orb, naming, cluster, name)
                                                    : CommentaryClient::resolveByIor(orb, ior);
            const std::u16string reply =
                CommentaryClient::execute(service, lumoUtf8ToUtf16(json), ft);
            std::cout << lumoUtf16ToUtf8(reply) << std::endl;
        }
    } catch (const ClientError& e) {
        std::cerr << "lumo_commentary_client: " << e.what() << std::endl;
        exitCode = 1;
    } catch (const CORBA::SystemException& e) {
        std::cerr << "lumo_commentary_client: CORBA::" << e._name() << " (" << (e.NP_minorString() ? e.NP_minorString() : "")
                  << ")" << std::endl;
        exitCode = 1;
    } catch (const CORBA::Exception& e) {
        std::cerr << "lumo_commentary_client: " << e._name() << std::endl;
        exitCode = 1;
    }
    if (!CORBA::is_nil(orb)) {
        try {
            orb->destroy();
        } catch (const CORBA::Exception&) {
        }
    }
    return exitCode;
}

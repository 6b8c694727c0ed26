// lumo_commentary_client: sends one request text to a commentary server and
// prints the reply, or prints a logon token.
#include <omniORB4/CORBA.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/foundation/SString.h"
#include "platform/session/LogonToken.h"
#include "server/client/CommentaryClient.h"

namespace {

using lumo_server::ClientError;
using lumo_server::CommentaryClient;

const char kHelp[] = R"(Usage:
  lumo_commentary_client [location] [--ft CLIENT:RETENTION[:EXPIRY]] < REQUEST
  lumo_commentary_client [location] --list
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
  --print-token      print a logon token for --user signed with the secret of
                     --token-secret-file (default $LUMO_TOKEN_SECRET_FILE),
                     valid for --lifetime seconds (default 3600)
  -ORB...            omniORB options

TLS: LUMO_TLS_CA_FILE, LUMO_TLS_CERT_FILE and LUMO_TLS_KEY_FILE as for the
module (see the README's security model).

Exit codes: 0 done, 1 the call or the lookup failed, 2 bad command line.
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

}  // namespace

int main(int argc, char** argv)
{
    std::string naming, cluster = "LumoCommentary", name, ior, iorFile, user, secret, secretFile, json;
    bool list = false, printToken = false;
    if (const char* env = std::getenv("LUMO_TOKEN_SECRET_FILE")) secretFile = env;
    long long lifetime = 3600;
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

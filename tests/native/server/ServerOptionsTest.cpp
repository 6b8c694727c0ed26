// The server's command line.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "server/app/ServerOptions.h"
#include "tests/native/server/support/ServerTestKit.h"

using lumo_server::ServerOptions;
using lumo_server::ServerOptionsParser;

namespace {

bool parse(std::vector<std::string> args, ServerOptions& options, std::string& error)
{
    args.insert(args.begin(), "lumo_commentary_server");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    return ServerOptionsParser::parse(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(ServerOptions, RejectsBadCommandLinesAndSecretsOpenToOthers)
{
    server_test::TempDir dir;
    const std::string secret = test_support::writePrivateFile(dir.file("secret"), "s");
    const std::string key = test_support::writePrivateFile(dir.file("key"), "k");
    const std::string open = dir.file("open");
    std::ofstream(open) << "s";
    chmod(open.c_str(), 0640);
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{}, "a token secret is required (--token-secret-file)"},
        {{"--token-secret", "s"}, "unknown option --token-secret"},
        {{"--token-secret-file", "/nonexistent/secret"}, "cannot read the token secret file /nonexistent/secret"},
        {{"--token-secret-file", open},
         "the token secret file " + open + " is open to other users (mode 0640); make it private to its owner (chmod 600)"},
        {{"--token-secret-file", secret, "--tls-cert", secret, "--tls-key", open},
         "the TLS key file " + open + " is open to other users (mode 0640); make it private to its owner (chmod 600)"},
        {{"--token-secret-file", secret, "--tls-only"}, "--tls-only needs --tls-cert and --tls-key"},
        {{"--token-secret-file", secret, "--tls-cert", key}, "--tls-cert and --tls-key go together"},
        {{"--token-secret-file", secret, "--authorization", "none"}, "--authorization takes owner or open"},
        {{"--token-secret-file", secret, "--sqlite", "a.db", "--postgres", "host=x"}, "give either --sqlite or --postgres, not both"},
        {{"--token-secret-file", secret, "--fault", "delay=x"}, "--fault takes user-exception, delay=<milliseconds>, stall=<milliseconds> or reply=<file>"},
        {{"--token-secret-file", secret, "--naming"}, "option --naming needs a value"},
    };
    for (const auto& c : cases) {
        ServerOptions options;
        std::string error;
        EXPECT_FALSE(parse(c.args, options, error)) << c.error;
        EXPECT_EQ(error, c.error);
    }
}

TEST(ServerOptions, ReadsTheValues)
{
    server_test::TempDir dir;
    std::ofstream(dir.file("admins")) << "# administrators\nroot\n\n  ops team \r\n";
    ServerOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--token-secret-file", test_support::writePrivateFile(dir.file("secret"), "from-file\r\n"),
                       "--fault", "user-exception", "--fault", "delay=250", "-ORBtraceLevel", "10",
                       "--max-request-chars", "100", "--admin-user", "alice", "--admin-file", dir.file("admins"),
                       "--authorization", "open"},
                      o, error))
        << error;
    EXPECT_EQ(o.tokenSecret, "from-file");
    EXPECT_TRUE(o.faultUserException);
    EXPECT_EQ(o.faultDelayMs, 250);
    EXPECT_EQ(o.maxRequestChars, 100u);
    EXPECT_EQ(o.orbArgs, (std::vector<std::string>{"-ORBtraceLevel", "10"}));
    EXPECT_EQ(o.administrators, (std::vector<std::string>{"alice", "root", "ops team"}));
    EXPECT_EQ(o.authorization, "open");
}

}  // namespace

// The server's command line.
#include <gtest/gtest.h>

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

TEST(ServerOptions, RejectsBadCommandLines)
{
    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{}, "a token secret is required (--token-secret or --token-secret-file)"},
        {{"--token-secret", "s", "--token-secret-file", "/x"}, "give either --token-secret or --token-secret-file, not both"},
        {{"--token-secret-file", "/nonexistent/secret"}, "cannot read the token secret file /nonexistent/secret"},
        {{"--token-secret", "s", "--sqlite", "a.db", "--postgres", "host=x"}, "give either --sqlite or --postgres, not both"},
        {{"--token-secret", "s", "--max-field-chars", "0"}, "--max-field-chars needs a number from 1 to 1073741824"},
        {{"--token-secret", "s", "--fault", "delay=x"}, "--fault takes user-exception or delay=<milliseconds>"},
        {{"--token-secret", "s", "--naming"}, "option --naming needs a value"},
        {{"--token-secret", "s", "--bogus"}, "unknown option --bogus"},
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
    std::ofstream(dir.file("secret")) << "from-file\r\n";
    ServerOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--token-secret-file", dir.file("secret"), "--fault", "user-exception", "--fault", "delay=250",
                       "-ORBtraceLevel", "10", "--max-request-chars", "100"},
                      o, error))
        << error;
    EXPECT_EQ(o.tokenSecret, "from-file");
    EXPECT_TRUE(o.faultUserException);
    EXPECT_EQ(o.faultDelayMs, 250);
    EXPECT_EQ(o.maxRequestChars, 100u);
    EXPECT_EQ(o.orbArgs, (std::vector<std::string>{"-ORBtraceLevel", "10"}));
}

}  // namespace

// Whole programs: omniNames, commentary servers on one SQLite file, and raw
// omniORB stubs talking to them.
#include <gtest/gtest.h>
#include <omniORB4/CORBA.h>
#include <signal.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>

#include "server/client/CommentaryClient.h"
#include "tests/native/server/support/ServerProcess.h"

using lumo_server::CommentaryClient;
using test_support::NamingService;

namespace server_test {
namespace {

const char kTestConnection[] = "{\"requestType\":5}";
const char kConnected[] = "{\"statusCode\":0,\"description\":\"success\",\"responseType\":6}";

// A server killed without unbinding leaves its binding behind; the next server
// of that name replaces it, answers, and unbinds on SIGTERM.
TEST(ServerProcess, ReplacesAStaleBindingAnswersAndUnregistersOnSigterm)
{
    TempDir dir;
    NamingService names(dir);
    ASSERT_TRUE(names.ready());
    auto args = [&](std::vector<std::string> more) {
        more.insert(more.begin(), {"--naming", names.ref(), "--cluster", "ClusterX", "--sqlite", dir.file("db")});
        return more;
    };
    Server killed(dir, "killed", args({"--name", "alpha"}));
    ASSERT_TRUE(killed.ready());
    EXPECT_EQ(CommentaryClient::listServers(g_orb, names.ref(), "ClusterX"), std::vector<std::string>{"alpha"});
    killed.process().stop(SIGKILL, std::chrono::seconds(10));
    Server server(dir, "alpha", args({"--max-request-chars", "5000"}));
    ASSERT_TRUE(server.ready()) << readFile(dir.file("alpha.err"));
    EXPECT_EQ(CommentaryClient::listServers(g_orb, names.ref(), "ClusterX"), std::vector<std::string>{"alpha"});

    LumoCommentaryService_var service = CommentaryClient::resolveByNaming(g_orb, names.ref(), "ClusterX", "alpha");
    EXPECT_EQ(u8(send(service, kTestConnection)), kConnected);
    EXPECT_EQ(u8(send(service, std::string(6000, ' '))),
              "{\"statusCode\":413,\"description\":\"Request too large: 6000 code units, limit 5000\","
              "\"responseType\":5,\"errorCode\":\"CMNTRY 401\"}");

    EXPECT_EQ(server.stop(), 0);
    EXPECT_EQ(CommentaryClient::listServers(g_orb, names.ref(), "ClusterX"), std::vector<std::string>{});
}

TEST(ServerProcess, AnUnreachableNamingServiceEndsTheStart)
{
    TempDir dir;
    const std::string nobody = "corbaloc::127.0.0.1:" + std::to_string(freePort()) + "/NameService";
    Server server(dir, "lonely", {"--naming", nobody, "--sqlite", dir.file("db")});
    EXPECT_EQ(server.process().wait(kBound), 3);
    EXPECT_NE(readFile(dir.file("lonely.err")).find("the Naming Service is unreachable"), std::string::npos);
    EXPECT_EQ(readFile(dir.file("lonely.out")), "");
}

// Two servers on one file, whose pooled threads take requests from any
// connection.  The interceptor hands each call its own context: every call
// made at A and retried at B (same client and retention id) runs once and is
// replayed at B with A's reply.
TEST(ServerProcess, CallsRetriedAtAnotherServerReplayUnderTheirOwnContexts)
{
    TempDir dir;
    NamingService names(dir);
    ASSERT_TRUE(names.ready());
    const std::vector<std::string> args{"--naming", names.ref(), "--sqlite", dir.file("shared.db"),
                                        "-ORBthreadPerConnectionPolicy", "0", "-ORBmaxServerThreadPoolSize", "4"};
    Server a(dir, "A", args), b(dir, "B", args);
    ASSERT_TRUE(a.ready());
    ASSERT_TRUE(b.ready());
    LumoCommentaryService_var atA = CommentaryClient::resolveByNaming(g_orb, names.ref(), "LumoCommentary", "A");
    LumoCommentaryService_var atB = CommentaryClient::resolveByNaming(g_orb, names.ref(), "LumoCommentary", "B");
    constexpr int kThreads = 4, kCalls = 25;
    std::map<int, std::u16string> first, second;
    std::mutex mutex;
    auto round = [&](LumoCommentaryService_ptr service, std::map<int, std::u16string>& replies) {
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                for (int rid = t * 100; rid < t * 100 + kCalls; ++rid) {
                    const std::string text = "\"sourceCUID\":\"c\",\"text\":\"r" + std::to_string(rid) + "\"";
                    std::u16string reply = send(service, request(1, token(), text), ft("conc", rid));
                    std::lock_guard<std::mutex> lock(mutex);
                    replies[rid] = reply;
                }
            });
        for (auto& t : threads) t.join();
    };
    round(atA, first);
    round(atB, second);
    ASSERT_EQ(first.size(), static_cast<std::size_t>(kThreads * kCalls));
    std::vector<std::string> linesA, linesB{"- 2 2 0"};
    for (const auto& [rid, reply] : first) {
        EXPECT_EQ(member(readReply(reply).comment, "text"), "r" + std::to_string(rid));
        EXPECT_EQ(second[rid], reply) << rid;
        linesA.push_back(std::to_string(rid) + " 1 1 0");
        linesB.push_back(std::to_string(rid) + " 1 1 0 replay");
    }
    EXPECT_EQ(readReply(send(atB, getRequest(token(), "\"sourceCUID\":\"c\""))).comments.size(), first.size());
    auto sorted = [](std::vector<std::string> lines) {
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    EXPECT_EQ(sorted(a.logLines()), sorted(linesA));
    EXPECT_EQ(sorted(b.logLines()), sorted(linesB));
    EXPECT_EQ(a.stop(), 0);
    EXPECT_EQ(b.stop(), 0);
}

TEST(ServerProcess, TheDelayFaultHoldsTheReplyAndShutdownStaysBounded)
{
    TempDir dir;
    Server server(dir, "slow", {"--no-naming", "--ior-file", dir.file("ior"), "--sqlite", dir.file("db"),
                                "--fault", "delay=60000"});
    ASSERT_TRUE(server.ready());
    std::string ior = readFile(dir.file("ior"));
    ior.erase(ior.find_last_not_of('\n') + 1);
    LumoCommentaryService_var service = CommentaryClient::resolveByIor(g_orb, ior);
    omniORB::setClientCallTimeout(service, 1000);
    EXPECT_THROW(send(service, kTestConnection), CORBA::TIMEOUT);
    EXPECT_EQ(server.logLines(), std::vector<std::string>{"- 5 6 0"});
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(server.stop(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));
}

TEST(ServerProcess, HelpAndBadCommandLines)
{
    TempDir dir;
    ChildProcess help({LUMO_SERVER_BINARY, "--help"}, dir.file("help.out"), dir.file("help.err"));
    EXPECT_EQ(help.wait(std::chrono::seconds(10)), 0);
    EXPECT_NE(readFile(dir.file("help.out")).find("--fault delay=MS"), std::string::npos);
    ChildProcess bad({LUMO_SERVER_BINARY, "--sqlite", dir.file("db")}, dir.file("bad.out"), dir.file("bad.err"));
    EXPECT_EQ(bad.wait(std::chrono::seconds(10)), 2);
    EXPECT_NE(readFile(dir.file("bad.err")).find("a token secret is required"), std::string::npos);
}

}  // namespace
}  // namespace server_test

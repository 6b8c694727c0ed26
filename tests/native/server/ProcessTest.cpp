// Whole programs: omniNames, commentary servers on one SQLite file, and raw
// omniORB stubs talking to them.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <omniORB4/CORBA.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "server/client/CommentaryClient.h"
#include "tests/native/server/support/ServerProcess.h"

using lumo_server::CommentaryClient;
using test_support::NamingService;
using test_support::waitForText;

namespace server_test {
namespace {

const char kTestConnection[] = "{\"requestType\":5}";
const char kConnected[] = "{\"statusCode\":0,\"description\":\"success\",\"responseType\":6}";

// A server killed without unbinding leaves its binding behind; the next server
// of that name replaces it, answers, binds itself again in a Naming Service
// restarted without its data, and unbinds on SIGTERM.
TEST(ServerProcess, ReplacesAStaleBindingAnswersRebindsAndUnregistersOnSigterm)
{
    TempDir dir, freshNames;
    std::optional<NamingService> names(std::in_place, dir);
    ASSERT_TRUE(names->ready());
    const std::string naming = names->ref();
    auto args = [&](std::vector<std::string> more) {
        more.insert(more.begin(), {"--naming", naming, "--cluster", "ClusterX", "--sqlite", dir.file("db"),
                                   "--rebind-interval", "1"});
        return more;
    };
    Server killed(dir, "killed", args({"--name", "alpha"}));
    ASSERT_TRUE(killed.ready());
    EXPECT_EQ(CommentaryClient::listServers(g_orb, naming, "ClusterX"), std::vector<std::string>{"alpha"});
    killed.process().stop(SIGKILL, std::chrono::seconds(10));
    Server server(dir, "alpha", args({"--max-request-chars", "5000"}));
    ASSERT_TRUE(server.ready()) << readFile(dir.file("alpha.err"));
    EXPECT_EQ(CommentaryClient::listServers(g_orb, naming, "ClusterX"), std::vector<std::string>{"alpha"});

    LumoCommentaryService_var service = CommentaryClient::resolveByNaming(g_orb, naming, "ClusterX", "alpha");
    EXPECT_EQ(u8(send(service, kTestConnection)), kConnected);
    EXPECT_EQ(u8(send(service, std::string(6000, ' '))),
              "{\"statusCode\":413,\"description\":\"Request too large: 6000 code units, limit 5000\","
              "\"responseType\":5,\"errorCode\":\"CMNTRY 401\"}");

    const int port = names->port();
    names.reset();
    names.emplace(freshNames, port);
    ASSERT_TRUE(names->ready());
    std::vector<std::string> listed;
    for (int i = 0; i < 100 && listed.empty(); ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
        try {
            listed = CommentaryClient::listServers(g_orb, naming, "ClusterX");
        } catch (...) {  // the cluster is not bound again yet
        }
    }
    EXPECT_EQ(listed, std::vector<std::string>{"alpha"}) << "bound again within 10 s";

    EXPECT_EQ(server.stop(), 0);
    EXPECT_EQ(CommentaryClient::listServers(g_orb, naming, "ClusterX"), std::vector<std::string>{});
}

TEST(ServerProcess, AnUnreachableNamingServiceOrABadCommandLineEndsTheStart)
{
    TempDir dir;
    const std::string nobody = "corbaloc::127.0.0.1:" + std::to_string(freePort()) + "/NameService";
    Server server(dir, "lonely", {"--naming", nobody, "--sqlite", dir.file("db")});
    EXPECT_EQ(server.process().wait(kBound), 3);
    EXPECT_NE(readFile(dir.file("lonely.err")).find("the Naming Service is unreachable"), std::string::npos);
    EXPECT_EQ(readFile(dir.file("lonely.out")), "");
    ChildProcess bad({LUMO_SERVER_BINARY, "--sqlite", dir.file("db")}, dir.file("bad.out"), dir.file("bad.err"));
    EXPECT_EQ(bad.wait(kBound), 2) << "no token secret";
}

// Four servers started at once on one new file all start.  Of them, A and B
// serve calls from pooled threads that take requests from any connection; the
// interceptor hands each call its own context: every call made at A and
// retried at B (same client and retention id) runs once and is replayed at B
// with A's reply.
TEST(ServerProcess, ServersStartedTogetherOnANewFileAllStartAndReplayEachOthersCalls)
{
    TempDir dir;
    NamingService names(dir);
    ASSERT_TRUE(names.ready());
    const std::vector<std::string> args{"--naming", names.ref(), "--sqlite", dir.file("shared.db"), "--max-threads", "4"};
    Server a(dir, "A", args), b(dir, "B", args), c(dir, "C", args), d(dir, "D", args);
    for (Server* server : {&a, &b, &c, &d}) ASSERT_TRUE(server->ready()) << readFile(dir.file("A.err"));
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
    for (Server* server : {&a, &b, &c, &d}) EXPECT_EQ(server->stop(), 0);
}

// With exclusive locking a file serves one server process at a time: a
// second server on it stops, saying why, after its busy timeout; once the
// first has stopped, the file opens again with what the first stored.
TEST(ServerProcess, AnExclusivelyLockedFileServesOneServerAtATime)
{
    TempDir dir;
    auto args = [&](const std::string& name) {
        return std::vector<std::string>{"--no-naming", "--ior-file", dir.file(name + ".ior"), "--sqlite",
                                        dir.file("own.db"), "--sqlite-locking", "exclusive",
                                        "--sqlite-busy-timeout", "300"};
    };
    auto resolve = [&](const std::string& name) {
        const std::string ior = readFile(dir.file(name + ".ior"));
        return CommentaryClient::resolveByIor(g_orb, ior.substr(0, ior.find('\n')));
    };
    const std::string add = request(1, token(), "\"sourceCUID\":\"own\",\"text\":\"kept\"");
    const std::string get = getRequest(token(), "\"sourceCUID\":\"own\"");
    Server first(dir, "first", args("first"));
    ASSERT_TRUE(first.ready()) << readFile(dir.file("first.err"));
    LumoCommentaryService_var atFirst = resolve("first");
    EXPECT_EQ(readReply(send(atFirst, add)).statusCode, 0);

    Server second(dir, "second", args("second"));
    EXPECT_EQ(second.process().wait(kBound), 1);
    EXPECT_NE(readFile(dir.file("second.err")).find("another process has the file open, and exclusive locking needs it"
                                                    " to itself"),
              std::string::npos)
        << readFile(dir.file("second.err"));
    EXPECT_EQ(readReply(send(atFirst, get)).comments.size(), 1u) << "the first server goes on";

    EXPECT_EQ(first.stop(), 0);
    Server third(dir, "third", args("third"));
    ASSERT_TRUE(third.ready()) << readFile(dir.file("third.err"));
    const auto comments = readReply(send(resolve("third"), get)).comments;
    ASSERT_EQ(comments.size(), 1u);
    EXPECT_EQ(member(comments[0], "text"), "kept");
    EXPECT_EQ(third.stop(), 0);
}

// The server answers before its caller gives up, and what it stores then is
// what a retry finds.  S stalls every change longer than its request
// deadline, so the change is rolled back (503) after the caller gave up; D
// commits and then holds its answer until shutdown, which stays bounded.  The
// caller retries both at B (same retention ids): the first runs there once,
// the second is answered from D's commit.
TEST(ServerProcess, WorkTheCallerGaveUpOnIsRolledBackOrFoundByTheRetry)
{
    TempDir dir;
    NamingService names(dir);
    ASSERT_TRUE(names.ready());
    auto args = [&](std::vector<std::string> more) {
        more.insert(more.begin(), {"--naming", names.ref(), "--sqlite", dir.file("db")});
        return more;
    };
    Server s(dir, "S", args({"--fault", "stall=1500", "--request-deadline", "500"}));
    Server d(dir, "D", args({"--fault", "delay=600000"})), b(dir, "B", args({}));
    for (Server* server : {&s, &d, &b}) ASSERT_TRUE(server->ready());
    const std::string doc = "\"sourceCUID\":\"late\"";
    const std::pair<Server*, std::string> cases[] = {{&s, "1 1 5 503"}, {&d, "2 1 1 0"}};
    LumoCommentaryService_var atB = CommentaryClient::resolveByNaming(g_orb, names.ref(), "LumoCommentary", "B");
    for (int rid : {1, 2}) {
        const auto& [server, line] = cases[rid - 1];
        LumoCommentaryService_var service =
            CommentaryClient::resolveByNaming(g_orb, names.ref(), "LumoCommentary", rid == 1 ? "S" : "D");
        omniORB::setClientCallTimeout(service, 300);
        const std::string add = request(1, token(), doc + ",\"text\":\"rid " + std::to_string(rid) + "\"");
        EXPECT_THROW(send(service, add, ft("late", rid)), CORBA::TIMEOUT);
        ASSERT_TRUE(server->logged(line)) << "the server ended the call it was left with";
        EXPECT_EQ(readReply(send(atB, add, ft("late", rid))).statusCode, 0);
    }
    EXPECT_EQ(b.logLines(), (std::vector<std::string>{"1 1 1 0", "2 1 1 0 replay"}));
    std::vector<std::string> texts;
    for (const CommentMembers& c : readReply(send(atB, getRequest(token(), doc))).comments) texts.push_back(member(c, "text"));
    EXPECT_EQ(texts, (std::vector<std::string>{"rid 1", "rid 2"})) << "each stored once";
    for (Server* server : {&s, &d, &b}) EXPECT_EQ(server->stop(), 0);
}

long statusField(pid_t pid, const std::string& field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, field.size() + 1, field + ":") == 0) return std::stol(line.substr(field.size() + 1));
    return -1;
}

// 3,000 idle connections are served by the bounded pool and closed once idle;
// 48 requests sixteen times over the limit at once are refused before they are
// read, so memory stays bounded and falls back.
TEST(ServerProcess, ThreadsAndMemoryStayBoundedAndIdleConnectionsAreClosed)
{
    TempDir dir;
    const int port = freePort();
    Server server(dir, "bounded", {"--no-naming", "--ior-file", dir.file("ior"), "--sqlite", dir.file("db"),
                                   "--endpoint", "giop:tcp:127.0.0.1:" + std::to_string(port), "--max-threads", "4",
                                   "--idle-connection-timeout", "3", "--max-request-chars", "262144"});
    ASSERT_TRUE(server.ready());
    const pid_t pid = server.process().pid();
    const long threadsBefore = statusField(pid, "Threads"), rssBefore = statusField(pid, "VmRSS");

    const sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    std::vector<int> sockets;
    for (int i = 0; i < 3000; ++i) {
        sockets.push_back(socket(AF_INET, SOCK_STREAM, 0));
        ASSERT_EQ(connect(sockets.back(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << i;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_LE(statusField(pid, "Threads"), threadsBefore + 4 + 8) << "at most the pool's 4 more (and a few of the ORB's)";
    char byte;
    int closed = 0;
    for (int i = 0; i < 150 && closed < 3000; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100)))
        for (int& fd : sockets)
            if (fd >= 0 && recv(fd, &byte, 1, MSG_DONTWAIT) == 0) ++closed, close(fd), fd = -1;
    EXPECT_EQ(closed, 3000) << "idle connections closed by the server within 15 s";

    std::string ior = readFile(dir.file("ior"));
    ior.erase(ior.find_last_not_of('\n') + 1);
    LumoCommentaryService_var service = CommentaryClient::resolveByIor(g_orb, ior);
    const std::string huge = request(1, token(), "\"sourceCUID\":\"big\",\"text\":\"" + std::string(16 * 262144, 'x') + "\"");
    std::atomic<bool> done{false};
    std::atomic<long> peak{rssBefore};
    std::thread sampler([&] {
        for (; !done; std::this_thread::sleep_for(std::chrono::milliseconds(10)))
            peak = std::max(peak.load(), statusField(pid, "VmRSS"));
    });
    std::atomic<int> refused{0};
    std::vector<std::thread> callers;
    for (int i = 0; i < 48; ++i)
        callers.emplace_back([&] {
            try { send(service, huge); } catch (const CORBA::SystemException&) { ++refused; }
        });
    for (std::thread& t : callers) t.join();
    done = true;
    sampler.join();
    EXPECT_EQ(refused.load(), 48);
    EXPECT_LE(peak.load(), 100 * 1024) << "kB at the peak";
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_LE(statusField(pid, "VmRSS"), rssBefore + 30 * 1024) << "kB after, against " << rssBefore << " before";
    EXPECT_EQ(u8(send(service, kTestConnection)), kConnected);
    EXPECT_EQ(server.stop(), 0);
}

}  // namespace
}  // namespace server_test

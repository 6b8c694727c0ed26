// Adds per second against a commentary server process with SQLite storage,
// through raw omniORB stubs: from one client thread, from two, and from one
// with the FT context (the exactly-once path).  The server is started here
// (connected by IOR, no naming) and stopped by its process id at the end.
#include <benchmark/benchmark.h>
#include <signal.h>

#include <atomic>
#include <iostream>

#include "platform/session/LogonToken.h"
#include "server/client/CommentaryClient.h"
#include "tests/native/support/Processes.h"
#include "tests/native/server/support/ServerTestKit.h"

namespace {

using lumo_server::CommentaryClient;

constexpr char kSecret[] = "bench-secret";

CORBA::ORB_var g_orb;
LumoCommentaryService_var g_service;
std::u16string g_addText;
std::atomic<int32_t> g_retention{0};

void checkReply(benchmark::State& state, const std::u16string& reply)
{
    // {"statusCode":0,... : a cheap check that the add succeeded.
    if (reply.compare(0, 15, u"{\"statusCode\":0") != 0) state.SkipWithError("an add failed");
}

void BM_Add(benchmark::State& state)
{
    for (auto _ : state) checkReply(state, CommentaryClient::execute(g_service, g_addText));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Add)->UseRealTime()->Threads(1)->Threads(2);

void BM_AddExactlyOnce(benchmark::State& state)
{
    lumo_ft::FtRequest ft;
    ft.clientId = "bench";
    ft.expirationTime = static_cast<CORBA::ULongLong>(lumo_session::nowMilliseconds() + 3600000);
    for (auto _ : state) {
        ft.retentionId = ++g_retention;
        checkReply(state, CommentaryClient::execute(g_service, g_addText, ft));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddExactlyOnce)->UseRealTime()->Threads(1);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    test_support::TempDir dir;
    test_support::ChildProcess server({LUMO_SERVER_BINARY, "--token-secret-file", test_support::writePrivateFile(dir.file("secret"), kSecret), "--no-naming", "--ior-file",
                                      dir.file("ior"), "--sqlite", dir.file("bench.sqlite")},
                                     dir.file("server.out"), dir.file("server.err"));
    if (!test_support::waitForText(dir.file("server.out"), "ready\n", std::chrono::seconds(30))) {
        std::cerr << "the server did not start: " << test_support::readFile(dir.file("server.err")) << std::endl;
        return 1;
    }
    int exitCode = 0;
    try {
        g_orb = CommentaryClient::initOrb();
        std::string ior = test_support::readFile(dir.file("ior"));
        g_service = CommentaryClient::resolveByIor(g_orb, ior.substr(0, ior.find('\n')));
        const std::string token = lumo_session::issueLogonToken("bench", kSecret, lumo_session::nowMilliseconds(), 3600000);
        g_addText = server_test::u16(server_test::request(
            1, token, "\"sourceCUID\":\"bench-doc\",\"text\":\"A comment of ordinary length, written by the benchmark.\","
                      "\"appName\":\"Bench\",\"hidden\":false,\"lastmodifiedtimestamp\":-1,\"creationtimestamp\":-1"));
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        g_service = LumoCommentaryService::_nil();
        g_orb->destroy();
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
        exitCode = 1;
    } catch (const CORBA::Exception& e) {
        std::cerr << "CORBA " << e._name() << std::endl;
        exitCode = 1;
    }
    server.stop(SIGTERM, std::chrono::seconds(25));
    return exitCode;
}

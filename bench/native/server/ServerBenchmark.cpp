// The reference server's adds against the bare cost of a call over the same
// ORB settings, in one run:
//
//   Add/<store>/threads:N  adds as the module sends them (each with the
//                          FT_REQUEST context and a retention id of its own,
//                          the exactly-once path) from N client threads at
//                          once; items_per_second is adds per second
//   AddVsEcho/<store>      one add and one echo per iteration, alternating
//                          which goes first, each timed: "ratio" is one add
//                          over one echo
//   Echo                   one echo: the add's request text (about 270
//                          characters) sent to lumo_bench_echo_server and
//                          handed back unchanged (bench/native/echo)
//
// Stores: sqlite (a file in a temporary folder) and postgres (a private
// instance, started as the server tests start theirs: fsync off).  Every
// server is started here, reached by IOR, and stopped by its process id.
// Goals, for SQLite: at least 12,000 adds per second from one client thread
// and 20,000 from four, one add at most 2.5 echoes.  The figures follow the
// table; the program exits with 1 when a goal is missed.
#include <benchmark/benchmark.h>
#include <signal.h>

#include <atomic>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/BenchGoals.h"
#include "platform/session/LogonToken.h"
#include "server/client/CommentaryClient.h"
#include "tests/native/server/support/PostgresInstance.h"
#include "tests/native/server/support/ServerTestKit.h"
#include "tests/native/support/Processes.h"

namespace {

using lumo_server::CommentaryClient;
using test_support::ChildProcess;
using test_support::TempDir;

constexpr char kSecret[] = "bench-secret";

CORBA::ORB_var g_orb;
std::u16string g_addText;
std::atomic<int32_t> g_retention{0};

// A server process reached by the IOR it writes.
struct Server {
    std::unique_ptr<ChildProcess> process;
    LumoCommentaryService_var service;
};

// Starts a program that writes its IOR to the file given after --ior-file
// and prints "ready"; prints why and returns false when it does not.
bool start(Server& server, std::vector<std::string> argv, const TempDir& dir, const std::string& name)
{
    const std::string ior = dir.file(name + ".ior");
    argv.insert(argv.end(), {"--ior-file", ior});
    server.process = std::make_unique<ChildProcess>(argv, dir.file(name + ".out"), dir.file(name + ".err"));
    if (!server.process->waitForOutput("ready\n", std::chrono::seconds(30))) {
        std::cerr << name << " did not start: " << test_support::readFile(dir.file(name + ".err")) << std::endl;
        return false;
    }
    const std::string text = test_support::readFile(ior);
    server.service = CommentaryClient::resolveByIor(g_orb, text.substr(0, text.find('\n')));
    return true;
}

// One add as the module sends it; false when it did not succeed.
bool Add(LumoCommentaryService_ptr service)
{
    lumo_ft::FtRequest ft;
    ft.clientId = "bench";
    ft.expirationTime = static_cast<CORBA::ULongLong>(lumo_session::nowMilliseconds() + 3600000);
    ft.retentionId = ++g_retention;
    // {"statusCode":0,... : a cheap check that the add succeeded.
    return CommentaryClient::execute(service, g_addText, ft).compare(0, 15, u"{\"statusCode\":0") == 0;
}

bool Echo(LumoCommentaryService_ptr echo) { return CommentaryClient::execute(echo, g_addText) == g_addText; }

void RegisterStore(const std::string& store, LumoCommentaryService_ptr service, LumoCommentaryService_ptr echo)
{
    benchmark::RegisterBenchmark(("Add/" + store).c_str(), [service](benchmark::State& state) {
        for (auto _ : state)
            if (!Add(service)) state.SkipWithError("an add failed");
        state.SetItemsProcessed(state.iterations());
    })->Threads(1)->Threads(2)->Threads(4)->UseRealTime();
    benchmark::RegisterBenchmark(("AddVsEcho/" + store).c_str(), [service, echo](benchmark::State& state) {
        lumo_bench::Paired(state, lumo_bench::wallNs, [service] { return Add(service); }, [echo] { return Echo(echo); });
    })->UseRealTime();
}

std::vector<lumo_bench::Goal> Goals()
{
    using lumo_bench::AtLeast;
    using lumo_bench::AtMost;
    using lumo_bench::Shown;
    std::vector<lumo_bench::Goal> goals = {
        AtLeast("SQLite: adds per second, 1 client thread", "Add/sqlite/real_time/threads:1", "items_per_second", 12000),
        Shown("SQLite: adds per second, 2 client threads", "Add/sqlite/real_time/threads:2", "items_per_second"),
        AtLeast("SQLite: adds per second, 4 client threads", "Add/sqlite/real_time/threads:4", "items_per_second", 20000),
        AtMost("SQLite: one add / one echo, paired", "AddVsEcho/sqlite/real_time", "ratio", 2.5),
        Shown("PostgreSQL: adds per second, 1 client thread", "Add/postgres/real_time/threads:1", "items_per_second"),
        Shown("PostgreSQL: adds per second, 2 client threads", "Add/postgres/real_time/threads:2", "items_per_second"),
        Shown("PostgreSQL: adds per second, 4 client threads", "Add/postgres/real_time/threads:4", "items_per_second"),
        Shown("PostgreSQL: one add / one echo, paired", "AddVsEcho/postgres/real_time", "ratio"),
    };
    return goals;
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    TempDir dir;
    const std::string secretFile = test_support::writePrivateFile(dir.file("secret"), kSecret);
    int exitCode = 1;
    try {
        g_orb = CommentaryClient::initOrb();
        const std::string token =
            lumo_session::issueLogonToken("bench", kSecret, lumo_session::nowMilliseconds(), 3600000);
        g_addText = server_test::u16(server_test::request(
            1, token, "\"sourceCUID\":\"bench-doc\",\"text\":\"A comment of ordinary length, written by the benchmark.\","
                      "\"appName\":\"Bench\",\"hidden\":false,\"lastmodifiedtimestamp\":-1,\"creationtimestamp\":-1"));

        server_test::PostgresInstance postgresInstance;  // outlives its server
        Server echo, sqlite, postgres;
        const std::vector<std::string> server = {LUMO_SERVER_BINARY, "--token-secret-file", secretFile, "--no-naming"};
        auto with = [&server](std::vector<std::string> more) {
            more.insert(more.begin(), server.begin(), server.end());
            return more;
        };
        bool started = start(echo, {LUMO_ECHO_SERVER_BINARY}, dir, "echo") &&
                       start(sqlite, with({"--sqlite", dir.file("bench.sqlite")}), dir, "sqlite");
        if (started) {
            benchmark::RegisterBenchmark("Echo", [&echo](benchmark::State& state) {
                for (auto _ : state)
                    if (!Echo(echo.service)) state.SkipWithError("an echo failed");
            })->UseRealTime();
            RegisterStore("sqlite", sqlite.service, echo.service);
            std::string error;
            if (postgresInstance.start(error) &&
                start(postgres, with({"--postgres", postgresInstance.freshSchema()}), dir, "postgres"))
                RegisterStore("postgres", postgres.service, echo.service);
            else
                std::cerr << "no PostgreSQL figures: " << error << std::endl;

            lumo_bench::GoalReporter reporter(Goals());
            benchmark::RunSpecifiedBenchmarks(&reporter);
            std::cout << "\n(echo and add texts: " << g_addText.size() << " characters)";
            exitCode = reporter.PrintGoals(std::cout) ? 0 : 1;
        }
        for (Server* s : {&echo, &sqlite, &postgres}) {
            s->service = LumoCommentaryService::_nil();
            if (s->process) s->process->stop(SIGTERM, std::chrono::seconds(25));
        }
        g_orb->destroy();
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
    } catch (const CORBA::Exception& e) {
        std::cerr << "CORBA " << e._name() << std::endl;
    }
    benchmark::Shutdown();
    return exitCode;
}

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
// Each of Add and Echo also reports server_cpu_us: the CPU time (user and
// system, from /proc/PID/stat) the server process spent per call, which a
// busy machine does not inflate as it does wall time.
//
// Stores: sqlite (a file in a temporary folder, shared locking: other
// processes may use it), sqlite-exclusive (the same with
// --sqlite-locking exclusive) and postgres (a private instance, started as
// the server tests start theirs: fsync off).  Every
// server is started here, reached by IOR, and stopped by its process id.
// Goals, for both SQLite configurations: at least 12,000 adds per second
// from one client thread and 20,000 from four, one add at most 2.5 echoes.
// The figures follow the table; the program exits with 1 when a goal is
// missed.  --short: a moment of each, no goal checked
// (bench/support/BenchGoals.h).
#include <benchmark/benchmark.h>
#include <signal.h>

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>
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
bool g_shortRun = false;

// Runs of 2 s at least: the server's CPU time is counted in clock ticks (10 ms
// each), so a run needs thousands of calls for a figure per call.
benchmark::internal::Benchmark* Long(benchmark::internal::Benchmark* benchmark)
{
    return g_shortRun ? benchmark : benchmark->MinTime(2);
}

// A server process reached by the IOR it writes.
struct Server {
    std::unique_ptr<ChildProcess> process;
    LumoCommentaryService_var service;
};

// User and system CPU time of a process so far, in microseconds (fields 14
// and 15 of /proc/PID/stat, after the parenthesised command name).
double cpuMicroseconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i >= 14) ticks += std::stod(field);
    return ticks * 1e6 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Runs calls from the benchmark's threads; the first thread also sets
// server_cpu_us, the server's CPU time per call of all threads (the threads
// start and end their loops together).
template <class Call>
void Calls(benchmark::State& state, pid_t server, Call call)
{
    const double cpuBefore = state.thread_index() == 0 ? cpuMicroseconds(server) : 0;
    for (auto _ : state)
        if (!call()) state.SkipWithError("a call failed");
    state.SetItemsProcessed(state.iterations());
    if (state.thread_index() == 0)
        state.counters["server_cpu_us"] =
            (cpuMicroseconds(server) - cpuBefore) / static_cast<double>(state.iterations() * state.threads());
}

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

void RegisterStore(const std::string& store, const Server& server, LumoCommentaryService_ptr echo)
{
    LumoCommentaryService_ptr service = server.service.in();
    const pid_t pid = server.process->pid();
    Long(benchmark::RegisterBenchmark(("Add/" + store).c_str(), [service, pid](benchmark::State& state) {
        Calls(state, pid, [service] { return Add(service); });
    }))->Threads(1)->Threads(2)->Threads(4)->UseRealTime();
    Long(benchmark::RegisterBenchmark(("AddVsEcho/" + store).c_str(), [service, echo](benchmark::State& state) {
        lumo_bench::Paired(state, lumo_bench::wallNs, [service] { return Add(service); }, [echo] { return Echo(echo); });
    }))->UseRealTime();
}

// Per store and client threads: adds per second (with its goal for SQLite)
// and the server's CPU time per add beside it; then one add over one echo.
std::vector<lumo_bench::Goal> Goals()
{
    std::vector<lumo_bench::Goal> goals;
    for (const int threads : {1, 4}) {
        const std::string run = "Echo/real_time/threads:" + std::to_string(threads);
        goals.push_back(lumo_bench::Shown("echo: calls per second, client threads: " + std::to_string(threads), run,
                                          "items_per_second"));
        goals.push_back(lumo_bench::Shown("  server CPU per echo, us", run, "server_cpu_us"));
    }
    for (const auto& [store, name] : {std::pair{"sqlite", "SQLite"}, std::pair{"sqlite-exclusive", "SQLite exclusive"},
                                      std::pair{"postgres", "PostgreSQL"}}) {
        const bool sqlite = std::string(store).compare(0, 6, "sqlite") == 0;
        for (const int threads : {1, 2, 4}) {
            const std::string run = std::string("Add/") + store + "/real_time/threads:" + std::to_string(threads);
            const std::string label =
                std::string(name) + ": adds per second, client threads: " + std::to_string(threads);
            const double goal = threads == 1 ? 12000 : threads == 4 ? 20000 : 0;
            goals.push_back(sqlite && goal > 0 ? lumo_bench::AtLeast(label, run, "items_per_second", goal)
                                               : lumo_bench::Shown(label, run, "items_per_second"));
            goals.push_back(lumo_bench::Shown("  server CPU per add, us", run, "server_cpu_us"));
        }
        const std::string run = std::string("AddVsEcho/") + store + "/real_time";
        const std::string label = std::string(name) + ": one add / one echo, paired";
        goals.push_back(sqlite ? lumo_bench::AtMost(label, run, "ratio", 2.5) : lumo_bench::Shown(label, run, "ratio"));
    }
    return goals;
}

}  // namespace

int main(int argc, char** argv)
{
    g_shortRun = lumo_bench::ShortRun(argc, argv);
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
            1, token, "\"sourceCUID\":\"bench-doc\",\"text\":\"A comment of the benchmark.\","
                      "\"appName\":\"Bench\",\"hidden\":false,\"lastmodifiedtimestamp\":-1,\"creationtimestamp\":-1"));

        server_test::PostgresInstance postgresInstance;  // outlives its server
        Server echo, sqlite, sqliteExclusive, postgres;
        const std::vector<std::string> server = {LUMO_SERVER_BINARY, "--token-secret-file", secretFile, "--no-naming"};
        auto with = [&server](std::vector<std::string> more) {
            more.insert(more.begin(), server.begin(), server.end());
            return more;
        };
        bool started = start(echo, {LUMO_ECHO_SERVER_BINARY}, dir, "echo") &&
                       start(sqlite, with({"--sqlite", dir.file("bench.sqlite")}), dir, "sqlite") &&
                       start(sqliteExclusive,
                             with({"--sqlite", dir.file("exclusive.sqlite"), "--sqlite-locking", "exclusive"}), dir,
                             "sqlite-exclusive");
        if (started) {
            Long(benchmark::RegisterBenchmark("Echo", [&echo](benchmark::State& state) {
                Calls(state, echo.process->pid(), [&echo] { return Echo(echo.service); });
            }))->Threads(1)->Threads(4)->UseRealTime();
            RegisterStore("sqlite", sqlite, echo.service);
            RegisterStore("sqlite-exclusive", sqliteExclusive, echo.service);
            std::string error;
            if (postgresInstance.start(error) &&
                start(postgres, with({"--postgres", postgresInstance.freshSchema()}), dir, "postgres"))
                RegisterStore("postgres", postgres, echo.service);
            else
                std::cerr << "no PostgreSQL figures: " << error << std::endl;

            lumo_bench::GoalReporter reporter(Goals());
            benchmark::RunSpecifiedBenchmarks(&reporter);
            std::cout << "\n(echo and add texts: " << g_addText.size() << " characters)";
            exitCode = reporter.PrintGoals(std::cout, !g_shortRun) ? 0 : 1;
        }
        for (Server* s : {&echo, &sqlite, &sqliteExclusive, &postgres}) {
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

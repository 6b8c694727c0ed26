// Operating a server: the Prometheus metrics scraped with curl, the health
// probe of the client, and the systemd unit checked by systemd-analyze.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "server/client/CommentaryClient.h"
#include "tests/native/server/support/ServerProcess.h"

using lumo_server::CommentaryClient;
using test_support::NamingService;

namespace server_test {
namespace {

const std::string kBin = LUMO_BIN_DIR;

// Every sample of a scrape by its name with labels, e.g.
// lumo_commentary_requests_total{kind="add",status="0"}.
std::map<std::string, double> scrape(const TempDir& dir, int port)
{
    const ProgramRun run =
        runProgram(dir, {"/usr/bin/curl", "-sS", "--max-time", "10", "http://127.0.0.1:" + std::to_string(port) + "/metrics"});
    EXPECT_EQ(run.code, 0) << run.err;
    std::map<std::string, double> samples;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] != '#') samples[line.substr(0, line.rfind(' '))] = std::stod(line.substr(line.rfind(' ') + 1));
    return samples;
}

void write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(ServerOperating, MetricsMoveByExactlyTheRequestsMade)
{
    TempDir dir;
    const int port = freePort();
    Server server(dir, "metered", {"--no-naming", "--ior-file", dir.file("ior"), "--sqlite", dir.file("db"),
                                   "--metrics-endpoint", "127.0.0.1:" + std::to_string(port)});
    ASSERT_TRUE(server.ready()) << readFile(dir.file("metered.err"));
    std::string ior = readFile(dir.file("ior"));
    LumoCommentaryService_var service = CommentaryClient::resolveByIor(g_orb, ior.substr(0, ior.find('\n')));
    const std::map<std::string, double> before = scrape(dir, port);

    const std::string add = request(1, token(), "\"sourceCUID\":\"m\",\"text\":\"t\"");
    send(service, "{\"requestType\":5}");
    send(service, add);
    send(service, add, ft("metrics", 1));
    send(service, add, ft("metrics", 1));  // a replay
    send(service, "not JSON");
    send(service, getRequest("", "\"sourceCUID\":\"m\""));  // 401
    ASSERT_EQ(runProgram(dir, {"/usr/bin/sqlite3", dir.file("db"), "DROP TABLE lumo_comment"}).code, 0);
    send(service, add);  // 500: the store fails
    std::map<std::string, double> after = scrape(dir, port);

    const std::pair<std::string, double> moves[] = {
        {"lumo_commentary_requests_total{kind=\"test_connection\",status=\"0\"}", 1},
        {"lumo_commentary_requests_total{kind=\"add\",status=\"0\"}", 3},
        {"lumo_commentary_requests_total{kind=\"unknown\",status=\"400\"}", 1},
        {"lumo_commentary_requests_total{kind=\"get\",status=\"401\"}", 1},
        {"lumo_commentary_requests_total{kind=\"add\",status=\"500\"}", 1},
        {"lumo_commentary_replays_total", 1},
        {"lumo_commentary_storage_errors_total", 1},
        {"lumo_commentary_storage_timeouts_total", 0},
        {"lumo_commentary_request_duration_seconds_count", 7},
        {"lumo_commentary_connections_open", 1},  // this test's one connection
    };
    for (const auto& [sample, move] : moves) {
        EXPECT_EQ(after.count(sample), 1u) << sample;
        EXPECT_EQ(after[sample] - (before.count(sample) ? before.at(sample) : 0.0), move) << sample;
    }
    EXPECT_GE(after["lumo_commentary_threads_in_use"], 1);
    EXPECT_EQ(server.stop(), 0);
}

// One line per server; answer times vary, so "answered in N ms".
std::string probeLines(const std::string& out)
{
    std::vector<std::string> lines;
    std::istringstream in(std::regex_replace(out, std::regex("answered in [0-9]+ ms"), "answered in N ms"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    std::string sorted;
    for (const std::string& line : lines) sorted += line + "\n";
    return sorted;
}

TEST(ServerOperating, TheHealthProbeNamesEachServerAndSaysWhy)
{
    TempDir dir;
    NamingService names(dir);
    ASSERT_TRUE(names.ready());
    write(dir.file("canned"), "{\"statusCode\":0}");
    auto in = [&](const std::string& cluster, std::vector<std::string> more) {
        more.insert(more.begin(), {"--naming", names.ref(), "--cluster", cluster, "--sqlite", dir.file("db")});
        return more;
    };
    Server alpha(dir, "alpha", in("Main", {})), beta(dir, "beta", in("Main", {}));
    Server canned(dir, "canned", in("Canned", {"--fault", "reply=" + dir.file("canned")}));
    Server gone(dir, "gone", in("Stale", {}));
    for (Server* server : {&alpha, &beta, &canned, &gone}) ASSERT_TRUE(server->ready());
    gone.process().stop(SIGKILL, kBound);  // its binding stays behind
    kill(beta.process().pid(), SIGSTOP);   // frozen: it accepts but never answers

    const struct {
        std::vector<std::string> args;
        int code;
        std::string lines;
    } cases[] = {
        {{"--cluster", "Main", "--name", "alpha", "--check"}, 0, "alpha: ok, answered in N ms\n"},
        {{"--cluster", "Main", "--check-all"}, 1,
         "alpha: ok, answered in N ms\nbeta: FAILED, no answer within 2000 ms (CORBA::TIMEOUT)\n"},
        {{"--cluster", "Canned", "--check"}, 1, "canned: FAILED, unexpected answer {\"statusCode\":0}\n"},
        {{"--cluster", "Stale", "--check"}, 1, "gone: FAILED, unreachable (CORBA::TRANSIENT)\n"},
        {{"--cluster", "Nobody", "--check-all", "--wait", "1"}, 1, "Nobody: FAILED, no server is bound in the cluster\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv{kBin + "/lumo_commentary_client", "--naming", names.ref(), "--timeout", "2"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const auto start = std::chrono::steady_clock::now();
        const ProgramRun run = runProgram(dir, argv);
        EXPECT_EQ(run.code, c.code) << c.args.back() << run.err;
        EXPECT_EQ(probeLines(run.out), c.lines);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15)) << c.lines;
    }
    kill(beta.process().pid(), SIGCONT);
    for (Server* server : {&alpha, &beta, &canned}) EXPECT_EQ(server->stop(), 0);
}

// The unit as `cmake --install` places it, pointed at the installed programs,
// passes systemd-analyze verify without a word.  Containers without systemd
// skip (and say so).
TEST(ServerOperating, TheInstalledSystemdUnitVerifies)
{
    const std::string analyze = "/usr/bin/systemd-analyze";
    if (!std::filesystem::exists(analyze)) GTEST_SKIP() << "systemd-analyze is not installed here";
    TempDir dir;
    write(dir.file("probe.service"), "[Service]\nExecStart=/bin/true\n");
    const ProgramRun probe = runProgram(dir, {analyze, "verify", dir.file("probe.service")});
    if (probe.code != 0 || !probe.err.empty())
        GTEST_SKIP() << "systemd-analyze verify cannot run here: " << probe.err;

    const std::string prefix = dir.file("usr/local"), units = prefix + "/lib/systemd/system/";
    ASSERT_EQ(runProgram(dir, {LUMO_CMAKE, "--install", LUMO_BUILD_DIR, "--prefix", prefix}).code, 0);
    std::string unit = readFile(units + "lumo-commentary-server@.service");
    ASSERT_NE(unit.find("ExecStart=/usr/local/bin/lumo_commentary_server "), std::string::npos);
    unit.replace(unit.find("/usr/local/bin"), 14, prefix + "/bin");
    write(units + "lumo-commentary-server@.service", unit);
    const ProgramRun run = runProgram(dir, {analyze, "verify", units + "lumo-commentary-server@app1.service"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_EQ(unit.find("--token-secret "), std::string::npos) << "secrets come from files";
}

}  // namespace
}  // namespace server_test

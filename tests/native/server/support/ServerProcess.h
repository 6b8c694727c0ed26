// A commentary server process for the process suites, and the client side
// they share: one ORB for the test program, logon tokens, FT contexts.
#pragma once

#include <omniORB4/CORBA.h>
#include <signal.h>

#include <chrono>

#include <optional>
#include <string>
#include <vector>

#include "idl/FtRequestContext.h"
#include "idl/LumoCommentaryService.hh"
#include "tests/native/server/support/ServerTestKit.h"

namespace server_test {

constexpr char kSecret[] = "process-secret";
constexpr auto kBound = std::chrono::seconds(30);

// The test program's ORB (CommentaryClient::initOrb, allowing many connections
// to one server and messages far beyond a server's limit), destroyed after
// the last test.
extern CORBA::ORB_var g_orb;

class Server {
public:
    // lumo_commentary_server with the secret, the name and a request log, then args.
    Server(const TempDir& dir, const std::string& name, std::vector<std::string> args);
    bool ready() { return m_process.waitForOutput("ready\n", kBound); }
    bool logged(const std::string& line) { return test_support::waitForText(m_log, line + "\n", kBound); }
    int stop() { return m_process.stop(SIGTERM, std::chrono::seconds(25)); }
    ChildProcess& process() { return m_process; }
    std::vector<std::string> logLines() const;

private:
    std::string m_log;
    ChildProcess m_process;
};

std::string token();
std::u16string send(LumoCommentaryService_ptr service, const std::string& text,
                    const std::optional<lumo_ft::FtRequest>& ft = std::nullopt);
lumo_ft::FtRequest ft(const std::string& client, int32_t retention);

struct ProgramRun {
    int code = -1;  // as ChildProcess::wait
    std::string out, err;
};
// Runs a program to its end (at most kBound), standard input from inputPath.
ProgramRun runProgram(const TempDir& dir, std::vector<std::string> argv, const std::string& inputPath = "/dev/null");

}  // namespace server_test

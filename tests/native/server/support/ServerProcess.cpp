#include "tests/native/server/support/ServerProcess.h"

#include <gtest/gtest.h>
#include <signal.h>

#include "platform/session/LogonToken.h"
#include "server/client/CommentaryClient.h"

namespace server_test {

CORBA::ORB_var g_orb;

namespace {

class OrbEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        g_orb = lumo_server::CommentaryClient::initOrb(
            {"-ORBmaxGIOPConnectionPerServer", "64", "-ORBgiopMaxMsgSize", "67108864"});
    }
    void TearDown() override
    {
        g_orb->destroy();
        g_orb = CORBA::ORB::_nil();
    }
};
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new OrbEnvironment);

std::vector<std::string> withCommon(const TempDir& dir, const std::string& name, const std::string& log,
                                    std::vector<std::string> args)
{
    const std::string secret = test_support::writePrivateFile(dir.file("token-secret"), kSecret);
    args.insert(args.begin(), {LUMO_SERVER_BINARY, "--token-secret-file", secret, "--name", name, "--request-log", log});
    return args;
}

}  // namespace

Server::Server(const TempDir& dir, const std::string& name, std::vector<std::string> args)
    : m_log(dir.file(name + ".log")),
      m_process(withCommon(dir, name, m_log, std::move(args)), dir.file(name + ".out"), dir.file(name + ".err"))
{
}

std::vector<std::string> Server::logLines() const
{
    std::vector<std::string> lines;
    const std::string text = readFile(m_log);
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::string token() { return lumo_session::issueLogonToken("proc", kSecret, lumo_session::nowMilliseconds(), 3600000); }

std::u16string send(LumoCommentaryService_ptr service, const std::string& text,
                    const std::optional<lumo_ft::FtRequest>& ft)
{
    return lumo_server::CommentaryClient::execute(service, u16(text), ft);
}

lumo_ft::FtRequest ft(const std::string& client, int32_t retention)
{
    lumo_ft::FtRequest r;
    r.clientId = client;
    r.retentionId = retention;
    r.expirationTime = static_cast<CORBA::ULongLong>(lumo_session::nowMilliseconds() + 600000);
    return r;
}

ProgramRun runProgram(const TempDir& dir, std::vector<std::string> argv, const std::string& inputPath)
{
    static int runs = 0;
    const std::string out = dir.file("run" + std::to_string(++runs) + ".out"), err = out + ".err";
    argv.insert(argv.begin(), {"/bin/sh", "-c", "exec \"$@\" < \"$0\"", inputPath});
    ChildProcess child(argv, out, err);
    ProgramRun run;
    run.code = child.wait(kBound);
    run.out = readFile(out);
    run.err = readFile(err);
    return run;
}

}  // namespace server_test

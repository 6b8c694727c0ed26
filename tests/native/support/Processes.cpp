#include "tests/native/support/Processes.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace test_support {
namespace {

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

template <class Done>
bool pollUntil(std::chrono::milliseconds timeout, Done done)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace

std::string writePrivateFile(const std::string& path, const std::string& text)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("cannot write " + path);
    ::close(fd);
    return path;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "lumo-test-XXXXXX").string();
    if (!mkdtemp(&pattern[0])) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

int freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0) close(fd);
        throw std::runtime_error("no free port");
    }
    close(fd);
    return ntohs(address.sin_port);
}

bool waitForPort(int port, std::chrono::milliseconds timeout)
{
    return pollUntil(timeout, [port] {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = loopback(port);
        const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(fd);
        return connected;
    });
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool waitForText(const std::string& path, const std::string& text, std::chrono::milliseconds timeout)
{
    return pollUntil(timeout, [&] { return readFile(path).find(text) != std::string::npos; });
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& outPath,
                           const std::string& errPath, const std::string& runAsUser)
    : m_outPath(outPath)
{
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const struct passwd* user = nullptr;
    if (!runAsUser.empty() && geteuid() == 0) {
        user = getpwnam(runAsUser.c_str());
        if (!user) throw std::runtime_error("no user " + runAsUser);
    }
    const uid_t uid = user ? user->pw_uid : 0;
    const gid_t gid = user ? user->pw_gid : 0;
    const pid_t parent = getpid();

    m_pid = fork();
    if (m_pid < 0) throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        // Only async-signal-safe calls from here on.
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int err = errPath.empty() ? out : open(errPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (out >= 0) dup2(out, 1);
        if (err >= 0) dup2(err, 2);
        const int in = open("/dev/null", O_RDONLY);
        if (in >= 0) dup2(in, 0);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (user && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) _exit(126);
        // After any change of user, which clears the setting.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(125);
        execv(args[0], args.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess()
{
    if (running()) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &m_status, 0);
    }
}

bool ChildProcess::running()
{
    if (m_pid <= 0 || m_reaped) return false;
    if (waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_reaped = true;
    return !m_reaped;
}

int ChildProcess::wait(std::chrono::milliseconds timeout)
{
    if (!pollUntil(timeout, [this] { return !running(); })) return -1;
    return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : 128 + WTERMSIG(m_status);
}

int ChildProcess::stop(int signal, std::chrono::milliseconds timeout)
{
    if (running()) kill(m_pid, signal);
    return wait(timeout);
}

bool ChildProcess::waitForOutput(const std::string& text, std::chrono::milliseconds timeout)
{
    bool found = false;
    pollUntil(timeout, [&] { return (found = output().find(text) != std::string::npos) || !running(); });
    return found || output().find(text) != std::string::npos;
}

NamingService::NamingService(const TempDir& dir, int port)
    : m_port(port ? port : freePort()),
      m_process({LUMO_OMNINAMES, "-start", std::to_string(m_port), "-always", "-datadir", dir.path(), "-ORBendPoint",
                 "giop:tcp:127.0.0.1:" + std::to_string(m_port)},
                dir.file("omniNames.out"))
{
}

bool NamingService::ready(std::chrono::milliseconds timeout) { return waitForPort(m_port, timeout); }

}  // namespace test_support

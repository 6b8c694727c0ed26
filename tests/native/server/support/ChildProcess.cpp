#include "tests/native/server/support/ChildProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace server_test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& stdoutPath,
                           const std::string& stderrPath, const std::string& runAsUser)
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
        const int out = open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
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
    if (running()) stop(SIGKILL, std::chrono::seconds(10));
}

bool ChildProcess::running()
{
    if (m_pid <= 0 || m_reaped) return false;
    const pid_t r = waitpid(m_pid, &m_status, WNOHANG);
    if (r == m_pid) m_reaped = true;
    return !m_reaped;
}

int ChildProcess::wait(std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (running()) {
        if (std::chrono::steady_clock::now() >= end) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return m_status;
}

int ChildProcess::stop(int signal, std::chrono::milliseconds timeout)
{
    if (running()) kill(m_pid, signal);
    return wait(timeout);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool waitForText(const std::string& path, const std::string& text, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (readFile(path).find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace server_test

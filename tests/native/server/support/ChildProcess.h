// A program started by a test and stopped by its process id, also when the
// test fails (the destructor kills what is still running).  The child also
// gets SIGKILL should the test process die first.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace server_test {

class ChildProcess {
public:
    // Starts argv[0] with the arguments; standard output and error go to the
    // given files.  runAsUser: the name of a user to switch to before exec
    // (only when running as root), empty for none.
    ChildProcess(const std::vector<std::string>& argv, const std::string& stdoutPath,
                 const std::string& stderrPath, const std::string& runAsUser = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    bool running();
    // Sends the signal and waits up to timeout for the exit; the exit status
    // as from waitpid, or -1 when the child did not end in time.
    int stop(int signal, std::chrono::milliseconds timeout);
    // Waits for the exit without signalling; -1 on timeout.
    int wait(std::chrono::milliseconds timeout);

private:
    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = 0;
};

// Waits until the file contains the text; false on timeout.
bool waitForText(const std::string& path, const std::string& text, std::chrono::milliseconds timeout);
std::string readFile(const std::string& path);

}  // namespace server_test

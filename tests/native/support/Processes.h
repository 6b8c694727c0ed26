// Programs started by a test on 127.0.0.1 and stopped by their process id,
// also when the test fails: the destructors kill and reap what still runs, and
// a child gets SIGKILL should the test process die first.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace test_support {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A TCP port on 127.0.0.1 that nothing listens on right now.
int freePort();
// Waits until a TCP connection to 127.0.0.1:port succeeds.
bool waitForPort(int port, std::chrono::milliseconds timeout);
std::string readFile(const std::string& path);
// Writes the text to a file readable by its owner only (a secret); returns the path.
std::string writePrivateFile(const std::string& path, const std::string& text);
// Waits until the file holds the text; false on timeout.
bool waitForText(const std::string& path, const std::string& text, std::chrono::milliseconds timeout);

class ChildProcess {
public:
    // Starts argv[0]; standard output and error are appended to the files
    // (one file when errPath is empty).  runAsUser: a user to switch to before
    // exec when running as root, empty for none.
    ChildProcess(const std::vector<std::string>& argv, const std::string& outPath, const std::string& errPath = "",
                 const std::string& runAsUser = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running();
    // Waits for the end: the exit code, 128 + the signal that ended it, or -1
    // when it still runs after the timeout.
    int wait(std::chrono::milliseconds timeout);
    // Sends the signal, then as wait.
    int stop(int signal, std::chrono::milliseconds timeout);
    // Waits until the standard output holds the text; false when the process
    // ends or time runs out first.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds timeout);
    std::string output() const { return readFile(m_outPath); }
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = 0;
    std::string m_outPath;
};

// A private omniNames on a free port (or the one given), its data in the
// folder.
class NamingService {
public:
    explicit NamingService(const TempDir& dir, int port = 0);
    std::string ref() const { return "corbaloc::127.0.0.1:" + std::to_string(m_port) + "/NameService"; }
    int port() const { return m_port; }
    // Waits until it accepts connections.
    bool ready(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    std::string output() const { return m_process.output(); }

private:
    int m_port;
    ChildProcess m_process;
};

}  // namespace test_support

// Child processes for the end-to-end tests: omniNames and commentary servers
// on 127.0.0.1, started and stopped by process id.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

// A TCP port on 127.0.0.1 that nothing listens on right now.
int freePort();

// A fresh directory under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// One child process.  Its standard output and error go to a file; the
// destructor kills it (SIGKILL) and reaps it if it still runs.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& outputFile);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    bool running();
    // Waits until the output holds the line, the process ends, or time runs out.
    bool waitForLine(const std::string& line, std::chrono::milliseconds timeout);
    // Sends the signal; with wait, waits for the end (SIGKILL after the timeout).
    void signal(int sig);
    // Waits for the end; the exit status (-1: still running after the timeout,
    // then killed).
    int waitForExit(std::chrono::milliseconds timeout);
    void kill() { signal(9); waitForExit(std::chrono::milliseconds(5000)); }
    std::string output() const;

private:
    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = 0;
    std::string m_outputFile;
};

// Waits until a TCP connection to 127.0.0.1:port succeeds.
bool waitForPort(int port, std::chrono::milliseconds timeout);

std::string readFile(const std::string& path);

#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// A program started by a test, with the environment variables given added to the test's own.
// The destructor ends it if it is still running, so a failed test leaves nothing behind.
class CChildProcess {
public:
    CChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                  int passFd = -1);
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    bool Running();
    // The exit status once it has ended within the timeout; -1 when it was killed by a signal.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    void Terminate();

private:
    pid_t m_pid = -1;
    std::optional<int> m_exitStatus;
};

#include "CChildProcess.h"

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
const auto kPollInterval = std::chrono::milliseconds(20);
const auto kTerminateGrace = std::chrono::seconds(3);
} // namespace

CChildProcess::CChildProcess(const std::vector<std::string>& argv,
                             const std::vector<std::string>& env, int passFd) {
    m_pid = fork();
    if (m_pid != 0)
        return;
    for (const std::string& assignment : env)
        putenv(const_cast<char*>(assignment.c_str()));
    for (int fd = 3; fd < 256; ++fd) {
        if (fd != passFd)
            close(fd);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

CChildProcess::~CChildProcess() {
    Terminate();
}

bool CChildProcess::Running() {
    if (m_pid <= 0 || m_exitStatus)
        return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == 0)
        return true;
    m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
}

std::optional<int> CChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(kPollInterval);
    return m_exitStatus;
}

void CChildProcess::Terminate() {
    if (!Running())
        return;
    kill(m_pid, SIGTERM);
    if (!WaitForExit(std::chrono::duration_cast<std::chrono::milliseconds>(kTerminateGrace))) {
        kill(m_pid, SIGKILL);
        WaitForExit(std::chrono::milliseconds(kTerminateGrace));
    }
}

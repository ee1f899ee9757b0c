#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// A program started by a test, with the environment variables given added to the test's own.
// What it writes to its standard error is kept, so that a test that fails can say why the
// program failed; the destructor ends it if it is still running, so a failed test leaves
// nothing behind.
class CChildProcess {
public:
    // What a command that ran to its end left behind.
    struct Result {
        int status = -1; // -1 when it could not start, was killed or did not finish in time
        std::string output;
        std::string errors;
        std::string command;

        bool Succeeded() const { return status == 0; }
        // The command, its exit status and its errors, for a test's failure message.
        std::string Describe() const;
    };

    CChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env);
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // Runs a command to its end, or until the timeout, when it is killed.
    static Result Run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                      std::chrono::milliseconds timeout = std::chrono::seconds(30));

    bool Started() const { return m_bStarted; }
    qint64 Pid() const { return m_process.processId(); }
    bool Running();
    // The exit status once it has ended within the timeout; -1 when it was killed by a signal.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    void Terminate();
    void Kill();
    // One line of its standard output without the line break; empty when none came in time.
    std::string ReadLine(std::chrono::milliseconds timeout);
    bool Write(const std::string& text);
    // Everything it has written to its standard error so far.
    std::string Errors() const;
    // Its command line, its state and its errors, for a test's failure message.
    std::string Describe();

private:
    std::string m_command;
    QTemporaryDir m_logDir;
    QProcess m_process;
    bool m_bStarted = false;
};

#pragma once

#include "CChildProcess.h"
#include "CXSession.h"

#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// Wine on a private X server, in a Wine prefix of its own made for the session, 64-bit unless
// WINELOADER and WINEARCH choose the 32-bit one, at one screen scale: Wine's LogPixels, 96 for
// 100 %, 144 for 150 %, 192 for 200 %. Windows programs started through it are driven and looked
// at through the X session (xdotool, wmctrl, import). The prefix and every Wine process of it go
// with the session.
class CWineSession {
public:
    CWineSession(const CXSession& x, int logPixels);
    ~CWineSession();
    CWineSession(const CWineSession&) = delete;
    CWineSession& operator=(const CWineSession&) = delete;

    bool Ready() const { return m_ready; }
    // Why the prefix could not be made or set, when it could not.
    const std::string& Failure() const { return m_failure; }
    int LogPixels() const { return m_nLogPixels; }
    // What a Wine process of this session needs in its environment.
    std::vector<std::string> Environment() const;

    // Starts a Windows program with its arguments, for a test to drive.
    std::unique_ptr<CChildProcess> Start(const std::string& program,
                                         const std::vector<std::string>& args = {}) const;
    // Runs one to its end and gives its exit status (-1 when it had to be killed), its output
    // and its errors.
    CChildProcess::Result Run(const std::string& program, const std::vector<std::string>& args,
                              std::chrono::milliseconds timeout) const;
    // The same where no X server can be reached, as on a machine without a desktop.
    CChildProcess::Result RunWithoutDisplay(const std::string& program,
                                            std::chrono::milliseconds timeout) const;

private:
    static std::string FreshPrefixTemplate(std::string& failure);
    bool MakePrefix();
    // extraEnvironment goes after, and so over, the session's own.
    CChildProcess::Result Wine(const std::vector<std::string>& args,
                               std::chrono::milliseconds timeout,
                               const std::vector<std::string>& extraEnvironment = {}) const;
    // Waits until the prefix's wine server has ended, having written the registry out.
    bool WaitForServer() const;

    const CXSession& m_x;
    int m_nLogPixels;
    QTemporaryDir m_prefix;
    bool m_ready = false;
    std::string m_failure;
};

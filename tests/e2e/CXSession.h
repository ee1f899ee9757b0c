#pragma once

#include "CChildProcess.h"
#include "CSession.h"

#include <QImage>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A private X server with a small window manager, for driving the real program the way a
// person would: xdotool to click and type, ImageMagick's import to look at the screen.
class CXSession : public CSession {
public:
    // Who answers Alt+Space, the key that opens a window's own menu: openbox's usual set-up keeps
    // it for openbox's menu; with Program, openbox binds no key at all and it reaches the window.
    enum class WindowMenuKey { Manager, Program };

    explicit CXSession(const std::string& artifactDir,
                       WindowMenuKey windowMenuKey = WindowMenuKey::Manager);
    // A session with another window manager than openbox, which must claim the root window's
    // _NET_SUPPORTING_WM_CHECK once it is ready.
    CXSession(const std::string& artifactDir, std::vector<std::string> windowManager);
    ~CXSession();

    const std::string& Display() const { return m_display; }
    std::string DisplayVariable() const { return "DISPLAY=" + m_display; }

    using Result = CChildProcess::Result;
    // Runs a shell command against this server and returns its exit status, standard output and
    // errors.
    Result Run(const std::string& command) const;

    // The id of the first window whose title is exactly this, once it is mapped; empty on timeout.
    std::string WaitForWindow(const std::string& title, std::chrono::seconds timeout) const;
    // What the server, the window manager and the program each make of the windows titled so,
    // for a test whose window never showed: each one's map state, parent and window-manager
    // properties, the windows openbox manages, and the stacks of the program's threads.
    std::string DescribeWindows(const std::string& title, qint64 programPid) const;
    // Takes a picture of a window (or of the whole screen for "root"), keeps it as a test
    // artifact under the given name and returns it; a failure to take it fails the test.
    QImage Screenshot(const std::string& window, const std::string& name) const;
    // Polls cond until it holds or the timeout passes.
    static bool WaitUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout);

private:
    void StartAndRetry();
    bool Start();
    // openbox's command line: its own configuration, or one written for this session.
    std::vector<std::string> WindowManagerCommand();

    WindowMenuKey m_windowMenuKey = WindowMenuKey::Manager;
    std::vector<std::string> m_windowManagerCommand; // empty for openbox
    QTemporaryDir m_configDir;
    std::string m_display;
    std::unique_ptr<CChildProcess> m_server;
    std::unique_ptr<CChildProcess> m_windowManager;
};

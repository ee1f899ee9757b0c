#pragma once

#include "CChildProcess.h"

#include <QImage>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

// A private X server with a small window manager, for driving the real program the way a
// person would: xdotool to click and type, ImageMagick's import to look at the screen.
class CXSession {
public:
    explicit CXSession(const std::string& artifactDir);
    ~CXSession();

    bool Ready() const { return m_ready; }
    // Why the server or its window manager did not start, when it did not.
    const std::string& Failure() const { return m_failure; }
    const std::string& Display() const { return m_display; }
    std::string DisplayVariable() const { return "DISPLAY=" + m_display; }

    using Result = CChildProcess::Result;
    // Runs a shell command against this server and returns its exit status, standard output and
    // errors.
    Result Run(const std::string& command) const;

    // The id of the first window whose title is exactly this, once it is mapped; empty on timeout.
    std::string WaitForWindow(const std::string& title, std::chrono::seconds timeout) const;
    // Takes a picture of a window (or of the whole screen for "root"), keeps it as a test
    // artifact under the given name and returns it; a failure to take it fails the test.
    QImage Screenshot(const std::string& window, const std::string& name) const;
    // Polls cond until it holds or the timeout passes.
    static bool WaitUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout);

private:
    bool Start();

    std::string m_artifactDir;
    std::string m_display;
    std::unique_ptr<CChildProcess> m_server;
    std::unique_ptr<CChildProcess> m_windowManager;
    bool m_ready = false;
    std::string m_failure;
};

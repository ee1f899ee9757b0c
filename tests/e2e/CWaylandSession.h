#pragma once

#include "CChildProcess.h"
#include "CSession.h"

#include <QImage>
#include <QRect>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A private Wayland desktop: sway without a screen (its headless backend and software
// renderer) at a given output scale, with a keyboard and a pointer of its own, for driving the
// real program the way a person would: wtype to type, a virtual pointer to click, grim to look
// at the screen and swaymsg to find, resize and close windows.
class CWaylandSession : public CSession {
public:
    // The input devices the seat has: a keyboard always, a pointer unless told otherwise.
    enum class Seat { KeyboardAndPointer, KeyboardOnly };

    CWaylandSession(const std::string& artifactDir, double scale,
                    Seat seat = Seat::KeyboardAndPointer);
    ~CWaylandSession();

    double Scale() const { return m_scale; }
    // What a client needs to connect, as this test's own user.
    std::vector<std::string> ClientEnvironment() const;

    using Result = CChildProcess::Result;
    Result Run(const std::vector<std::string>& argv) const;
    // Runs a sway command, such as "[title=\"^Ondeline$\"] kill".
    Result Sway(const std::string& command) const;
    // Types with wtype's arguments, such as {"-k", "Tab"}.
    Result Type(const std::vector<std::string>& keys) const;
    // Presses and releases the left button at the centre of a device pixel of the output.
    Result Click(QPoint devicePixel) const;

    enum WindowState { Shown, Focused };
    // The inside of the first window titled exactly so, in the output's logical pixels, once it
    // is shown (and has the keyboard, if asked); nothing on timeout.
    std::optional<QRect> WaitForWindow(const std::string& title, std::chrono::milliseconds timeout,
                                       WindowState state = Shown) const;
    // Takes a picture, in device pixels, of a part of the output given in logical pixels, keeps
    // it as a test artifact under the given name and returns it; a failure fails the test.
    QImage Screenshot(const QRect& area, const std::string& name) const;
    // Ends the compositor at once, as a crash would.
    void KillCompositor();

private:
    bool Start();
    bool WaitForSockets();

    double m_scale;
    Seat m_seat;
    QTemporaryDir m_dir;
    std::string m_runtimeDir;
    std::string m_clientRuntimeDir;
    std::string m_display;
    std::string m_ipcSocket;
    std::unique_ptr<CChildProcess> m_compositor;
    std::unique_ptr<CChildProcess> m_keyboard;
    std::unique_ptr<CChildProcess> m_pointer;
};

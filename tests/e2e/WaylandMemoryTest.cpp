// Ondeline draws with the processor alone, so on a Wayland desktop it must load no GL driver
// and cost about the memory it costs under X: the same program with calm water, first on a
// headless sway, then in Xvfb.

#include "CChildProcess.h"
#include "CWaylandSession.h"
#include "CXSession.h"
#include "WaitUntil.h"
#include "WaterPicture.h"

#include <gtest/gtest.h>

#include <QSize>

#include <fstream>
#include <iostream>
#include <set>
#include <string>

using namespace std::chrono_literals;

namespace {
const auto kWindowTimeout = 30s;
const auto kPictureTimeout = 15s;
// Calm water at the starting grid, one pixel a cell at scale 1.
const int kCalmCells = 100 * 100;
// How much more resident memory Wayland may take than X: its own buffers and protocol state.
const long kMemorySlackKb = 10 * 1024;
// Parts of the names of GL drivers and what they bring: the vendor libraries behind EGL and GLX,
// Mesa's drivers and LLVM. The dispatch libraries Qt links against (libEGL.so.1 and friends)
// are tiny and load under X too.
const char* const kDriverNames[] = {"libEGL_", "libGLX_",    "_dri.so",   "libgallium",
                                    "libLLVM", "libvulkan_", "libxcb-dri"};

std::set<std::string> DriversMapped(qint64 pid) {
    std::set<std::string> drivers;
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    for (std::string line; std::getline(maps, line);) {
        const std::string path = line.substr(line.find_last_of(' ') + 1);
        for (const char* name : kDriverNames) {
            if (path.find(name) != std::string::npos)
                drivers.insert(path);
        }
    }
    return drivers;
}

long ResidentKb(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

bool ShowsCalmWater(const QImage& shot) {
    return FindCalmWater(shot).calmCount == kCalmCells;
}
} // namespace

TEST(WaylandMemory, NoGlDriverIsLoadedAndMemoryStaysNearXs) {
    long waylandKb = 0;
    // sway tiles the window over its whole output, and the buffers behind a window grow with it,
    // so the X window is given the same size before the two are compared.
    QSize waylandWindow;
    {
        CWaylandSession session(ONDELINE_ARTIFACT_DIR, 1.0);
        ASSERT_TRUE(session.Ready()) << session.Failure();
        CChildProcess program({ONDELINE_PROGRAM}, session.ClientEnvironment());
        const auto window = session.WaitForWindow("Ondeline", kWindowTimeout);
        ASSERT_TRUE(window) << "no window on Wayland; " << program.Describe();
        waylandWindow = window->size();
        ASSERT_TRUE(WaitUntil(
            [&] { return ShowsCalmWater(session.Screenshot(*window, "WaylandMemory-calm")); },
            kPictureTimeout))
            << "no calm water on Wayland";
        const std::set<std::string> drivers = DriversMapped(program.Pid());
        EXPECT_TRUE(drivers.empty()) << "a GL driver is loaded: " << *drivers.begin();
        waylandKb = ResidentKb(program.Pid());
    }
    CXSession session(ONDELINE_ARTIFACT_DIR);
    ASSERT_TRUE(session.Ready()) << session.Failure();
    CChildProcess program({ONDELINE_PROGRAM},
                          {session.DisplayVariable(), "QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY="});
    const std::string window = session.WaitForWindow("Ondeline", kWindowTimeout);
    ASSERT_FALSE(window.empty()) << "no window under X; " << program.Describe();
    ASSERT_EQ(session
                  .Run("xdotool windowsize --sync " + window + " " +
                       std::to_string(waylandWindow.width()) + " " +
                       std::to_string(waylandWindow.height()))
                  .status,
              0);
    ASSERT_TRUE(
        WaitUntil([&] { return ShowsCalmWater(session.Screenshot(window, "X11Memory-calm")); },
                  kPictureTimeout))
        << "no calm water under X";
    const long xKb = ResidentKb(program.Pid());
    std::cout << "resident memory with calm water: Wayland " << waylandKb << " kB, X " << xKb
              << " kB\n";
#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizer's own bookkeeping makes both figures meaningless.
    EXPECT_LE(waylandKb, xKb + kMemorySlackKb);
#endif
}

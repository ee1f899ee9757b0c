#include "platform/winqt/session/Application.h"

#include "platform/winqt/session/WaylandSession.h"
#include "res/DesktopEntry.h"

#include <QApplication>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int kCannotStartStatus = 1; // exit status when there is no display to show on

const char* const kNoDisplayMessage =
    "ondeline: there is no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY "
    "is set); start it from a desktop session, or draw the water to a picture with "
    "ondeline-render.\n";
const char* const kUnreachableDisplayMessage =
    "ondeline: the display could not be reached, so the window cannot open; check DISPLAY or "
    "WAYLAND_DISPLAY, or draw the water to a picture with ondeline-render.\n";

// Tells Qt's Wayland platform to leave the window's title bar and borders to the compositor.
const char* const kNoFramesVariable = "QT_WAYLAND_DISABLE_WINDOWDECORATION";

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// The picture is drawn by the processor alone, yet Qt 6's Wayland platform loads a GL driver
// (EGL, and with a software driver LLVM: some 50 MB, and blocks it never frees) only to learn
// whether it may draw the window's title bar itself. Where the compositor draws title bars, Qt
// is told not to, and loads no driver at all. Where it does not (GNOME), a title bar is worth
// the driver. A value the user gave is kept: how the window is framed is theirs to choose. Under
// X, Qt loads no GL until a window asks for it, and none of Ondeline's does.
void LeaveGlDriversUnloaded() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool mayUseWayland =
        platform == nullptr || std::strstr(platform, "wayland") != nullptr || *platform == '\0';
    if (mayUseWayland && IsSet("WAYLAND_DISPLAY") && std::getenv(kNoFramesVariable) == nullptr &&
        CompositorDrawsWindowFrames()) {
        setenv(kNoFramesVariable, "1", 1);
    }
}

// Qt ends the process with an abort when it cannot start, for instance when the display named
// cannot be reached; this passes its warnings on and turns the end into one plain sentence and
// a failure status.
void StartUpMessageHandler(QtMsgType type, const QMessageLogContext& /*context*/,
                           const QString& text) {
    if (type != QtFatalMsg) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        return;
    }
    std::fputs(kUnreachableDisplayMessage, stderr);
    std::fflush(stderr);
    std::_Exit(kCannotStartStatus);
}

} // namespace

void StartWindowSystem() {
    // A Wayland compositor matches the window with the desktop entry, and so with its icon, by
    // this name; Qt would otherwise offer the executable's name, which no entry is filed under.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryId));
    if (QApplication::instance() != nullptr) {
        return;
    }
    // Qt picks its platform from these; with none of them set it would fail with its own long
    // message about plugins, which tells a person nothing about what to do.
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") && !IsSet("QT_QPA_PLATFORM")) {
        std::fputs(kNoDisplayMessage, stderr);
        std::exit(kCannotStartStatus);
    }
    // Qt keeps the arguments it is given for the application's life. The program's own name is
    // the only one it needs: Ondeline takes no options of Qt's.
    static int argc = 1;
    static char* argv[] = {program_invocation_name, nullptr};
    LeaveGlDriversUnloaded();
    const QtMessageHandler previous = qInstallMessageHandler(StartUpMessageHandler);
    // Ended as the main thread ends, after every window has gone and before any object with
    // static storage: Qt makes globals of its own as it runs (the list of input devices, once a
    // key is pressed on Wayland), and they must outlive the application object, whose end
    // reaches into them. The program's statics end in the reverse order of their making, so an
    // application object among them would outlive those made after it. Its Wayland connection
    // settles first (see SettleWaylandConnection).
    static thread_local std::unique_ptr<QApplication, void (*)(QApplication*)> application(
        new QApplication(argc, argv), [](QApplication* ended) {
            SettleWaylandConnection();
            delete ended;
        });
    qInstallMessageHandler(previous);
}

#include "platform/CWinApp.h"

#include "platform/WaylandSession.h"
#include "res/DesktopEntry.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int kNoApplicationStatus = 1; // exit status without an application object
constexpr int kCannotStartStatus = 1;   // exit status when Qt cannot reach a display

// The one application object; AfxGetApp hands it out.
CWinApp* g_pApp = nullptr;

// Tells Qt's Wayland platform to leave the window's title bar and borders to the compositor.
const char* const kNoFramesVariable = "QT_WAYLAND_DISABLE_WINDOWDECORATION";

const char* const kNoDisplayMessage =
    "ondeline: there is no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY "
    "is set); start it from a desktop session, or draw the water to a picture with "
    "ondeline-render.\n";
const char* const kUnreachableDisplayMessage =
    "ondeline: the display could not be reached, so the window cannot open; check DISPLAY or "
    "WAYLAND_DISPLAY, or draw the water to a picture with ondeline-render.\n";

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Qt picks its platform from these; with none of them set it would fail with its own long
// message about plugins, which tells a person nothing about what to do.
bool HasSomewhereToShow() {
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
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

int AfxWinMain(int argc, char** argv) {
    CWinApp* app = g_pApp;
    if (app == nullptr) {
        std::fputs("ondeline: there is no application object to run\n", stderr);
        return kNoApplicationStatus;
    }
    // A Wayland compositor matches the window with the desktop entry, and so with its icon, by
    // this name; Qt would otherwise offer the executable's name, which no entry is filed under.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryId));
    std::unique_ptr<QApplication> ownApplication;
    if (QApplication::instance() == nullptr) {
        if (!HasSomewhereToShow()) {
            std::fputs(kNoDisplayMessage, stderr);
            return kCannotStartStatus;
        }
        LeaveGlDriversUnloaded();
        const QtMessageHandler previous = qInstallMessageHandler(StartUpMessageHandler);
        ownApplication = std::make_unique<QApplication>(argc, argv);
        qInstallMessageHandler(previous);
    }
    // FALSE ends the application at once, without an event loop.
    const int status = app->InitInstance() == FALSE ? app->ExitInstance() : app->Run();
    if (ownApplication != nullptr) {
        SettleWaylandConnection();
    }
    return status;
}

CWinApp::CWinApp(const char* pszAppName) : m_pszAppName(pszAppName) {
    // Only the first counts; a second application object is a mistake that must not take over.
    if (g_pApp == nullptr) {
        g_pApp = this;
    }
}

CWinApp::~CWinApp() {
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    QApplication::exec();
    return ExitInstance();
}

int CWinApp::ExitInstance() {
    return 0;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return ::LoadIcon(m_hInstance, nIDResource);
}

void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() {
    if (g_pApp != nullptr) {
        return g_pApp;
    }
    // Made on first use so that it never counts as the program's own application object.
    static CWinApp* standIn = [] {
        CWinApp* app = new CWinApp;
        if (g_pApp == app) {
            g_pApp = nullptr;
        }
        return app;
    }();
    return standIn;
}

CWnd* AfxGetMainWnd() {
    return AfxGetApp()->m_pMainWnd;
}

#include "platform/CWinApp.h"

#include "platform/Afx.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kNoApplicationStatus = 1; // exit status without an application object
constexpr int kCannotStartStatus = 1;   // exit status when Qt cannot reach a display

// The one application object; AfxGetApp hands it out.
CWinApp* g_pApp = nullptr;

// Qt ends the process with an abort when it cannot start, for instance without a display; this
// turns that into its message and a plain failure status.
void StartUpMessageHandler(QtMsgType type, const QMessageLogContext& /*context*/,
                           const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    if (type == QtFatalMsg) {
        std::fflush(stderr);
        std::_Exit(kCannotStartStatus);
    }
}

} // namespace

int AfxWinMain(int argc, char** argv) {
    CWinApp* app = g_pApp;
    if (app == nullptr) {
        std::fputs("ondeline: there is no application object to run\n", stderr);
        return kNoApplicationStatus;
    }
    std::unique_ptr<QApplication> ownApplication;
    if (QApplication::instance() == nullptr) {
        const QtMessageHandler previous = qInstallMessageHandler(StartUpMessageHandler);
        ownApplication = std::make_unique<QApplication>(argc, argv);
        qInstallMessageHandler(previous);
    }
    // FALSE ends the application at once, without an event loop.
    if (app->InitInstance() == FALSE) {
        return app->ExitInstance();
    }
    return app->Run();
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

#include "platform/afx/CWinApp.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr int kNoApplicationStatus = 1; // exit status without an application object

CWinApp* g_pApp = nullptr;

// The file name of the program's path, which names the application when it names itself not.
const char* FileNameOf(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    const std::size_t slash = std::string_view(path).find_last_of("/\\");
    const char* name = slash == std::string_view::npos ? path : path + slash + 1;
    return *name == '\0' ? nullptr : name;
}

} // namespace

int AfxWinMain(int argc, char** argv) {
    CWinApp* app = g_pApp;
    if (app == nullptr) {
        std::fputs("ondeline: there is no application object to run\n", stderr);
        return kNoApplicationStatus;
    }
    if (app->m_pszAppName == nullptr && argc > 0 && argv != nullptr) {
        app->m_pszAppName = FileNameOf(argv[0]);
    }
    app->InitInstance();
    return app->ExitInstance();
}

CWinApp::CWinApp(const char* pszAppName)
    : m_pszAppName(pszAppName), m_hInstance(::GetModuleHandle(nullptr)) {
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

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return ::LoadIcon(m_hInstance, MAKEINTRESOURCEA(nIDResource));
}

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

HINSTANCE AfxGetInstanceHandle() {
    return AfxGetApp()->m_hInstance;
}

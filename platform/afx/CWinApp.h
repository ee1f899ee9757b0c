#pragma once

#include "platform/afx/CCmdTarget.h"
#include "platform/winapi/winuser.h"

class CWnd;

// The application object. Exactly one is made, usually as a global; AfxWinMain (platform/Afx.h)
// calls its InitInstance once and ends the application when that returns FALSE, or runs the
// event loop until the last window closes when it returns TRUE.
class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* pszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // Runs the event loop; its result is the process's exit status.
    virtual int Run();
    // The process's exit status when InitInstance gives FALSE or Run ends.
    virtual int ExitInstance();

    HICON LoadIcon(UINT nIDResource) const;
    // The three-dimensional look is the platform's own; kept for the program's start-up.
    BOOL Enable3dControls() { return TRUE; }

    // ID_HELP: there is no help file, so nothing is shown.
    void OnHelp();

    const char* m_pszAppName;
    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
};

// Runs the application: makes the Qt application unless one exists, calls InitInstance of the
// one CWinApp and returns the process's exit status. Without an application object it says so
// on standard error and returns 1.
int AfxWinMain(int argc, char** argv);

// The application object. Never null: before a CWinApp exists (in tests of single dialogs) a
// plain one of the platform's stands in.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

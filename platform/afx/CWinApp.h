#pragma once

#include "platform/afx/CCmdTarget.h"
#include <windows.h>

class CWnd;

// The class library's command for help (F1).
inline constexpr UINT ID_HELP = 0xE146;

// Exactly one is made, usually as a global. AfxWinMain calls InitInstance and then ExitInstance:
// there is no message loop of the application's own, only its dialogs' modal ones.
class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* pszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    // The process's exit status once InitInstance has returned.
    virtual int ExitInstance() { return 0; }

    HICON LoadIcon(UINT nIDResource) const;
    // The three-dimensional look is the platform's own; kept for the program's start-up.
    BOOL Enable3dControls() { return TRUE; }

    // ID_HELP: there is no help file, so nothing is shown.
    void OnHelp() {}

    // The name message boxes carry; AfxWinMain takes the program's file name when none is given.
    const char* m_pszAppName;
    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
};

// Without an application object it says so on standard error and returns 1.
int AfxWinMain(int argc, char** argv);

// The application object. Never null: before a CWinApp exists (in tests of single dialogs) a
// plain one of the platform's stands in.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();

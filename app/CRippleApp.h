#pragma once

#include "platform/afx/AfxWin.h"

// The application: it checks that sockets work, runs the main dialog modally as its only window
// and lets the process end when the dialog closes. It also owns the About box, which the main
// dialog's system menu asks it for.
class CRippleApp : public CWinApp {
public:
    // The process's exit status when the program could not start because sockets do not work.
    static constexpr int kSocketsFailedStatus = 1;
    // The process's exit status when the main dialog could not be made, for instance where
    // there is no display to show it on.
    static constexpr int kNoWindowStatus = 1;

    CRippleApp();

    BOOL InitInstance() override;
    // The class library's status, unless the start-up failed: a failure is never reported as
    // success.
    int ExitInstance() override;

protected:
    void OnAppAbout();

    DECLARE_MESSAGE_MAP()

private:
    int m_nExitStatus = 0; // set by InitInstance; 0 while nothing has failed
};

// The one application object of the process.
extern CRippleApp theApp;

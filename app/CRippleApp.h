#pragma once

#include "platform/afx/AfxWin.h"

// The application: it checks that sockets work, runs the main dialog modally as its only window
// and lets the process end when the dialog closes. It also owns the About box, which the main
// dialog's system menu asks it for.
class CRippleApp : public CWinApp {
public:
    CRippleApp();

    BOOL InitInstance() override;

protected:
    void OnAppAbout();

    DECLARE_MESSAGE_MAP()
};

// The one application object of the process.
extern CRippleApp theApp;

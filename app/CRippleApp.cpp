#include "app/CRippleApp.h"

#include "app/CAboutDlg.h"
#include "res/resource.h"
#include "ui/CRippleDlg.h"

// Made during static initialisation, before AfxWinMain looks for it.
CRippleApp theApp;

// clang-format off
BEGIN_MESSAGE_MAP(CRippleApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
    ON_COMMAND(IDM_ABOUTBOX, OnAppAbout)
END_MESSAGE_MAP()
// clang-format on

CRippleApp::CRippleApp() : CWinApp(nullptr) {}

BOOL CRippleApp::InitInstance() {
    m_nExitStatus = 0;
    // The program uses no sockets, but it does not start on a system where they do not work.
    if (!AfxSocketInit()) {
        AfxMessageBox(IDP_SOCKETS_INIT_FAILED, MB_OK, static_cast<UINT>(-1));
        m_nExitStatus = kSocketsFailedStatus;
        return FALSE;
    }
    AfxEnableControlContainer();
    Enable3dControls();

    CRippleDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // The dialog ends with this scope; nothing may reach it through the application afterwards.
    m_pMainWnd = nullptr;

    // FALSE ends the application here instead of entering a message loop of its own.
    return FALSE;
}

int CRippleApp::ExitInstance() {
    const int nLibraryStatus = CWinApp::ExitInstance();
    return m_nExitStatus != 0 ? m_nExitStatus : nLibraryStatus;
}

void CRippleApp::OnAppAbout() {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
}

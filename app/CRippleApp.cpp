#include "app/CRippleApp.h"

#include "app/CAboutDlg.h"
#include "res/resource.h"
#include "ui/CRippleDlg.h"

namespace {
constexpr int kDialogNotMade = -1; // what DoModal gives when the dialog's window cannot be made
} // namespace

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
    // How the dialog ended does not matter, but a dialog that never opened must not end the
    // process as a window closed by its user does.
    if (dlg.DoModal() == kDialogNotMade) {
        m_nExitStatus = kNoWindowStatus;
    }
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

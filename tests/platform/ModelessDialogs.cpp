#include "platform/afx/CDialog.h"
#include "platform/afx/CWinApp.h"
#include "platform/dialog/Dialogs.h"
#include "platform/winqt/user/WindowPeer.h"

#include <QWidget>

// Dialogs that stay without a modal loop, which only tests make: they drive a dialog from the
// outside while it stays up. The program itself runs every dialog modally.

HWND CreateDialogParamA(HINSTANCE /*hInstance*/, LPCSTR lpTemplateName, HWND hWndParent,
                        DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    HWND hDlg = MakeDialog(lpTemplateName, hWndParent, lpDialogFunc, dwInitParam);
    const WindowObject* window = FindWindowObject(hDlg);
    if (window != nullptr && !window->dialog.ended && (window->style & WS_VISIBLE) != 0) {
        window->peer->widget->show();
    }
    return hDlg;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    if (m_hWnd != nullptr) {
        return FALSE;
    }
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    HWND hWnd = ::CreateDialogParam(AfxGetInstanceHandle(), MAKEINTRESOURCEA(nIDTemplate),
                                    OwnerWindow(), AfxDlgProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr && hWnd == m_hWnd ? TRUE : FALSE;
}

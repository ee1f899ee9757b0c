#include "platform/afx/CDialog.h"

#include "platform/afx/CWinApp.h"
#include "res/DialogInit.h"

namespace {

constexpr int kNoDialog = -1; // what DoModal gives when there is no window to run

} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    auto* pDlg = reinterpret_cast<CDialog*>(lParam);
    if (pDlg == nullptr || pDlg->SubclassWindow(hWnd) == FALSE) {
        return FALSE;
    }
    pDlg->m_bOwnsWindow = TRUE;
    return AfxWndProc(hWnd, message, wParam, lParam);
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr) {
        DestroyWindow();
    }
}

int CDialog::DoModal() {
    if (m_hWnd != nullptr) {
        return kNoDialog;
    }
    // The dialog manager ends the window before it returns.
    return static_cast<int>(::DialogBoxParam(AfxGetInstanceHandle(),
                                             MAKEINTRESOURCEA(m_nIDTemplate), OwnerWindow(),
                                             AfxDlgProc, reinterpret_cast<LPARAM>(this)));
}

void CDialog::EndDialog(int nResult) {
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

HWND CDialog::OwnerWindow() const {
    const CWnd* owner = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    return owner == nullptr || owner == this ? nullptr : owner->m_hWnd;
}

// The data comes from the program's resource tables directly, on every system alike.
LRESULT CDialog::HandleInitDialog(WPARAM /*wParam*/, LPARAM /*lParam*/) {
    for (const DialogInitEntry& entry : FindDialogInit(m_nIDTemplate)) {
        if (entry.message == kDlgInitComboAddString) {
            ::SendMessage(::GetDlgItem(m_hWnd, entry.controlId), CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(entry.data));
        }
    }
    return OnInitDialog();
}

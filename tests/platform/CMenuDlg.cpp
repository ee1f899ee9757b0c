#include "CMenuDlg.h"

#include "res/resource.h"

BOOL CMenuDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CString text;
    text.LoadString(IDS_ABOUTBOX);
    CMenu* menu = GetSystemMenu(FALSE);
    if (menu != nullptr && !text.IsEmpty()) {
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, text);
    }
    return TRUE;
}

void CMenuDlg::OnSysCommand(UINT nID, LPARAM /*lParam*/) {
    m_commands.push_back(nID);
    Default();
}

// clang-format off
BEGIN_MESSAGE_MAP(CMenuDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_CLOSE()
END_MESSAGE_MAP()
// clang-format on

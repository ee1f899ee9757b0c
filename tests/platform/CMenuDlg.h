#pragma once

#include "platform/afx/AfxWin.h"
#include "res/resource.h"

#include <vector>

// A dialog that adds its item to the system menu as the main dialog does and records the
// system commands and closes it gets; other commands keep their default processing.
class CMenuDlg : public CDialog {
public:
    CMenuDlg() : CDialog(IDD_MAIN) {}

    std::vector<UINT> m_commands;
    int m_nCloses = 0;

protected:
    BOOL OnInitDialog() override;
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnClose() { ++m_nCloses; }

    DECLARE_MESSAGE_MAP()
};

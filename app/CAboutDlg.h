#pragma once

#include "platform/afx/AfxWin.h"
#include "res/resource.h"

// The About box: the program's name, version and a short notice, with an OK button. It has no
// state of its own; everything it shows comes from its template.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    enum { IDD = IDD_ABOUTBOX };

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};

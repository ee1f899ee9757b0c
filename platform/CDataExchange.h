#pragma once

#include "platform/WinTypes.h"

class CWnd;

// What DoDataExchange is given: the dialog whose controls are bound. The only exchange is
// DDX_Control's binding, which goes one way whatever UpdateData is asked, so no direction is kept.
class CDataExchange {
public:
    explicit CDataExchange(CWnd* pDlgWnd) : m_pDlgWnd(pDlgWnd) {}

    CWnd* m_pDlgWnd;
};

// Binds rControl to the dialog's control nIDC the first time it runs; afterwards it does nothing.
// A template without that control leaves rControl unbound (m_hWnd null).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

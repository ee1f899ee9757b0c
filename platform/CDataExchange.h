#pragma once

#include "platform/WinTypes.h"

class CWnd;

// What DoDataExchange is given: the dialog and the direction of the exchange.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds rControl to the dialog's control nIDC the first time it runs; afterwards it does nothing.
// A template without that control leaves rControl unbound (m_hWnd null).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

#pragma once

#include <windows.h>

class CWnd;

// What DoDataExchange is given: the dialog whose controls are bound. The only exchange is
// DDX_Control's binding, which goes one way whatever UpdateData is asked, so no direction is kept.
class CDataExchange {
public:
    explicit CDataExchange(CWnd* pDlgWnd) : m_pDlgWnd(pDlgWnd) {}

    CWnd* m_pDlgWnd;
};

#pragma once

#include "platform/afx/CDC.h"

#include <windows.h>

class CWnd;

// BeginPaint for pWnd's WM_PAINT, and EndPaint at the end of the scope. Where the system hands
// out no DC it holds a null HDC, on which every drawing call does nothing.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC();

    BOOL DrawIcon(int x, int y, HICON hIcon);

    HWND m_hWnd = nullptr;
    PAINTSTRUCT m_ps{};
};

#pragma once

#include "platform/afx/CDC.h"
#include "platform/winapi/winuser.h"

class CWnd;

// The device context of the paint in progress, for the WM_PAINT handler of pWnd: drawing goes to
// the window's client area, and the DC is released when the object goes out of scope. Made
// anywhere else (outside that window's WM_PAINT, or a second one in the same paint), it holds
// a null HDC, on which every drawing call does nothing.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC();

    BOOL DrawIcon(int x, int y, HICON hIcon);

    HWND m_hWnd = nullptr;

private:
    struct PaintState;
    PaintState* m_pState = nullptr;
};

#pragma once

#include "platform/afx/CCmdTarget.h"
#include "platform/winapi/winuser.h"

#include <memory>

class CDataExchange;
class CMenu;

// A window in the class library's style: a C++ object that stands for a window of the platform
// and receives its messages through the message map. A CWnd may exist without a window
// (m_hWnd null) and is bound to one by a dialog's creation or by DDX_Control. When the window
// ends, its last message (WM_NCDESTROY) sets m_hWnd back to null.
class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    // Gives a window this object created back to the platform; one it was only bound to stays.
    ~CWnd() override;

    HWND GetSafeHwnd() const { return m_hWnd; }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Delivers WM_TIMER with nIDEvent (or calls lpfnTimer) about every nElapse milliseconds on
    // the user-interface thread; a second call with the same id restarts that timer. Returns
    // nIDEvent, or 0 without a window. The timer ends with the window.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);

    // Client area: (0, 0) to (width, height).
    void GetClientRect(LPRECT lpRect) const;
    // The window's outer rectangle in screen coordinates.
    void GetWindowRect(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    // Converts both corners.
    void ScreenToClient(LPRECT lpRect) const;
    // Places a child in its parent's client coordinates (a top-level window on the screen). A
    // negative width or height is taken as 0.
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    // Asks for a WM_PAINT of the rectangle (client coordinates), or of the whole client area
    // when lpRect is null. The back buffer is always cleared to the background first, so the
    // erase flag changes nothing that can be seen.
    void InvalidateRect(const RECT* lpRect, BOOL bErase = TRUE);
    void Invalidate(BOOL bErase = TRUE);
    BOOL IsIconic() const;
    BOOL DestroyWindow();

    // The system menu; with bRevert TRUE it drops added items and returns null.
    CMenu* GetSystemMenu(BOOL bRevert) const;
    // Sets the big (bBigIcon TRUE) or small window icon through WM_SETICON; returns the
    // previous one.
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

    // Binds this object to the window, whose messages come to WindowProc from now on; FALSE
    // when this object has a window already, or the window does not exist or has another object.
    BOOL Attach(HWND hWndNew);
    // Binds this object to the dialog's control nID; FALSE when the dialog has no such control
    // or the control is already bound to another object.
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

    // Moves data between controls and members (bSaveAndValidate TRUE) or back, through
    // DoDataExchange.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Delivers a message to this object: the message map first, the platform's default
    // processing when no entry matches. The platform calls it for every message.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The platform's default processing of the message being handled.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void DoDataExchange(CDataExchange* pDX);

    // TRUE for windows whose creation this object made, and so which it also destroys.
    BOOL m_bOwnsWindow = FALSE;

private:
    // What the window calls; the window only watches it, so it expires with this object.
    std::shared_ptr<WindowProcFn> m_pWindowProc;
};

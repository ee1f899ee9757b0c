#pragma once

#include "platform/afx/CCmdTarget.h"
#include <windows.h>

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

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Delivers WM_TIMER with nIDEvent about every nElapse milliseconds on the user-interface
    // thread; a second call with the same id restarts that timer. Returns nIDEvent, or 0 without
    // a window. The timer ends with the window.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);

    // Client area: (0, 0) to (width, height).
    void GetClientRect(LPRECT lpRect) const;
    // The window's outer rectangle in screen coordinates.
    void GetWindowRect(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    // Converts both corners.
    void ScreenToClient(LPRECT lpRect) const;
    // Places a child in its parent's client coordinates (a top-level window on the screen). A
    // negative width or height is taken as 0.
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    // Asks for a WM_PAINT of the rectangle (client coordinates), or of the whole client area
    // when lpRect is null; with bErase the background is erased first.
    void InvalidateRect(const RECT* lpRect, BOOL bErase = TRUE);
    void Invalidate(BOOL bErase = TRUE);
    BOOL IsIconic() const;
    BOOL DestroyWindow();

    // The system menu; with bRevert TRUE it drops added items and returns null.
    CMenu* GetSystemMenu(BOOL bRevert) const;
    // Sets the big (bBigIcon TRUE) or small window icon through WM_SETICON; returns the
    // previous one. The small slot gets the icon's own small image where its resource has one.
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

    // Binds this object to the window by putting the class library's window procedure in
    // front of the window's own, which then handles what the message map leaves; FALSE when
    // this object has a window already, or the window does not exist or has another object.
    BOOL SubclassWindow(HWND hWnd);
    // Binds this object to the dialog's control nID; FALSE when the dialog has no such control
    // or the control is already bound to another object.
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    // The object bound to the window; null when there is none.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Moves data between controls and members (bSaveAndValidate TRUE) or back, through
    // DoDataExchange.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Delivers a message to this object: the message map first, the window's own procedure
    // when no entry matches.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The window's own processing of the message being handled.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void DoDataExchange(CDataExchange* pDX);

    // TRUE for windows whose creation this object made, and so which it also destroys.
    BOOL m_bOwnsWindow = FALSE;

private:
    friend LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Lets go of the window: its own procedure takes its messages again.
    void UnsubclassWindow();
    // The window has ended; this object stands for none from now on and may be bound again.
    void Detached();

    // The window's procedure from before the binding, which handles what this object leaves.
    WNDPROC m_pfnSuper = nullptr;
};

// The window procedure of every window bound to an object: it hands each message to that
// object's WindowProc.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

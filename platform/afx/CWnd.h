#pragma once

#include "platform/afx/CCmdTarget.h"
#include <windows.h>

class CDataExchange;
class CMenu;

// Stands for a window of the platform and receives its messages through the message map. It may
// exist without a window (m_hWnd null), is bound to one by a dialog's creation or by DDX_Control,
// and lets go of it at the window's last message (WM_NCDESTROY).
class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    // Gives a window this object created back to the platform; one it was only bound to stays.
    ~CWnd() override;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // A second call with the same id restarts that timer; 0 without a window. The timer ends
    // with the window.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);

    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;
    // A negative width or height is taken as 0.
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void InvalidateRect(const RECT* lpRect, BOOL bErase = TRUE);
    void Invalidate(BOOL bErase = TRUE);
    BOOL IsIconic() const;
    BOOL DestroyWindow();

    // With bRevert it drops the added items and returns null.
    CMenu* GetSystemMenu(BOOL bRevert) const;
    // The small slot gets the icon's own small image where its resource has one.
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

    // Puts the class library's window procedure in front of the window's own; FALSE when this
    // object has a window already, or the window does not exist or has another object.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    static CWnd* FromHandlePermanent(HWND hWnd);

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // The message map first, the window's own procedure when no entry matches.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The window's own processing of the message being handled.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void DoDataExchange(CDataExchange* /*pDX*/) {}

    // TRUE for windows whose creation this object made, and so which it also destroys.
    BOOL m_bOwnsWindow = FALSE;

private:
    friend LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The window has ended; this object stands for none from now on and may be bound again.
    void Detached();

    // The window's procedure from before the binding, which handles what this object leaves.
    WNDPROC m_pfnSuper = nullptr;
};

// The window procedure of every bound window: it hands each message to its object's WindowProc.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

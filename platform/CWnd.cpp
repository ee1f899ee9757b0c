#include "platform/CWnd.h"

#include "platform/Afx.h"
#include "platform/CDataExchange.h"
#include "platform/CDialogWindow.h"
#include "platform/CMenu.h"
#include "platform/CWinApp.h"
#include "platform/WindowObject.h"

#include <QWidget>

#include <algorithm>

namespace {

QWidget* WidgetOfHandle(HWND hWnd) {
    WindowObject* window = FindWindowObject(hWnd);
    return window == nullptr ? nullptr : window->widget.data();
}

QPoint ToScreen(const QWidget* widget, QPoint point) {
    return widget->mapToGlobal(point);
}

} // namespace

CWnd::~CWnd() {
    if (m_hWnd == nullptr) {
        return;
    }
    if (m_bOwnsWindow != FALSE) {
        DestroyWindow();
        return;
    }
    if (WindowObject* window = FindWindowObject(m_hWnd);
        window != nullptr && window->pWnd == this) {
        window->pWnd = nullptr;
    }
    m_hWnd = nullptr;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
    WindowObject* window = FindWindowObject(m_hWnd);
    auto* dialog =
        window == nullptr ? nullptr : dynamic_cast<CDialogWindow*>(window->widget.data());
    if (dialog == nullptr || !dialog->StartTimer(nIDEvent, nElapse, lpfnTimer)) {
        return 0;
    }
    return nIDEvent;
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    if (lpRect == nullptr) {
        return;
    }
    const QWidget* widget = WidgetOfHandle(m_hWnd);
    *lpRect = widget == nullptr ? RECT{0, 0, 0, 0} : RECT{0, 0, widget->width(), widget->height()};
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
    if (lpRect == nullptr) {
        return;
    }
    const QWidget* widget = WidgetOfHandle(m_hWnd);
    if (widget == nullptr) {
        *lpRect = RECT{0, 0, 0, 0};
        return;
    }
    QRect outer = widget->isWindow() ? widget->frameGeometry()
                                     : QRect(ToScreen(widget, QPoint(0, 0)), widget->size());
    *lpRect =
        RECT{outer.left(), outer.top(), outer.left() + outer.width(), outer.top() + outer.height()};
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const {
    const QWidget* widget = WidgetOfHandle(m_hWnd);
    if (lpPoint == nullptr || widget == nullptr) {
        return;
    }
    const QPoint client = widget->mapFromGlobal(QPoint(lpPoint->x, lpPoint->y));
    *lpPoint = POINT{client.x(), client.y()};
}

void CWnd::ScreenToClient(LPRECT lpRect) const {
    if (lpRect == nullptr) {
        return;
    }
    POINT topLeft{lpRect->left, lpRect->top};
    POINT bottomRight{lpRect->right, lpRect->bottom};
    ScreenToClient(&topLeft);
    ScreenToClient(&bottomRight);
    *lpRect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    QWidget* widget = WidgetOfHandle(m_hWnd);
    if (widget == nullptr) {
        return;
    }
    widget->setGeometry(x, y, std::max(0, nWidth), std::max(0, nHeight));
    if (bRepaint != FALSE) {
        widget->update();
    }
}

void CWnd::InvalidateRect(const RECT* lpRect, BOOL /*bErase*/) {
    QWidget* widget = WidgetOfHandle(m_hWnd);
    if (widget == nullptr) {
        return;
    }
    if (lpRect == nullptr) {
        widget->update();
        return;
    }
    // An empty or inverted rectangle asks for nothing.
    if (lpRect->right <= lpRect->left || lpRect->bottom <= lpRect->top) {
        return;
    }
    widget->update(QRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                         lpRect->bottom - lpRect->top));
}

void CWnd::Invalidate(BOOL bErase) {
    InvalidateRect(nullptr, bErase);
}

BOOL CWnd::IsIconic() const {
    const QWidget* widget = WidgetOfHandle(m_hWnd);
    return widget != nullptr && widget->isMinimized() ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() {
    if (FindWindowObject(m_hWnd) == nullptr) {
        m_hWnd = nullptr;
        return FALSE;
    }
    DestroyWindowObject(m_hWnd);
    m_hWnd = nullptr;
    return TRUE;
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const {
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert));
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(SendMessage(
        WM_SETICON, bBigIcon != FALSE ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (pParent == nullptr || m_hWnd != nullptr) {
        return FALSE;
    }
    WindowObject* control =
        FindChildWindow(FindWindowObject(pParent->m_hWnd), static_cast<int>(nID));
    if (control == nullptr || (control->pWnd != nullptr && control->pWnd != this)) {
        return FALSE;
    }
    control->pWnd = this;
    m_hWnd = control;
    return TRUE;
}

BOOL CWnd::UpdateData(BOOL /*bSaveAndValidate*/) {
    CDataExchange dx(this);
    DoDataExchange(&dx);
    return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const UINT code = message == WM_COMMAND ? HIWORD(wParam) : 0;
    const UINT id = message == WM_COMMAND ? LOWORD(wParam) : 0;
    if (const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, code, id)) {
        return entry->pfn(this, wParam, lParam);
    }
    // A command no window handles goes on to the application, as ID_HELP does.
    if (message == WM_COMMAND && lParam == 0 && AfxGetApp()->OnCmdMsg(id, code) != FALSE) {
        return 0;
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const CurrentMessage& current = GetCurrentMessage();
    if (m_hWnd == nullptr || current.hWnd != m_hWnd) {
        return 0;
    }
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultWindowProc(FindWindowObject(m_hWnd), message, wParam, lParam);
}

void CWnd::DoDataExchange(CDataExchange* /*pDX*/) {}

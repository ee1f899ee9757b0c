#include "platform/CWnd.h"

#include "platform/CDataExchange.h"
#include "platform/CMenu.h"
#include "platform/CWinApp.h"
#include "platform/WindowObject.h"
#include "platform/WindowTimer.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

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
    if (m_hWnd != nullptr && m_bOwnsWindow != FALSE) {
        DestroyWindow();
    }
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
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

void CWnd::InvalidateRect(const RECT* lpRect, BOOL bErase) {
    QWidget* widget = WidgetOfHandle(m_hWnd);
    if (widget == nullptr) {
        return;
    }
    QRect rect = widget->rect();
    if (lpRect != nullptr) {
        // An empty or inverted rectangle asks for nothing.
        if (lpRect->right <= lpRect->left || lpRect->bottom <= lpRect->top) {
            return;
        }
        rect = QRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                     lpRect->bottom - lpRect->top);
        // The picture's own surface may bring its part up to date without a paint.
        const WindowObject* window = FindWindowObject(m_hWnd);
        if (bErase == FALSE && window != nullptr && window->xPicture != nullptr &&
            window->xPicture->Repaint(rect)) {
            return;
        }
        const qreal ratio = widget->devicePixelRatio();
        if (ratio != std::floor(ratio)) {
            // On a fractional scale logical edges fall inside device pixels, and what is painted
            // for a rectangle (a picture kept at its own rounded length, cells cut at device
            // pixels) may reach a device pixel past it: a logical pixel more on each side covers
            // all of it.
            rect.adjust(-1, -1, 1, 1);
        }
    }
    if (WindowObject* window = FindWindowObject(m_hWnd)) {
        if (bErase != FALSE) {
            window->eraseAsked = true;
        } else {
            window->unerased += rect;
        }
    }
    widget->update(rect);
}

void CWnd::Invalidate(BOOL bErase) {
    InvalidateRect(nullptr, bErase);
}

BOOL CWnd::IsIconic() const {
    const QWidget* widget = WidgetOfHandle(m_hWnd);
    return widget != nullptr && widget->isMinimized() ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() {
    if (IsWindow(m_hWnd) == FALSE) {
        return FALSE;
    }
    // Its WM_NCDESTROY unbinds this object.
    DestroyWindowObject(m_hWnd);
    return TRUE;
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const {
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert));
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(SendMessage(
        WM_SETICON, bBigIcon != FALSE ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (m_hWnd != nullptr) {
        return FALSE;
    }
    auto proc = std::make_shared<WindowProcFn>([this](UINT message, WPARAM wParam, LPARAM lParam) {
        return WindowProc(message, wParam, lParam);
    });
    if (!InstallWindowProc(hWndNew, proc)) {
        return FALSE;
    }
    m_pWindowProc = std::move(proc);
    m_hWnd = hWndNew;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (pParent == nullptr) {
        return FALSE;
    }
    return Attach(FindChildWindow(FindWindowObject(pParent->m_hWnd), static_cast<int>(nID)));
}

BOOL CWnd::UpdateData(BOOL /*bSaveAndValidate*/) {
    CDataExchange dx(this);
    DoDataExchange(&dx);
    return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The window has ended: this object stands for none from now on, and may be bound again.
    if (message == WM_NCDESTROY) {
        m_hWnd = nullptr;
        m_pWindowProc.reset();
        return 0;
    }
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

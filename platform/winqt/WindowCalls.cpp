#include "platform/winqt/WindowObject.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

// The calls on a window's place, size, state and procedure.

namespace {

QWidget* WidgetOfHandle(HWND hWnd) {
    WindowObject* window = FindWindowObject(hWnd);
    return window == nullptr ? nullptr : window->widget.data();
}

} // namespace

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    const QWidget* widget = WidgetOfHandle(hWnd);
    if (lpRect == nullptr || widget == nullptr) {
        return FALSE;
    }
    *lpRect = RECT{0, 0, widget->width(), widget->height()};
    return TRUE;
}

// Qt lays windows out in logical pixels and scales them to the screen itself.
UINT GetDpiForWindow(HWND /*hWnd*/) {
    return USER_DEFAULT_SCREEN_DPI;
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    const QWidget* widget = WidgetOfHandle(hWnd);
    if (lpRect == nullptr || widget == nullptr) {
        return FALSE;
    }
    const QRect outer = widget->isWindow()
                            ? widget->frameGeometry()
                            : QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    *lpRect =
        RECT{outer.left(), outer.top(), outer.left() + outer.width(), outer.top() + outer.height()};
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    const QWidget* widget = WidgetOfHandle(hWnd);
    if (lpPoint == nullptr || widget == nullptr) {
        return FALSE;
    }
    const QPoint client = widget->mapFromGlobal(QPoint(lpPoint->x, lpPoint->y));
    *lpPoint = POINT{client.x(), client.y()};
    return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
    QWidget* widget = WidgetOfHandle(hWnd);
    if (widget == nullptr) {
        return FALSE;
    }
    widget->setGeometry(X, Y, std::max(0, nWidth), std::max(0, nHeight));
    if (bRepaint != FALSE) {
        widget->update();
    }
    return TRUE;
}

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    WindowObject* window = FindWindowObject(hWnd);
    QWidget* widget = window == nullptr ? nullptr : window->widget.data();
    if (widget == nullptr) {
        return FALSE;
    }
    QRect rect = widget->rect();
    if (lpRect != nullptr) {
        // An empty or inverted rectangle asks for nothing.
        if (lpRect->right <= lpRect->left || lpRect->bottom <= lpRect->top) {
            return TRUE;
        }
        rect = QRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                     lpRect->bottom - lpRect->top);
        // The picture's own surface may bring its part up to date without a paint.
        if (bErase == FALSE && window->xPicture != nullptr && window->xPicture->Repaint(rect)) {
            return TRUE;
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
    if (bErase != FALSE) {
        window->eraseAsked = true;
    } else {
        window->unerased += rect;
    }
    widget->update(rect);
    return TRUE;
}

BOOL IsIconic(HWND hWnd) {
    const QWidget* widget = WidgetOfHandle(hWnd);
    return widget != nullptr && widget->isMinimized() ? TRUE : FALSE;
}

BOOL DestroyWindow(HWND hWnd) {
    if (IsWindow(hWnd) == FALSE) {
        return FALSE;
    }
    DestroyWindowObject(hWnd);
    return TRUE;
}

LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    WindowObject* window = FindWindowObject(hWnd);
    if (window == nullptr || nIndex != GWLP_WNDPROC) {
        return 0;
    }
    const WNDPROC previous = window->wndProc;
    window->wndProc = reinterpret_cast<WNDPROC>(dwNewLong);
    return reinterpret_cast<LONG_PTR>(previous);
}

LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return lpPrevWndFunc == nullptr ? 0 : lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

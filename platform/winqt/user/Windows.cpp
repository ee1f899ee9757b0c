#include "platform/winqt/paint/DevicePixels.h"
#include "platform/winqt/user/WindowPeer.h"

#include <QWidget>

#include <algorithm>

// The calls on a window's place, size and state that Qt's widgets answer. Every place and size
// crossing them is in device pixels, as for a program that follows each screen's scale; the
// widgets beneath are placed in Qt's logical pixels.

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    const QWidget* widget = WidgetOfHandle(hWnd);
    if (lpRect == nullptr || widget == nullptr) {
        return FALSE;
    }
    const double ratio = DeviceRatioOf(widget);
    // A child's sunken edge lies outside its client area.
    const int edges = 2 * ClientEdgeWidth(FindWindowObject(hWnd));
    *lpRect = RECT{0, 0, std::max(0, ToDeviceEdge(widget->width(), ratio) - edges),
                   std::max(0, ToDeviceEdge(widget->height(), ratio) - edges)};
    return TRUE;
}

UINT GetDpiForWindow(HWND hWnd) {
    const QWidget* widget = WidgetOfHandle(hWnd);
    return widget == nullptr ? 0 : DpiOfRatio(DeviceRatioOf(widget));
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    const WindowObject* window = FindWindowObject(hWnd);
    const QWidget* widget = window == nullptr ? nullptr : window->peer->widget.data();
    if (lpRect == nullptr || widget == nullptr) {
        return FALSE;
    }
    if (widget->isWindow()) {
        *lpRect = DeviceRectOf(widget->frameGeometry(), DeviceRatioOf(widget));
        return TRUE;
    }
    const RECT place = ClientDeviceRect(window);
    const POINT parent = ClientOriginOnScreen(window->parent);
    *lpRect = RECT{parent.x + place.left, parent.y + place.top, parent.x + place.right,
                   parent.y + place.bottom};
    return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
    WindowObject* window = FindWindowObject(hWnd);
    QWidget* widget = window == nullptr ? nullptr : window->peer->widget.data();
    if (widget == nullptr) {
        return FALSE;
    }
    const double ratio = DeviceRatioOf(widget);
    window->peer->placed = {RECT{X, Y, X + std::max(0, nWidth), Y + std::max(0, nHeight)}, ratio};
    widget->setGeometry(LogicalCover(window->peer->placed.rect, ratio));
    if (bRepaint != FALSE) {
        widget->update();
    }
    return TRUE;
}

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    WindowObject* window = FindWindowObject(hWnd);
    QWidget* widget = window == nullptr ? nullptr : window->peer->widget.data();
    if (widget == nullptr) {
        return FALSE;
    }
    QRect rect = widget->rect();
    if (lpRect != nullptr) {
        // An empty or inverted rectangle asks for nothing.
        if (lpRect->right <= lpRect->left || lpRect->bottom <= lpRect->top) {
            return TRUE;
        }
        // The picture's own surface may bring its part up to date without a paint.
        if (bErase == FALSE && window->peer->paint.pictureSink != nullptr &&
            window->peer->paint.pictureSink->Repaint(QRectOf(*lpRect))) {
            return TRUE;
        }
        // On a fractional scale a logical pixel holds parts of two device pixels: the logical
        // pixels that reach the rectangle's device pixels at all are painted again.
        rect = LogicalCover(*lpRect, DeviceRatioOf(widget));
    }
    if (bErase != FALSE) {
        window->peer->paint.eraseAsked = true;
    } else {
        window->peer->paint.unerased += rect;
    }
    widget->update(rect);
    return TRUE;
}

BOOL IsIconic(HWND hWnd) {
    const QWidget* widget = WidgetOfHandle(hWnd);
    return widget != nullptr && widget->isMinimized() ? TRUE : FALSE;
}

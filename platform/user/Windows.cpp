#include "platform/user/WindowObject.h"
#include "platform/user/WindowSystem.h"

// The calls on a window's state and procedure that every window system answers alike. Places
// are in device pixels, as for a program that follows each screen's scale.

namespace {

// Moves the point by the window's client origin, forwards (+1) or back (-1).
BOOL OffsetByClientOrigin(HWND hWnd, LPPOINT lpPoint, int direction) {
    const WindowObject* window = FindWindowObject(hWnd);
    POINT origin{};
    if (lpPoint == nullptr || window == nullptr || !ClientOriginOf(window, &origin)) {
        return FALSE;
    }
    *lpPoint = POINT{lpPoint->x + direction * origin.x, lpPoint->y + direction * origin.y};
    return TRUE;
}

} // namespace

BOOL IsWindow(HWND hWnd) {
    return FindWindowObject(hWnd) != nullptr ? TRUE : FALSE;
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

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    return OffsetByClientOrigin(hWnd, lpPoint, -1);
}

BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    return OffsetByClientOrigin(hWnd, lpPoint, +1);
}

#include "platform/user/WindowObject.h"

// Messages reach a window through its procedure, at once: nothing is queued.

LRESULT SendMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const WindowObject* window = FindWindowObject(hWnd);
    if (window == nullptr || window->wndProc == nullptr) {
        return 0;
    }
    return window->wndProc(hWnd, message, wParam, lParam);
}

LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return lpPrevWndFunc == nullptr ? 0 : lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/WindowPeer.h"

#include <algorithm>

// The calls on a window's place, size and state that the page answers. Places and sizes are in
// the page's device pixels, as for a program that follows the screen's scale.

namespace {

// An empty or inverted rectangle asks for nothing.
bool IsEmpty(const RECT& rc) {
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

RECT Intersection(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

// Past this many separate rectangles a window's update area is kept as the one round them.
constexpr std::size_t kMostUpdateRects = 32;

void AddUpdateRect(WindowObject* window, const RECT& rc) {
    auto& rects = window->peer->invalid;
    if (rects.size() < kMostUpdateRects) {
        rects.push_back(rc);
        return;
    }
    RECT bounds = rc;
    for (const RECT& each : rects) {
        bounds = RECT{std::min(bounds.left, each.left), std::min(bounds.top, each.top),
                      std::max(bounds.right, each.right), std::max(bounds.bottom, each.bottom)};
    }
    rects.assign(1, bounds);
}

} // namespace

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    const WindowObject* window = FindWindowObject(hWnd);
    if (lpRect == nullptr || window == nullptr) {
        return FALSE;
    }
    // A child's sunken edge lies outside its client area.
    const int edges = 2 * ClientEdgeWidth(window);
    *lpRect =
        RECT{0, 0, std::max(0, window->peer->placed.right - window->peer->placed.left - edges),
             std::max(0, window->peer->placed.bottom - window->peer->placed.top - edges)};
    return TRUE;
}

UINT GetDpiForWindow(HWND hWnd) {
    return IsWindow(hWnd) != FALSE ? PageDpi() : 0;
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    const WindowObject* window = FindWindowObject(hWnd);
    if (lpRect == nullptr || window == nullptr) {
        return FALSE;
    }
    if (window->parent == nullptr) {
        *lpRect = window->peer->placed;
        return TRUE;
    }
    const POINT parent = ClientOrigin(window->parent);
    const RECT& place = window->peer->placed;
    *lpRect = RECT{parent.x + place.left, parent.y + place.top, parent.x + place.right,
                   parent.y + place.bottom};
    return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
    WindowObject* window = FindWindowObject(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    window->peer->placed = RECT{X, Y, X + std::max(0, nWidth), Y + std::max(0, nHeight)};
    if (window->parent != nullptr) {
        page_place(window->peer->element, X, Y, std::max(0, nWidth), std::max(0, nHeight),
                   ClientEdgeWidth(window));
    } else {
        page_resize(window->peer->element, std::max(0, nWidth), std::max(0, nHeight));
    }
    if (bRepaint != FALSE && window->parent != nullptr) {
        InvalidateRect(window->parent, nullptr, TRUE);
    }
    return TRUE;
}

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    WindowObject* window = FindWindowObject(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    // Only top-level windows paint on the page's canvas; controls are the page's own elements,
    // which the browser draws.
    if (window->parent != nullptr) {
        return TRUE;
    }
    RECT client{};
    GetClientRect(hWnd, &client);
    const RECT rc = lpRect == nullptr ? client : Intersection(*lpRect, client);
    if (IsEmpty(rc)) {
        return TRUE;
    }
    if (bErase != FALSE) {
        window->peer->eraseAsked = true;
    }
    AddUpdateRect(window, rc);
    return TRUE;
}

// A page is never minimised: a hidden tab merely stops its timers for a while.
BOOL IsIconic(HWND /*hWnd*/) {
    return FALSE;
}

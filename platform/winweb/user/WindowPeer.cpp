#include "platform/winweb/user/WindowPeer.h"

#include "platform/user/WindowSystem.h"
#include "platform/winweb/session/PageCalls.h"

#include <algorithm>
#include <cmath>

namespace {

// Elements are numbered from 1, never again once gone, so an event for an element that has left
// the page finds no window.
int g_nLastElement = 0;

} // namespace

WindowPeer* NewWindowPeer() {
    auto* peer = new WindowPeer;
    peer->element = ++g_nLastElement;
    return peer;
}

void WindowPeerEnd::operator()(WindowPeer* peer) const {
    delete peer;
}

void OnWindowEnding(WindowObject* window) {
    page_kill_timers(window->peer->element);
}

void OnWindowEnded(WindowObject* window) {
    page_destroy(window->peer->element);
}

WindowObject* FindWindowOfElement(int element) {
    for (WindowObject* window : LiveWindows()) {
        if (window->peer->element == element) {
            return window;
        }
    }
    return nullptr;
}

std::vector<WindowObject*> TopLevelWindows() {
    std::vector<WindowObject*> windows = LiveWindows();
    windows.erase(
        std::remove_if(windows.begin(), windows.end(),
                       [](const WindowObject* window) { return window->parent != nullptr; }),
        windows.end());
    std::sort(windows.begin(), windows.end(), [](const WindowObject* a, const WindowObject* b) {
        return a->peer->element < b->peer->element;
    });
    return windows;
}

double PixelRatio() {
    const double ratio = page_pixel_ratio();
    return ratio > 0 ? ratio : 1.0;
}

UINT PageDpi() {
    return static_cast<UINT>(std::lround(USER_DEFAULT_SCREEN_DPI * PixelRatio()));
}

UINT DpiOfWindow(const WindowObject* /*window*/) {
    return PageDpi();
}

POINT ClientOrigin(const WindowObject* window) {
    if (window == nullptr || window->parent == nullptr) {
        return POINT{0, 0};
    }
    const POINT parent = ClientOrigin(window->parent);
    const int edge = ClientEdgeWidth(window);
    const RECT& place = window->peer->placed;
    return POINT{parent.x + place.left + edge, parent.y + place.top + edge};
}

bool ClientOriginOf(const WindowObject* window, POINT* origin) {
    *origin = ClientOrigin(window);
    return true;
}

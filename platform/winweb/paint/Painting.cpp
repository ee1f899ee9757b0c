#include "platform/winweb/paint/CCanvasDevice.h"
#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/WindowPeer.h"

#include <map>
#include <memory>

// The paint of a window: BeginPaint hands out a device context that copies onto the page's
// canvas under the window, cut to what needs painting, and takes that area off the window.

namespace {

// The devices behind the paint DCs that are held, so that EndPaint can end them even after
// their window has gone.
std::map<HDC, std::unique_ptr<CCanvasDevice>>& PaintDCs() {
    static auto* dcs = new std::map<HDC, std::unique_ptr<CCanvasDevice>>;
    return *dcs;
}

RECT BoundsOf(const std::vector<RECT>& rects) {
    if (rects.empty()) {
        return RECT{};
    }
    RECT bounds = rects.front();
    for (const RECT& rc : rects) {
        bounds = RECT{std::min(bounds.left, rc.left), std::min(bounds.top, rc.top),
                      std::max(bounds.right, rc.right), std::max(bounds.bottom, rc.bottom)};
    }
    return bounds;
}

} // namespace

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    if (lpPaint == nullptr) {
        return nullptr;
    }
    *lpPaint = PAINTSTRUCT{};
    WindowObject* window = FindWindowObject(hWnd);
    // Only top-level windows paint on the page; only once at a time.
    if (window == nullptr || window->parent != nullptr || window->peer->painting) {
        return nullptr;
    }
    std::vector<RECT> update = std::move(window->peer->invalid);
    window->peer->invalid.clear();
    if (window->peer->eraseAsked) {
        for (const RECT& rc : update) {
            page_erase(window->peer->element, rc.left, rc.top, rc.right - rc.left,
                       rc.bottom - rc.top);
        }
        window->peer->eraseAsked = false;
    }
    RECT client{};
    GetClientRect(hWnd, &client);
    const RECT bounds = BoundsOf(update);
    auto device = std::make_unique<CCanvasDevice>(window->peer->element, client.right,
                                                  client.bottom, std::move(update));
    HDC hdc = CreateDeviceDC(device.get());
    if (hdc == nullptr) {
        return nullptr;
    }
    PaintDCs()[hdc] = std::move(device);
    window->peer->painting = true;
    lpPaint->hdc = hdc;
    lpPaint->fErase = FALSE;
    lpPaint->rcPaint = bounds;
    return hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (lpPaint == nullptr) {
        return FALSE;
    }
    const auto found = PaintDCs().find(lpPaint->hdc);
    if (found == PaintDCs().end()) {
        return FALSE;
    }
    ReleaseDeviceDC(lpPaint->hdc);
    PaintDCs().erase(found);
    if (WindowObject* window = FindWindowObject(hWnd)) {
        window->peer->painting = false;
    }
    return TRUE;
}

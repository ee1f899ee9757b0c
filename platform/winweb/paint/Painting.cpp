#include "platform/user/IWindowPaint.h"
#include "platform/user/WindowSystem.h"
#include "platform/winweb/paint/CCanvasDevice.h"
#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/WindowPeer.h"

#include <memory>

// The paint of a window: BeginPaint hands out a device context that copies onto the page's
// canvas under the window, cut to what needs painting, and takes that area off the window.

namespace {

// A window's paint: the device its DC copies through, ended with the DC even after the window
// has gone.
class CCanvasPaint : public IWindowPaint {
public:
    explicit CCanvasPaint(std::unique_ptr<CCanvasDevice> device) : m_pDevice(std::move(device)) {}

    void End(HDC hdc, WindowObject* window) override {
        ReleaseDeviceDC(hdc);
        if (window != nullptr) {
            window->peer->painting = false;
        }
    }

private:
    std::unique_ptr<CCanvasDevice> m_pDevice;
};

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

std::unique_ptr<IWindowPaint> BeginWindowPaint(WindowObject* window, PAINTSTRUCT* paint) {
    // Only top-level windows paint on the page; only once at a time.
    if (window->parent != nullptr || window->peer->painting) {
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
    GetClientRect(window, &client);
    const RECT bounds = BoundsOf(update);
    auto device = std::make_unique<CCanvasDevice>(window->peer->element, client.right,
                                                  client.bottom, std::move(update));
    HDC hdc = CreateDeviceDC(device.get());
    if (hdc == nullptr) {
        return nullptr;
    }
    window->peer->painting = true;
    paint->hdc = hdc;
    paint->fErase = FALSE;
    paint->rcPaint = bounds;
    return std::make_unique<CCanvasPaint>(std::move(device));
}

#include "platform/user/IWindowPaint.h"
#include "platform/user/WindowObject.h"
#include "platform/user/WindowSystem.h"

#include <map>
#include <memory>

// The paint of a window: the window system hands out a device context onto the window, and
// the paints held are kept here, so that EndPaint ends each one once, even after its window
// has gone.

namespace {

struct HeldPaint {
    HWND window = nullptr;
    std::unique_ptr<IWindowPaint> paint;
};

std::map<HDC, HeldPaint>& HeldPaints() {
    static auto* paints = new std::map<HDC, HeldPaint>;
    return *paints;
}

} // namespace

IWindowPaint* FindWindowPaint(HDC hdc) {
    const auto found = HeldPaints().find(hdc);
    return found == HeldPaints().end() ? nullptr : found->second.paint.get();
}

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    if (lpPaint == nullptr) {
        return nullptr;
    }
    *lpPaint = PAINTSTRUCT{};
    WindowObject* window = FindWindowObject(hWnd);
    if (window == nullptr) {
        return nullptr;
    }
    std::unique_ptr<IWindowPaint> paint = BeginWindowPaint(window, lpPaint);
    if (paint == nullptr) {
        *lpPaint = PAINTSTRUCT{};
        return nullptr;
    }
    HeldPaints()[lpPaint->hdc] = HeldPaint{hWnd, std::move(paint)};
    return lpPaint->hdc;
}

BOOL EndPaint(HWND /*hWnd*/, const PAINTSTRUCT* lpPaint) {
    if (lpPaint == nullptr) {
        return FALSE;
    }
    const auto found = HeldPaints().find(lpPaint->hdc);
    if (found == HeldPaints().end()) {
        return FALSE;
    }
    // The paint ends with the window it began on, whichever window the caller names.
    HeldPaint held = std::move(found->second);
    HeldPaints().erase(found);
    held.paint->End(lpPaint->hdc, FindWindowObject(held.window));
    return TRUE;
}

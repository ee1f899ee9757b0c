#include "platform/user/WindowSystem.h"
#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/IconObject.h"
#include "platform/winweb/user/WindowPeer.h"
#include "res/IconImage.h"

#include <map>
#include <memory>

// Icons, and the system's measures of them.

namespace {

constexpr int kIconSize = 32;      // SM_CXICON and SM_CYICON of an unscaled screen
constexpr int kSmallIconSize = 16; // SM_CXSMICON and SM_CYSMICON of an unscaled screen
constexpr int kBytesPerPixel = 4;
constexpr std::uint8_t kOpaque = 0xFF;

// The group's image of this size, or its first, whose pixels the page then scales.
IconImagePixels PixelsOfSize(const IconGroup& group, int size) {
    const IconImage* chosen = nullptr;
    for (const IconImage& data : group.images) {
        if (data.width == size && data.height == size) {
            chosen = &data;
        }
    }
    if (chosen == nullptr && !group.images.empty()) {
        chosen = &group.images.front();
    }
    IconImagePixels pixels;
    if (chosen == nullptr || chosen->width != chosen->height) {
        return pixels;
    }
    pixels.size = chosen->width;
    pixels.rgba.assign(static_cast<std::size_t>(pixels.size * pixels.size * kBytesPerPixel), 0);
    for (int y = 0; y < pixels.size; ++y) {
        for (int x = 0; x < pixels.size; ++x) {
            const int index = IconPixelIndex(*chosen, x, y);
            if (index < 0 || static_cast<std::size_t>(index) >= chosen->palette.size()) {
                continue; // transparent
            }
            const std::uint32_t colour = chosen->palette[static_cast<std::size_t>(index)];
            std::uint8_t* out =
                &pixels.rgba[static_cast<std::size_t>((y * pixels.size + x) * kBytesPerPixel)];
            out[0] = static_cast<std::uint8_t>(colour >> 16);
            out[1] = static_cast<std::uint8_t>(colour >> 8);
            out[2] = static_cast<std::uint8_t>(colour);
            out[3] = kOpaque;
        }
    }
    return pixels;
}

// Icons are shared and live for the whole process, as the window system's resource icons do.
std::map<UINT, std::unique_ptr<IconObject>>& LoadedIcons() {
    static auto* icons = new std::map<UINT, std::unique_ptr<IconObject>>;
    return *icons;
}

void ShowPixels(int element, const IconImagePixels& pixels) {
    if (pixels.size > 0) {
        page_set_icon(element, pixels.size, pixels.size, pixels.rgba.data());
    }
}

} // namespace

HICON LoadIconResource(UINT nIDResource) {
    auto& icons = LoadedIcons();
    if (const auto found = icons.find(nIDResource); found != icons.end()) {
        return found->second.get();
    }
    const IconGroup* group = FindIconGroup(nIDResource);
    if (group == nullptr) {
        return nullptr;
    }
    auto icon = std::make_unique<IconObject>();
    icon->large = PixelsOfSize(*group, kIconSize);
    icon->small = PixelsOfSize(*group, kSmallIconSize);
    HICON handle = icon.get();
    icons.emplace(nIDResource, std::move(icon));
    return handle;
}

void ShowWindowIcon(const WindowObject* window) {
    // The page shows one icon, at its largest.
    HICON icon =
        window->dialog.bigIcon != nullptr ? window->dialog.bigIcon : window->dialog.smallIcon;
    if (icon != nullptr) {
        ShowPixels(window->peer->element, icon->large);
    }
}

void ShowIconIn(int element, HICON icon) {
    if (icon != nullptr) {
        ShowPixels(element, icon->large);
    }
}

int GetSystemMetrics(int nIndex) {
    const int dpi = static_cast<int>(PageDpi());
    switch (nIndex) {
    case SM_CXICON:
    case SM_CYICON:
        return MulDiv(kIconSize, dpi, USER_DEFAULT_SCREEN_DPI);
    case SM_CXSMICON:
    case SM_CYSMICON:
        return MulDiv(kSmallIconSize, dpi, USER_DEFAULT_SCREEN_DPI);
    default:
        return 0;
    }
}

HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    if (hInstance == nullptr || !IS_INTRESOURCE(lpIconName)) {
        return nullptr;
    }
    return LoadIconResource(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(lpIconName)));
}

// A page's icon is drawn from the resource at whatever size the page asks for, and lives as long
// as the process, so a copy of it at another size is the icon itself.
HANDLE CopyImage(HANDLE h, UINT type, int /*cx*/, int /*cy*/, UINT /*flags*/) {
    return type == IMAGE_ICON ? h : nullptr;
}

// A page is never minimised, so nothing asks for its icon to be drawn in its client area.
BOOL DrawIcon(HDC /*hDC*/, int /*x*/, int /*y*/, HICON /*hIcon*/) {
    return FALSE;
}

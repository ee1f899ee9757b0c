#include "platform/winqt/user/IconObject.h"

#include "platform/winqt/user/WindowPeer.h"
#include "res/IconImage.h"

#include <QPainter>

#include <map>

namespace {

constexpr QRgb kOpaque = 0xFF000000;

QImage ImageOf(const IconImage& data) {
    QImage image(data.width, data.height, QImage::Format_ARGB32);
    for (int y = 0; y < data.height; ++y) {
        for (int x = 0; x < data.width; ++x) {
            const int index = IconPixelIndex(data, x, y);
            const bool opaque = index >= 0 && static_cast<std::size_t>(index) < data.palette.size();
            image.setPixel(x, y,
                           opaque ? kOpaque | data.palette[static_cast<std::size_t>(index)] : 0);
        }
    }
    return image;
}

// The group's image of exactly this size, or its first (there is one) scaled to it.
QImage ImageOfSize(const IconGroup& group, int size) {
    for (const IconImage& data : group.images) {
        if (data.width == size && data.height == size) {
            return ImageOf(data);
        }
    }
    return ImageOf(group.images.front()).scaled(size, size);
}

} // namespace

// Only the program's own icons, by number, are loaded; the system's own have no images here.
HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    if (hInstance == nullptr || !IS_INTRESOURCE(lpIconName)) {
        return nullptr;
    }
    const auto nIDResource = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(lpIconName));
    // Icons are shared and live for the whole process, as the window system's resource icons do;
    // a map's entries stay where they are, so each icon's address is its handle.
    static auto& icons = *new std::map<UINT, IconObject>;
    if (const auto found = icons.find(nIDResource); found != icons.end()) {
        return &found->second;
    }
    const IconGroup* group = FindIconGroup(nIDResource);
    if (group == nullptr || group->images.empty()) {
        return nullptr;
    }
    const auto added =
        icons.emplace(nIDResource, IconObject{ImageOfSize(*group, GetSystemMetrics(SM_CXICON)),
                                              ImageOfSize(*group, GetSystemMetrics(SM_CXSMICON))});
    return &added.first->second;
}

// An icon here already holds its images at both sizes, and lives as long as the process, so a
// copy of it at another size is the icon itself.
HANDLE CopyImage(HANDLE h, UINT type, int /*cx*/, int /*cy*/, UINT /*flags*/) {
    return type == IMAGE_ICON ? h : nullptr;
}

BOOL DrawIcon(HDC hDC, int x, int y, HICON hIcon) {
    QPainter* painter = PainterOfPaintDC(hDC);
    if (painter == nullptr || hIcon == nullptr) {
        return FALSE;
    }
    // The place is in the paint DC's device pixels; the icon keeps its size in logical ones.
    const double ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1;
    painter->drawImage(QPointF(x / ratio, y / ratio), hIcon->large);
    return TRUE;
}

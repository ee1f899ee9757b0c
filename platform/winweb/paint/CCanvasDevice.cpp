#include "platform/winweb/paint/CCanvasDevice.h"

#include "platform/winweb/session/PageCalls.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace {

constexpr int kBytesPerPixel = 4;
constexpr std::uint8_t kOpaque = 0xFF;
constexpr WORD kCanvasBits = 32; // 8-8-8 over an unused byte, rows top-down

RECT Intersection(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const RECT& rc) {
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

// A memory DC holding a top-down 32-bit bitmap of width x height, and the bitmap's pixels.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    void* bits = nullptr;
    int width;
    int height;

    Canvas(int cx, int cy) : width(cx), height(cy) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = kCanvasBits;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (dc != nullptr && bitmap != nullptr) {
            previous = SelectObject(dc, bitmap);
            SetStretchBltMode(dc, COLORONCOLOR);
        }
    }
    ~Canvas() {
        if (dc != nullptr) {
            SelectObject(dc, previous);
            DeleteDC(dc);
        }
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool IsMade() const { return dc != nullptr && bitmap != nullptr && bits != nullptr; }
};

// A bitmap of this size to copy into. The last one is kept for the next copy, which is most
// often of the same size (the whole picture again, or the same cells), and is written whole.
Canvas* CanvasOfSize(int width, int height) {
    static std::unique_ptr<Canvas> kept;
    if (kept == nullptr || kept->width != width || kept->height != height) {
        kept.reset();
        kept = std::make_unique<Canvas>(width, height);
    }
    return kept->IsMade() ? kept.get() : nullptr;
}

} // namespace

CCanvasDevice::CCanvasDevice(int element, int width, int height, std::vector<RECT> clip)
    : m_nElement(element), m_nWidth(width), m_nHeight(height), m_clip(std::move(clip)) {}

BOOL CCanvasDevice::StretchFrom(int xDest, int yDest, int wDest, int hDest, const GdiObject& bitmap,
                                int xSrc, int ySrc, int wSrc, int hSrc) {
    HDC source = bitmap.selectedInto;
    if (source == nullptr) {
        return FALSE;
    }
    const RECT canvas{0, 0, m_nWidth, m_nHeight};
    const RECT dest{xDest, yDest, xDest + wDest, yDest + hDest};
    const RECT whole = Intersection(canvas, dest);
    BOOL copied = TRUE;
    for (const RECT& clip : m_clip) {
        if (CopyArea(Intersection(whole, clip), xDest, yDest, wDest, hDest, source, xSrc, ySrc,
                     wSrc, hSrc) == FALSE) {
            copied = FALSE;
        }
    }
    return copied;
}

BOOL CCanvasDevice::CopyArea(const RECT& area, int xDest, int yDest, int wDest, int hDest,
                             HDC source, int xSrc, int ySrc, int wSrc, int hSrc) {
    if (IsEmpty(area)) {
        return TRUE;
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    Canvas* canvas = CanvasOfSize(width, height);
    if (canvas == nullptr) {
        return FALSE;
    }
    // The same copy as onto the whole canvas, seen through a bitmap over this area alone.
    if (StretchBlt(canvas->dc, xDest - area.left, yDest - area.top, wDest, hDest, source, xSrc,
                   ySrc, wSrc, hSrc, SRCCOPY) == FALSE) {
        return FALSE;
    }
    // The bitmap's pixels are 0x00RRGGBB words; the page's are R, G, B and opaque alpha bytes.
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    auto* pixel = static_cast<std::uint8_t*>(canvas->bits);
    for (std::size_t i = 0; i < count; ++i, pixel += kBytesPerPixel) {
        std::swap(pixel[0], pixel[2]);
        pixel[3] = kOpaque;
    }
    page_put_pixels(m_nElement, area.left, area.top, width, height,
                    static_cast<const std::uint8_t*>(canvas->bits));
    return TRUE;
}

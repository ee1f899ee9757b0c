#include "platform/Gdi.h"
#include "platform/GdiQt.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QRect>
#include <QTransform>

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

// Pixels are little-endian 16-bit words in the bitmap's layout, and Qt reads its 16-bit formats
// as native words, so the two only agree on a little-endian machine.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr WORD kBitsPerPixel = 16;               // the only depth a DIB section is made with
constexpr DWORD kHeaderSize = 40;                // sizeof(BITMAPINFOHEADER), as biSize must say
constexpr int kBlackOnWhite = 1;                 // the stretch mode every DC starts in
constexpr int kHalftone = 4;                     // the highest stretch mode there is
constexpr std::int64_t kMaxImageBytes = INT_MAX; // biSizeImage and Qt's line arithmetic are ints

int g_nFailDibSections = 0;
int g_nFailMemoryDCs = 0;

} // namespace

struct GdiObject {
    std::unique_ptr<std::uint8_t[]> bits;
    // Declared after the memory it looks at, so that it goes first.
    QImage view;
    GdiDC* selectedInto = nullptr;
    // The last stretched copy, kept so that the next paint of the same size reuses its memory.
    QImage stretched;
};

struct GdiDC {
    QPainter* painter = nullptr; // null for a memory DC
    GdiObject* bitmap = nullptr;
    int stretchMode = kBlackOnWhite;
};

namespace {

// Every live handle, so that a stale or foreign one is refused instead of followed.
struct LiveHandles {
    std::unordered_set<const GdiObject*> objects;
    std::unordered_set<const GdiDC*> dcs;
};

LiveHandles& Live() {
    // Never destroyed: an owner with static storage may still free its handles during exit.
    static LiveHandles* live = new LiveHandles;
    return *live;
}

GdiObject* FindObject(HGDIOBJ handle) {
    return handle != nullptr && Live().objects.contains(handle) ? handle : nullptr;
}

GdiDC* FindDC(HDC handle) {
    return handle != nullptr && Live().dcs.contains(handle) ? handle : nullptr;
}

template <class T> T* Register(std::unordered_set<const T*>& set, std::unique_ptr<T> handle) {
    try {
        set.insert(handle.get());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return handle.release();
}

bool IsSupportedFormat(const BITMAPINFO* pbmi, UINT usage) {
    if (pbmi == nullptr || usage != DIB_RGB_COLORS) {
        return false;
    }
    const BITMAPINFOHEADER& header = pbmi->bmiHeader;
    return header.biSize == kHeaderSize && header.biWidth > 0 && header.biHeight > 0 &&
           header.biPlanes == 1 && header.biBitCount == kBitsPerPixel &&
           header.biCompression == BI_RGB;
}

bool TakeFault(int& remaining) {
    if (remaining <= 0) {
        return false;
    }
    --remaining;
    return true;
}

// Which source column (or row) each visible destination column (or row) shows. Destination
// pixel i takes source pixel i x srcSize / destSize, rounded down, as the classic colour-on-colour
// stretch does: enlarging repeats pixels and shrinking drops them evenly, and the first pixel is
// always the source's first, so the picture's top-left corner is never lost. Destination pixels
// whose source lies outside the bitmap are left out; since the mapping only ever moves forward,
// the ones kept are side by side, starting at first.
struct AxisMap {
    int first = 0;
    std::vector<int> sources;
};

AxisMap MapAxis(int dest, int destSize, int src, int srcSize, int bitmapSize, int visibleFrom,
                int visibleTo) {
    AxisMap map;
    const std::int64_t from = std::max<std::int64_t>(dest, visibleFrom);
    const std::int64_t to = std::min<std::int64_t>(std::int64_t{dest} + destSize, visibleTo);
    for (std::int64_t at = from; at < to; ++at) {
        const std::int64_t offset = at - dest;
        const std::int64_t source = src + offset * srcSize / destSize;
        if (source < 0 || source >= bitmapSize) {
            continue;
        }
        if (map.sources.empty()) {
            map.first = static_cast<int>(at);
        }
        map.sources.push_back(static_cast<int>(source));
    }
    return map;
}

// The part of the painter's device that can show anything, in the painter's own coordinates,
// so that a huge destination costs no more than the device it lands on.
QRect VisibleArea(const QPainter& painter) {
    const QPaintDevice* device = painter.device();
    bool invertible = false;
    const QTransform toLogical = painter.combinedTransform().inverted(&invertible);
    if (device == nullptr || !invertible) {
        return {};
    }
    QRect area = toLogical.mapRect(QRectF(0, 0, device->width(), device->height())).toAlignedRect();
    if (painter.hasClipping()) {
        area &= painter.clipBoundingRect().toAlignedRect();
    }
    return area;
}

constexpr int kColourCount = 1 << 15; // every 5-5-5 pixel; bit 15 is ignored
constexpr std::uint16_t kColourMask = kColourCount - 1;

// The 32-bit colour of every 5-5-5 pixel, each 5-bit channel widened to 8 by repeating its top
// bits, exactly as Qt converts its 16-bit format: looking a pixel up costs less than converting
// it, and the picture comes out the same on every 32-bit device.
const QRgb* WideColours() {
    // Static storage rather than the heap: the first paint cannot fail for want of memory.
    static const std::array<QRgb, kColourCount> table = [] {
        std::array<QRgb, kColourCount> colours{};
        auto widen = [](int five) { return (five << 3) | (five >> 2); };
        for (int pixel = 0; pixel < kColourCount; ++pixel) {
            colours[static_cast<std::size_t>(pixel)] =
                qRgb(widen((pixel >> 10) & 31), widen((pixel >> 5) & 31), widen(pixel & 31));
        }
        return colours;
    }();
    return table.data();
}

// Builds the destination's pixels at one screen pixel each, then lets the painter put them down
// as they are: a plain copy that ignores whatever blending the painter was set up for. Each
// source pixel is widened once per distinct row and rows that repeat are copied whole, so an
// enlarged picture costs little more than the memory it fills.
void DrawPatch(QPainter& painter, GdiObject& bitmap, const AxisMap& columns, const AxisMap& rows) {
    const QImage& picture = bitmap.view;
    const int width = static_cast<int>(columns.sources.size());
    const int height = static_cast<int>(rows.sources.size());
    QImage& patch = bitmap.stretched;
    if (patch.width() != width || patch.height() != height) {
        patch = QImage(width, height, QImage::Format_RGB32);
    }
    if (patch.isNull()) {
        return;
    }
    const QRgb* const colours = WideColours();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(QRgb);
    const int* const sourceColumns = columns.sources.data();
    for (int r = 0; r < height; ++r) {
        auto* out = reinterpret_cast<QRgb*>(patch.scanLine(r));
        if (r > 0 && rows.sources[static_cast<std::size_t>(r)] ==
                         rows.sources[static_cast<std::size_t>(r) - 1]) {
            std::memcpy(out, patch.constScanLine(r - 1), rowBytes);
            continue;
        }
        // Row 0 of the memory is the bottom row of the picture.
        const int memoryRow = picture.height() - 1 - rows.sources[static_cast<std::size_t>(r)];
        const auto* in = reinterpret_cast<const std::uint16_t*>(picture.constScanLine(memoryRow));
        for (int c = 0; c < width; ++c) {
            out[c] = colours[in[sourceColumns[c]] & kColourMask];
        }
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setOpacity(1.0);
    painter.drawImage(QPoint(columns.first, rows.first), patch);
    painter.restore();
}

} // namespace

HBITMAP CreateDIBSection(HDC /*hdc*/, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                         void* hSection, DWORD /*offset*/) {
    if (ppvBits != nullptr) {
        *ppvBits = nullptr;
    }
    if (!IsSupportedFormat(pbmi, usage) || hSection != nullptr) {
        return nullptr;
    }
    if (TakeFault(g_nFailDibSections)) {
        return nullptr;
    }
    const BITMAPINFOHEADER& header = pbmi->bmiHeader;
    const std::int64_t stride = (std::int64_t{header.biWidth} * 2 + 3) & ~std::int64_t{3};
    const std::int64_t bytes = stride * header.biHeight;
    if (bytes > kMaxImageBytes) {
        return nullptr;
    }
    std::unique_ptr<GdiObject> bitmap(new (std::nothrow) GdiObject);
    if (!bitmap) {
        return nullptr;
    }
    // Zeroed, as fresh section memory is: a picture nobody has written yet is black.
    bitmap->bits.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]());
    if (!bitmap->bits) {
        return nullptr;
    }
    bitmap->view =
        QImage(bitmap->bits.get(), header.biWidth, header.biHeight, stride, QImage::Format_RGB555);
    if (bitmap->view.isNull()) {
        return nullptr;
    }
    void* bits = bitmap->bits.get();
    HBITMAP handle = Register(Live().objects, std::move(bitmap));
    if (handle != nullptr && ppvBits != nullptr) {
        *ppvBits = bits;
    }
    return handle;
}

HDC CreateCompatibleDC(HDC /*hdc*/) {
    if (TakeFault(g_nFailMemoryDCs)) {
        return nullptr;
    }
    std::unique_ptr<GdiDC> dc(new (std::nothrow) GdiDC);
    return dc ? Register(Live().dcs, std::move(dc)) : nullptr;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
    GdiDC* dc = FindDC(hdc);
    if (dc == nullptr || dc->painter != nullptr) {
        return nullptr;
    }
    // Null takes the bitmap out again, which is how a fresh DC's "previous object" goes back.
    GdiObject* bitmap = FindObject(obj);
    if (obj != nullptr && bitmap == nullptr) {
        return nullptr;
    }
    if (bitmap != nullptr && bitmap->selectedInto != nullptr && bitmap->selectedInto != dc) {
        return nullptr;
    }
    GdiObject* previous = dc->bitmap;
    if (previous != nullptr) {
        previous->selectedInto = nullptr;
    }
    dc->bitmap = bitmap;
    if (bitmap != nullptr) {
        bitmap->selectedInto = dc;
    }
    return previous;
}

int SetStretchBltMode(HDC hdc, int mode) {
    GdiDC* dc = FindDC(hdc);
    if (dc == nullptr || mode < kBlackOnWhite || mode > kHalftone) {
        return 0;
    }
    const int previous = dc->stretchMode;
    dc->stretchMode = mode;
    return previous;
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                int ySrc, int wSrc, int hSrc, DWORD rop) {
    const GdiDC* target = FindDC(hdcDest);
    const GdiDC* source = FindDC(hdcSrc);
    if (target == nullptr || target->painter == nullptr || !target->painter->isActive() ||
        source == nullptr || source->bitmap == nullptr || rop != SRCCOPY) {
        return FALSE;
    }
    if (wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0) {
        return FALSE;
    }
    QPainter& painter = *target->painter;
    GdiObject& bitmap = *source->bitmap;
    const QImage& picture = bitmap.view;
    const QRect visible = VisibleArea(painter);
    const AxisMap columns = MapAxis(xDest, wDest, xSrc, wSrc, picture.width(), visible.left(),
                                    visible.left() + visible.width());
    const AxisMap rows = MapAxis(yDest, hDest, ySrc, hSrc, picture.height(), visible.top(),
                                 visible.top() + visible.height());
    if (!columns.sources.empty() && !rows.sources.empty()) {
        DrawPatch(painter, bitmap, columns, rows);
    }
    return TRUE;
}

BOOL DeleteDC(HDC hdc) {
    GdiDC* dc = FindDC(hdc);
    if (dc == nullptr || dc->painter != nullptr) {
        return FALSE;
    }
    if (dc->bitmap != nullptr) {
        dc->bitmap->selectedInto = nullptr;
    }
    Live().dcs.erase(dc);
    delete dc;
    return TRUE;
}

BOOL DeleteObject(HGDIOBJ obj) {
    GdiObject* bitmap = FindObject(obj);
    // A bitmap still selected into a DC stays, or the DC would be left pointing at nothing.
    if (bitmap == nullptr || bitmap->selectedInto != nullptr) {
        return FALSE;
    }
    Live().objects.erase(bitmap);
    delete bitmap;
    return TRUE;
}

HDC CreatePainterDC(QPainter* painter) {
    if (painter == nullptr) {
        return nullptr;
    }
    std::unique_ptr<GdiDC> dc(new (std::nothrow) GdiDC);
    if (!dc) {
        return nullptr;
    }
    dc->painter = painter;
    return Register(Live().dcs, std::move(dc));
}

void ReleasePainterDC(HDC hdc) {
    GdiDC* dc = FindDC(hdc);
    if (dc == nullptr || dc->painter == nullptr) {
        return;
    }
    Live().dcs.erase(dc);
    delete dc;
}

void FailNextDibSections(int count) {
    g_nFailDibSections = std::max(count, 0);
}

void FailNextMemoryDCs(int count) {
    g_nFailMemoryDCs = std::max(count, 0);
}

int LiveGdiHandleCount() {
    return static_cast<int>(Live().objects.size() + Live().dcs.size());
}

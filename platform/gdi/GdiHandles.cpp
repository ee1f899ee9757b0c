#include "platform/gdi/GdiHandles.h"

#include "platform/gdi/PixelFormat.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_set>

// Pixels are little-endian 16-bit words in the bitmap's layout, which the copies read as native
// words, so the two only agree on a little-endian machine.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr WORD kPictureBits = 16;                // the surface's pictures: 5-5-5, rows bottom-up
constexpr WORD kCanvasBits = 32;                 // what pictures are copied into: rows top-down
constexpr DWORD kHeaderSize = 40;                // sizeof(BITMAPINFOHEADER), as biSize must say
constexpr int kHalftone = 4;                     // the highest stretch mode there is
constexpr std::int64_t kMaxImageBytes = INT_MAX; // biSizeImage and the copies' arithmetic are ints

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

template <class T> T* Register(std::unordered_set<const T*>& set, std::unique_ptr<T> handle) {
    try {
        set.insert(handle.get());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return handle.release();
}

// The two kinds of bitmap made: the surface's picture, and a bitmap to copy pictures into, which
// is how the surface's copy is seen without a window.
bool IsSupportedFormat(const BITMAPINFO* pbmi, UINT usage) {
    if (pbmi == nullptr || usage != DIB_RGB_COLORS) {
        return false;
    }
    const BITMAPINFOHEADER& header = pbmi->bmiHeader;
    const bool picture = header.biBitCount == kPictureBits && header.biHeight > 0;
    const bool canvas = header.biBitCount == kCanvasBits && header.biHeight < 0;
    return header.biSize == kHeaderSize && header.biWidth > 0 && (picture || canvas) &&
           header.biPlanes == 1 && header.biCompression == BI_RGB;
}

// Positions along one axis of a bitmap of size pixels, from first up to last.
struct Span {
    std::int64_t first;
    std::int64_t last;
};

// The part of the size pixels from at that lies on a bitmap of limit pixels.
Span OnBitmap(int at, int size, int limit) {
    return Span{std::max<std::int64_t>(at, 0),
                std::min<std::int64_t>(std::int64_t{at} + size, limit)};
}

bool LiesWhollyOn(int at, int size, int limit) {
    return at >= 0 && std::int64_t{at} + size <= limit;
}

// A copy onto a memory DC's 32-bit bitmap in COLORONCOLOR mode, the only one the surface uses (the
// others combine or blend the pixels they drop). Only pixels that lie on the bitmap are written,
// as the whole copy has them.
BOOL CopyIntoBitmap(const GdiDC& target, int xDest, int yDest, int wDest, int hDest,
                    const GdiObject& picture, int xSrc, int ySrc, int wSrc, int hSrc) {
    GdiObject* canvas = target.bitmap;
    if (canvas == nullptr || canvas->bitsPerPixel != kCanvasBits ||
        picture.bitsPerPixel != kPictureBits || target.stretchMode != COLORONCOLOR) {
        return FALSE;
    }
    if (!LiesWhollyOn(xSrc, wSrc, picture.width) || !LiesWhollyOn(ySrc, hSrc, picture.height)) {
        return FALSE;
    }
    const Span columns = OnBitmap(xDest, wDest, canvas->width);
    const Span rows = OnBitmap(yDest, hDest, canvas->height);
    for (std::int64_t y = rows.first; y < rows.last; ++y) {
        const std::int64_t row = ySrc + StretchedSource(y - yDest, hSrc, hDest);
        // The picture's rows are bottom-up in memory, the canvas's top-down.
        const std::uint8_t* in = picture.bits.get() + (picture.height - 1 - row) * picture.stride;
        std::uint8_t* out = canvas->bits.get() + y * canvas->stride;
        for (std::int64_t x = columns.first; x < columns.last; ++x) {
            const std::int64_t column = xSrc + StretchedSource(x - xDest, wSrc, wDest);
            std::uint16_t pixel = 0;
            std::memcpy(&pixel, in + 2 * column, sizeof pixel);
            const std::uint32_t wide = WidenPixel(pixel);
            std::memcpy(out + 4 * x, &wide, sizeof wide);
        }
    }
    return TRUE;
}

} // namespace

// As Windows' own GDI draws it: enlarging, the pixel under the destination pixel's centre, a
// centre on the line between two taking the one before; shrinking, the pixel half a pixel before
// the destination pixel's far edge. Both keep the first and last pixels and spread the others
// evenly; at one scale they are the same. A window's copy may be billions of pixels long, so the
// products are worked out in 128 bits.
std::int64_t StretchedSource(std::int64_t i, std::int64_t srcSize, std::int64_t destSize) {
    __extension__ using Wide = __int128;
    const Wide past = destSize >= srcSize ? Wide{srcSize} - 1 : 2 * Wide{srcSize} - destSize;
    return static_cast<std::int64_t>((2 * Wide{srcSize} * i + past) / (2 * Wide{destSize}));
}

GdiObject* FindGdiObject(HGDIOBJ handle) {
    return handle != nullptr && Live().objects.contains(handle) ? handle : nullptr;
}

GdiDC* FindGdiDC(HDC handle) {
    return handle != nullptr && Live().dcs.contains(handle) ? handle : nullptr;
}

HBITMAP CreateDIBSection(HDC /*hdc*/, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                         void* hSection, DWORD /*offset*/) {
    if (ppvBits != nullptr) {
        *ppvBits = nullptr;
    }
    if (!IsSupportedFormat(pbmi, usage) || hSection != nullptr) {
        return nullptr;
    }
    const BITMAPINFOHEADER& header = pbmi->bmiHeader;
    const std::int64_t rows = std::abs(std::int64_t{header.biHeight});
    // Rows are padded to whole 32-bit words.
    const std::int64_t stride =
        (std::int64_t{header.biWidth} * header.biBitCount / 8 + 3) & ~std::int64_t{3};
    const std::int64_t bytes = stride * rows;
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
    bitmap->bitsPerPixel = header.biBitCount;
    bitmap->width = header.biWidth;
    bitmap->height = static_cast<int>(rows);
    bitmap->stride = static_cast<int>(stride);
    void* bits = bitmap->bits.get();
    HBITMAP handle = Register(Live().objects, std::move(bitmap));
    if (handle != nullptr && ppvBits != nullptr) {
        *ppvBits = bits;
    }
    return handle;
}

HDC CreateCompatibleDC(HDC /*hdc*/) {
    std::unique_ptr<GdiDC> dc(new (std::nothrow) GdiDC);
    return dc ? Register(Live().dcs, std::move(dc)) : nullptr;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
    GdiDC* dc = FindGdiDC(hdc);
    if (dc == nullptr || dc->device != nullptr) {
        return nullptr;
    }
    // Null takes the bitmap out again, which is how a fresh DC's "previous object" goes back.
    GdiObject* bitmap = FindGdiObject(obj);
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
    GdiDC* dc = FindGdiDC(hdc);
    if (dc == nullptr || mode < kBlackOnWhite || mode > kHalftone) {
        return 0;
    }
    const int previous = dc->stretchMode;
    dc->stretchMode = mode;
    return previous;
}

BOOL DeleteDC(HDC hdc) {
    GdiDC* dc = FindGdiDC(hdc);
    if (dc == nullptr || dc->device != nullptr) {
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
    GdiObject* bitmap = FindGdiObject(obj);
    // A bitmap still selected into a DC stays, or the DC would be left pointing at nothing.
    if (bitmap == nullptr || bitmap->selectedInto != nullptr) {
        return FALSE;
    }
    Live().objects.erase(bitmap);
    delete bitmap;
    return TRUE;
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                int ySrc, int wSrc, int hSrc, DWORD rop) {
    const GdiDC* target = FindGdiDC(hdcDest);
    const GdiDC* source = FindGdiDC(hdcSrc);
    if (target == nullptr || source == nullptr || source->bitmap == nullptr || rop != SRCCOPY) {
        return FALSE;
    }
    if (wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0) {
        return FALSE;
    }
    if (target->device == nullptr) {
        return CopyIntoBitmap(*target, xDest, yDest, wDest, hDest, *source->bitmap, xSrc, ySrc,
                              wSrc, hSrc);
    }
    // The window system's devices show the surface's pictures only.
    if (source->bitmap->bitsPerPixel != kPictureBits) {
        return FALSE;
    }
    return target->device->StretchFrom(xDest, yDest, wDest, hDest, *source->bitmap, xSrc, ySrc,
                                       wSrc, hSrc);
}

HDC CreateDeviceDC(IGdiDevice* device) {
    if (device == nullptr) {
        return nullptr;
    }
    std::unique_ptr<GdiDC> dc(new (std::nothrow) GdiDC{.device = device});
    return dc ? Register(Live().dcs, std::move(dc)) : nullptr;
}

IGdiDevice* ReleaseDeviceDC(HDC hdc) {
    GdiDC* dc = FindGdiDC(hdc);
    if (dc == nullptr || dc->device == nullptr) {
        return nullptr;
    }
    IGdiDevice* device = dc->device;
    Live().dcs.erase(dc);
    delete dc;
    return device;
}

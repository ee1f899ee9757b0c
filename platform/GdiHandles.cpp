#include "platform/GdiHandles.h"

#include <QPainter>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstddef>
#include <new>
#include <unordered_set>

// Pixels are little-endian 16-bit words in the bitmap's layout, and Qt reads its 16-bit formats
// as native words, so the two only agree on a little-endian machine.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr WORD kBitsPerPixel = 16;               // the only depth a DIB section is made with
constexpr DWORD kHeaderSize = 40;                // sizeof(BITMAPINFOHEADER), as biSize must say
constexpr int kHalftone = 4;                     // the highest stretch mode there is
constexpr std::int64_t kMaxImageBytes = INT_MAX; // biSizeImage and Qt's line arithmetic are ints

int g_nFailDibSections = 0;
int g_nFailMemoryDCs = 0;

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

} // namespace

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
    GdiDC* dc = FindGdiDC(hdc);
    if (dc == nullptr || dc->painter != nullptr) {
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
    GdiObject* bitmap = FindGdiObject(obj);
    // A bitmap still selected into a DC stays, or the DC would be left pointing at nothing.
    if (bitmap == nullptr || bitmap->selectedInto != nullptr) {
        return FALSE;
    }
    Live().objects.erase(bitmap);
    delete bitmap;
    return TRUE;
}

HDC CreatePainterDC(QPainter* painter, PaintCopy* record, IPictureSink* screen) {
    if (painter == nullptr) {
        return nullptr;
    }
    std::unique_ptr<GdiDC> dc(new (std::nothrow) GdiDC);
    if (!dc) {
        return nullptr;
    }
    dc->painter = painter;
    dc->record = record;
    dc->screen = screen;
    return Register(Live().dcs, std::move(dc));
}

void ReleasePainterDC(HDC hdc) {
    GdiDC* dc = FindGdiDC(hdc);
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

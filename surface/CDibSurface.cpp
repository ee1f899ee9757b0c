#include "surface/CDibSurface.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr DWORD kHeaderSize = sizeof(BITMAPINFOHEADER); // biSize: 40
constexpr WORD kPlanes = 1;                             // a DIB always has one plane
constexpr WORD kBitsPerPixel = 16;                      // 5 bits each of red, green and blue
constexpr std::int64_t kMaxImageBytes = INT_MAX;        // Stride() x Height() must stay an int

// Rows are padded to whole 32-bit words.
std::int64_t StrideFor(std::int64_t width) {
    return (width * 2 + 3) & ~std::int64_t{3};
}

// The span from one edge to the other, or false when nothing is to be drawn: an empty or
// inverted rectangle, or one whose edges lie so far apart that the span does not fit an int.
// StretchBlt would mirror the picture into an inverted rectangle, but the window never wants
// that: its display rectangle inverts only when the window is smaller than its margins, and
// then there is no room for the water at all.
bool Extent(LONG from, LONG to, int& size) {
    const std::int64_t span = std::int64_t{to} - from;
    if (span <= 0 || span > INT_MAX) {
        return false;
    }
    size = static_cast<int>(span);
    return true;
}

} // namespace

CDibSurface::~CDibSurface() {
    Free();
}

BOOL CDibSurface::Create(int cx, int cy, WORD fill) {
    Free();
    if (cx <= 0 || cy <= 0) {
        return FALSE;
    }
    // A picture whose byte count would not fit an int could not be filled or measured.
    if (StrideFor(cx) * cy > kMaxImageBytes) {
        return FALSE;
    }
    m_pbmi = static_cast<BITMAPINFO*>(::operator new(sizeof(BITMAPINFO), std::nothrow));
    if (m_pbmi == nullptr) {
        return FALSE;
    }
    std::memset(m_pbmi, 0, sizeof(BITMAPINFO));
    BITMAPINFOHEADER& header = m_pbmi->bmiHeader;
    header.biSize = kHeaderSize;
    header.biWidth = cx;
    header.biHeight = cy; // positive: the bottom row comes first in memory
    header.biPlanes = kPlanes;
    header.biBitCount = kBitsPerPixel;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(Stride() * Height());

    m_hBitmap = CreateDIBSection(nullptr, m_pbmi, DIB_RGB_COLORS, &m_pBits, nullptr, 0);
    if (m_hBitmap == nullptr) {
        Free();
        return FALSE;
    }
    Fill(fill);
    // Without a memory DC the surface still exists for the renderer; Blit then draws nothing.
    m_hMemDC = CreateCompatibleDC(nullptr);
    m_hOldBitmap = SelectObject(m_hMemDC, m_hBitmap);
    return TRUE;
}

BOOL CDibSurface::Fill(WORD value) {
    if (m_pbmi == nullptr || m_pBits == nullptr) {
        return FALSE;
    }
    const std::size_t words = static_cast<std::size_t>(Stride()) * Height() / 2;
    std::fill_n(static_cast<WORD*>(m_pBits), words, value);
    return TRUE;
}

void CDibSurface::Blit(CDC* target, const RECT* dest, const RECT* src) {
    if (m_hMemDC == nullptr || target == nullptr) {
        return;
    }
    const RECT whole = {0, 0, Width(), Height()};
    const RECT& to = dest != nullptr ? *dest : whole;
    const RECT& from = src != nullptr ? *src : whole;
    int toWidth = 0;
    int toHeight = 0;
    int fromWidth = 0;
    int fromHeight = 0;
    if (!Extent(to.left, to.right, toWidth) || !Extent(to.top, to.bottom, toHeight) ||
        !Extent(from.left, from.right, fromWidth) || !Extent(from.top, from.bottom, fromHeight)) {
        return;
    }
    SetStretchBltMode(target->m_hDC, COLORONCOLOR);
    StretchBlt(target->m_hDC, to.left, to.top, toWidth, toHeight, m_hMemDC, from.left, from.top,
               fromWidth, fromHeight, SRCCOPY);
}

void CDibSurface::Free() {
    // In the reverse order of Create: the DC lets go of the bitmap before either is deleted.
    if (m_hOldBitmap != nullptr) {
        SelectObject(m_hMemDC, m_hOldBitmap);
    }
    if (m_hMemDC != nullptr) {
        DeleteDC(m_hMemDC);
    }
    if (m_hBitmap != nullptr) {
        DeleteObject(m_hBitmap);
    }
    if (m_pbmi != nullptr) {
        ::operator delete(m_pbmi);
    }
    m_pbmi = nullptr;
    m_pBits = nullptr;
    m_hBitmap = nullptr;
    m_hMemDC = nullptr;
    m_hOldBitmap = nullptr;
}

int CDibSurface::Height() const {
    return m_pbmi != nullptr ? std::abs(m_pbmi->bmiHeader.biHeight) : 0;
}

int CDibSurface::Width() const {
    return m_pbmi != nullptr ? m_pbmi->bmiHeader.biWidth : 0;
}

int CDibSurface::Stride() const {
    return m_pbmi != nullptr ? static_cast<int>(StrideFor(m_pbmi->bmiHeader.biWidth)) : 0;
}

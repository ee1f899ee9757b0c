#pragma once

#include "platform/afx/CDC.h"
#include <windows.h>

#include <cstddef>
#include <cstring>

// A 32-bit top-down bitmap in a memory DC for the surface to copy into, read back pixel by pixel:
// what a window's paint would show, through the same calls on Linux and on Windows.
class CBitmapTarget {
public:
    // Never made from a 16-bit pixel (5-bit channels widen to 0, 8, 16, 24, 33, ...), so a pixel
    // that still shows it was not drawn.
    static constexpr DWORD kUntouched = 0x00010203;
    // What At answers off the bitmap, or when there is none: no colour that a copy makes.
    static constexpr DWORD kNoPixel = 0xFFFFFFFF;

    // The header of an uncompressed bitmap with one plane; a negative height puts the top row
    // first in memory.
    static BITMAPINFO Header(LONG width, LONG height, WORD bitCount) {
        BITMAPINFO info;
        std::memset(&info, 0, sizeof info);
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = bitCount;
        info.bmiHeader.biCompression = BI_RGB;
        return info;
    }

    CBitmapTarget(int width, int height) {
        const BITMAPINFO info = Header(width, -height, 32);
        void* bits = nullptr;
        m_hBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_dc.m_hDC = CreateCompatibleDC(nullptr);
        if (m_hBitmap == nullptr || bits == nullptr || m_dc.m_hDC == nullptr) {
            return;
        }
        m_hOldBitmap = SelectObject(m_dc.m_hDC, m_hBitmap);
        m_pBits = static_cast<unsigned char*>(bits);
        m_nWidth = width;
        m_nHeight = height;
        for (int i = 0; i < width * height; ++i) {
            std::memcpy(m_pBits + std::size_t{4} * i, &kUntouched, sizeof kUntouched);
        }
    }
    ~CBitmapTarget() {
        if (m_hOldBitmap != nullptr) {
            SelectObject(m_dc.m_hDC, m_hOldBitmap);
        }
        if (m_dc.m_hDC != nullptr) {
            DeleteDC(m_dc.m_hDC);
        }
        if (m_hBitmap != nullptr) {
            DeleteObject(m_hBitmap);
        }
    }
    CBitmapTarget(const CBitmapTarget&) = delete;
    CBitmapTarget& operator=(const CBitmapTarget&) = delete;

    CDC* Dc() { return &m_dc; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }

    // The colour at x, y as 0x00RRGGBB.
    DWORD At(int x, int y) const {
        if (m_pBits == nullptr || x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) {
            return kNoPixel;
        }
#ifdef _WIN32
        // Windows may hold drawing calls back in a batch until the pixels are asked for; the
        // graphics calls that stand in for it elsewhere batch nothing.
        GdiFlush();
#endif
        DWORD pixel = 0;
        std::memcpy(&pixel, m_pBits + 4 * (std::size_t{1} * y * m_nWidth + x), sizeof pixel);
        return pixel;
    }

    bool IsUntouched() const {
        for (int y = 0; y < m_nHeight; ++y) {
            for (int x = 0; x < m_nWidth; ++x) {
                if (At(x, y) != kUntouched) {
                    return false;
                }
            }
        }
        return m_pBits != nullptr;
    }

private:
    CDC m_dc;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    unsigned char* m_pBits = nullptr;
    int m_nWidth = 0;
    int m_nHeight = 0;
};

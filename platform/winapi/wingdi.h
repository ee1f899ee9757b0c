#pragma once

// The graphics calls the pixel surface makes, under the Windows SDK's names.

#include "windef.h"

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
static_assert(sizeof(BITMAPINFO) == 44);

struct GdiObject;
struct GdiDC;
using HGDIOBJ = GdiObject*;
using HBITMAP = GdiObject*;
using HDC = GdiDC*;

inline constexpr DWORD BI_RGB = 0;
inline constexpr UINT DIB_RGB_COLORS = 0;
inline constexpr int COLORONCOLOR = 3;
inline constexpr DWORD SRCCOPY = 0x00CC0020;

// Only bottom-up (positive biHeight) 16-bit and top-down (negative biHeight) 32-bit BI_RGB
// bitmaps are made; anything else fails with null.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                         void* hSection, DWORD offset);
HDC CreateCompatibleDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
int SetStretchBltMode(HDC hdc, int mode);
// Copies whole pixels of a 16-bit bitmap, repeating or dropping rows and columns to scale; never
// blends. A zero or negative width or height draws nothing. Onto a memory DC the target must hold
// a 32-bit bitmap and be in COLORONCOLOR mode, and the source rectangle must lie on the bitmap.
BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                int ySrc, int wSrc, int hSrc, DWORD rop);
BOOL DeleteDC(HDC hdc);
BOOL DeleteObject(HGDIOBJ obj);

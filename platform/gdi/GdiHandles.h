#pragma once

// The objects behind the graphics handles: bitmaps with their pixel memory, and device contexts
// that hold a bitmap (memory DCs) or draw on a device of the window system (a window's paint).
// Plain memory, with no window system.

#include <windows.h>

#include <cstdint>
#include <memory>

inline constexpr int kBlackOnWhite = 1; // the stretch mode every DC starts in

struct GdiObject {
    // 16: 5-5-5 pixels, rows bottom-up (the surface's picture). 32: 8-8-8 pixels over an unused
    // top byte, rows top-down (a bitmap that pictures are copied into).
    std::unique_ptr<std::uint8_t[]> bits;
    int bitsPerPixel = 16;
    int width = 0;
    int height = 0;
    int stride = 0; // bytes from one row to the next
    GdiDC* selectedInto = nullptr;
};

// What a DC that draws on the window system's device copies a bitmap onto.
class IGdiDevice {
public:
    // Both rectangles are of positive size.
    virtual BOOL StretchFrom(int xDest, int yDest, int wDest, int hDest, const GdiObject& bitmap,
                             int xSrc, int ySrc, int wSrc, int hSrc) = 0;

protected:
    ~IGdiDevice() = default;
};

struct GdiDC {
    GdiObject* bitmap = nullptr;  // a memory DC's
    IGdiDevice* device = nullptr; // a device DC's; null for a memory DC
    int stretchMode = kBlackOnWhite;
};

// Which source pixel pixel i (from 0) of a copy stretched from srcSize pixels to destSize shows
// along one axis, in COLORONCOLOR mode: whole pixels, repeated or dropped, never blended. Every
// target takes it from here, so that a window and a bitmap show the same pixels for one copy.
std::int64_t StretchedSource(std::int64_t i, std::int64_t srcSize, std::int64_t destSize);

// The object of a live handle; null for null, stale or foreign handles.
GdiObject* FindGdiObject(HGDIOBJ handle);
GdiDC* FindGdiDC(HDC handle);

// A DC that copies onto device, which must outlive it; null when memory runs out. It holds no
// bitmap and cannot be selected into or deleted with DeleteDC: ReleaseDeviceDC ends it.
HDC CreateDeviceDC(IGdiDevice* device);
// Ends a DC made by CreateDeviceDC and gives back its device; null for any other DC.
IGdiDevice* ReleaseDeviceDC(HDC hdc);

#pragma once

#include "platform/gdi/GdiHandles.h"

#include <vector>

// What a window's paint DC copies onto: the page's canvas under the window's client area, whose
// pixels are the page's device pixels. Each copy is cut to the parts of the window the paint is
// for; the pixels are widened and scaled by the graphics layer's own copy into a 32-bit bitmap,
// then handed to the page as RGBA.
class CCanvasDevice final : public IGdiDevice {
public:
    CCanvasDevice(int element, int width, int height, std::vector<RECT> clip);

    BOOL StretchFrom(int xDest, int yDest, int wDest, int hDest, const GdiObject& bitmap, int xSrc,
                     int ySrc, int wSrc, int hSrc) override;

private:
    // Copies the part of the destination that falls on area.
    BOOL CopyArea(const RECT& area, int xDest, int yDest, int wDest, int hDest, HDC source,
                  int xSrc, int ySrc, int wSrc, int hSrc);

    int m_nElement;
    int m_nWidth;
    int m_nHeight;
    std::vector<RECT> m_clip; // the update area, nothing outside it
};

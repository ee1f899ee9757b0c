#pragma once

// The Qt side of the graphics calls, for the platform layer and the tests only: device contexts
// that draw with a painter somebody else opened, and where their copies land among its pixels.

#include "platform/gdi/GdiHandles.h"
#include "platform/gdi/PixelFormat.h"

#include <windows.h>

#include <QRect>
#include <QTransform>

#include <cstdint>
#include <vector>

class CPictureSink;
class QPainter;

// Every 5-5-5 pixel; bit 15 of a pixel is not colour.
inline constexpr int kColourCount = 1 << 15;
inline constexpr std::uint16_t kColourMask = kColourCount - 1;

// Which source column (or row) each visible destination column (or row) of a copy shows, in
// device pixels: those from first on, side by side.
struct AxisMap {
    int first = 0;
    std::vector<int> sources;
};

// A device context that StretchBlt draws onto with an existing painter, which must outlive it;
// null for a null painter. Its coordinates are the painter's logical pixels times ratio: for a
// window's paint, the window's device pixels. A screen given (one that serves this painter) takes
// the copies it can.
HDC CreatePainterDC(QPainter* painter, double ratio = 1.0, CPictureSink* screen = nullptr);
// Ends a DC made by CreatePainterDC; the painter itself stays open. Other DCs are left alone.
void ReleasePainterDC(HDC hdc);

// A 5-5-5 pixel as Qt's 32-bit formats hold it, with the top byte opaque.
inline constexpr std::uint32_t OpaqueColour(std::uint16_t pixel) {
    return 0xFF000000 | WidenPixel(pixel);
}
// Writes every device pixel of the areas afresh through a painter whose logical pixels lie on its
// device as toDevice (a scale and a move) puts them, each the bitmap's pixel that the axis maps
// give it, as a plain copy whatever blending the painter was set up for. It remembers nothing of
// what it drew, so it can show any copy the window system's sinks cannot take.
void PaintPicture(QPainter& painter, const QTransform& toDevice, HBITMAP bitmap,
                  const AxisMap& columns, const AxisMap& rows, const std::vector<QRect>& areas);

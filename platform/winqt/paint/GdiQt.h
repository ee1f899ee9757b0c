#pragma once

// The Qt side of the graphics calls, for the platform layer and the tests only: device contexts
// that draw with a painter somebody else opened, and where their copies land among its pixels.

#include "platform/gdi/GdiHandles.h"

#include <windows.h>

#include <QRect>
#include <QTransform>

#include <cstdint>
#include <vector>

class CPictureSink;
class QPainter;

// Which source column (or row) each visible destination column (or row) of a copy shows, in
// device pixels: those from first on, side by side.
struct AxisMap {
    int first = 0;
    std::vector<int> sources;
};

// A device context that draws with an existing painter; null for a null painter. The painter
// must outlive the DC. StretchBlt draws onto it; it holds no bitmap of its own. Its coordinates
// are the painter's logical pixels times ratio: for a window's paint, the window's device pixels,
// whatever the painter's device. When screen is given (one that serves this painter), the copies
// go to it instead, each one it can take.
HDC CreatePainterDC(QPainter* painter, double ratio = 1.0, CPictureSink* screen = nullptr);
// Ends a DC made by CreatePainterDC; the painter itself stays open. Other DCs are left alone.
void ReleasePainterDC(HDC hdc);

#pragma once

// The Qt side of the graphics calls, for the platform layer and the tests only: device contexts
// that draw with a painter somebody else opened, and where their copies land among its pixels.

#include "platform/gdi/GdiHandles.h"

#include <windows.h>

#include <vector>

class CPictureSink;
class QPainter;

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

#pragma once

// The Qt side of the graphics calls, for the platform layer and the tests only: device contexts
// that draw with a painter somebody else opened, and where their copies land among its pixels.

#include "platform/winqt/GdiHandles.h"

#include <windows.h>

#include <QRect>
#include <QTransform>

#include <cstdint>
#include <vector>

class IPictureSink;
class QPainter;

// One axis of a rectangle among a device's pixels.
struct DeviceSpan {
    std::int64_t first = 0;
    std::int64_t size = 0;
};

// Which source column (or row) each visible destination column (or row) of a copy shows, in
// device pixels: those from first on, side by side.
struct AxisMap {
    int first = 0;
    std::vector<int> sources;
};

// Where a logical position and length land among device pixels, for a painter whose logical to
// device transform scales by scale and then moves by offset: each edge goes to the nearest pixel
// boundary. Lines one logical pixel wide so never vanish, and rectangles nested in logical
// pixels stay nested with no gap between them, so a frame drawn round a rectangle meets whatever
// is copied into that rectangle.
DeviceSpan ToDeviceSpan(double scale, double offset, std::int64_t at, std::int64_t size);
// Both axes of a (small) rectangle, through a transform that scales and moves it onto a device.
QRect ToDeviceRect(const QTransform& toDevice, const QRect& logical);

// A device context that draws with an existing painter; null for a null painter. The painter
// must outlive the DC. StretchBlt draws onto it; it holds no bitmap of its own. Its coordinates
// are the painter's logical pixels times ratio: for a window's paint, the window's device pixels,
// whatever the painter's device. When screen is given, a copy that lands on the screen goes to
// it instead, if it can take it.
HDC CreatePainterDC(QPainter* painter, double ratio = 1.0, IPictureSink* screen = nullptr);
// Ends a DC made by CreatePainterDC; the painter itself stays open. Other DCs are left alone.
void ReleasePainterDC(HDC hdc);

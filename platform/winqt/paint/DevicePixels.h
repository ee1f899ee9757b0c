#pragma once

// The program works in device pixels, as a program that follows each screen's scale does under
// the window system it was written for; Qt lays widgets out in logical pixels and scales them to
// the screen itself. These turn one into the other at the edge of the API.

#include <windows.h>

#include <QPointF>
#include <QRect>
#include <QTransform>

#include <cstdint>

class QWidget;

// Device pixels per logical pixel on the screen the widget's window is on; 1 without a widget.
double DeviceRatioOf(const QWidget* widget);
// The dots per inch a window on a screen of this ratio reports: 96 for each whole ratio.
UINT DpiOfRatio(double ratio);

struct DeviceSpan {
    std::int64_t first = 0;
    std::int64_t size = 0;
};

// Where a logical position and length land among device pixels, for a painter whose logical to
// device transform scales by scale and then moves by offset: each edge goes to the nearest pixel
// boundary. Lines one logical pixel wide so never vanish, and rectangles nested in logical
// pixels stay nested with no gap between them, so a frame drawn round a rectangle meets whatever
// is copied into that rectangle.
DeviceSpan ToDeviceSpan(double scale, double offset, std::int64_t at, std::int64_t size);
// Both axes of a (small) rectangle, through a transform that scales and moves it onto a device.
QRect ToDeviceRect(const QTransform& toDevice, const QRect& logical);

// The device pixel boundary nearest a position among device pixels, a half going up. Qt sizes a
// window's backing store by the same rounding.
std::int64_t NearestDeviceEdge(double device);
// A logical edge among device pixels: the nearest device pixel boundary.
int ToDeviceEdge(int logical, double ratio);
// A logical rectangle's edges among device pixels.
RECT DeviceRectOf(const QRect& logical, double ratio);
// The logical rectangle that covers every device pixel of device.
QRect LogicalCover(const RECT& device, double ratio);
QRect LogicalCover(const QRect& device, double ratio);
// The device pixel under a logical position that Qt worked out from one, as the pointer's.
POINT DevicePixelAt(QPointF logical, double ratio);
// The same pixels as a QRect and as a RECT, whose right and bottom edges lie past its last pixel.
QRect QRectOf(const RECT& rect);
RECT RectOf(const QRect& rect);

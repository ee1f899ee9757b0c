#pragma once

// The program works in device pixels, as a program that follows each screen's scale does under
// the window system it was written for; Qt lays widgets out in logical pixels and scales them to
// the screen itself. These turn one into the other at the edge of the API.

#include <windows.h>

#include <QPointF>
#include <QRect>

class QWidget;

// Device pixels per logical pixel on the screen the widget's window is on; 1 without a widget.
double DeviceRatioOf(const QWidget* widget);
// The dots per inch a window on a screen of this ratio reports: 96 for each whole ratio.
UINT DpiOfRatio(double ratio);
// A logical edge among device pixels: the nearest device pixel boundary. Qt sizes a window's
// backing store by the same rounding.
int ToDeviceEdge(int logical, double ratio);
// A logical rectangle's edges among device pixels.
RECT DeviceRectOf(const QRect& logical, double ratio);
// The logical rectangle that covers every device pixel of device.
QRect LogicalCover(const RECT& device, double ratio);
// The device pixel under a logical position that Qt worked out from one, as the pointer's.
POINT DevicePixelAt(QPointF logical, double ratio);

#include "platform/gdi/GdiHandles.h"
#include "platform/winqt/paint/CPainterPicture.h"
#include "platform/winqt/paint/CPictureSink.h"
#include "platform/winqt/paint/DevicePixels.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace {

// The axis map of the visible part of a copy, by the graphics layer's one stretch rule.
// Destination pixels whose source lies outside the bitmap are left out; since the mapping only
// ever moves forward, the ones kept are side by side.
AxisMap MapAxis(DeviceSpan dest, int src, int srcSize, int bitmapSize, int visibleFrom,
                int visibleTo) {
    AxisMap map;
    const std::int64_t from = std::max<std::int64_t>(dest.first, visibleFrom);
    const std::int64_t to = std::min<std::int64_t>(dest.first + dest.size, visibleTo);
    for (std::int64_t at = from; at < to; ++at) {
        const std::int64_t offset = at - dest.first;
        const std::int64_t source = src + StretchedSource(offset, srcSize, dest.size);
        if (source < 0 || source >= bitmapSize) {
            continue;
        }
        if (map.sources.empty()) {
            map.first = static_cast<int>(at);
        }
        map.sources.push_back(static_cast<int>(source));
    }
    return map;
}

// All of the painter's device in device pixels: the engine's device holds the pixels (a widget's
// backing store, or an image a widget is rendered into), whatever its scale.
QRect DeviceArea(const QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device = engine != nullptr ? engine->paintDevice() : nullptr;
    return device != nullptr ? QRect(0, 0, device->width(), device->height()) : QRect();
}

// The parts of the painter's device (area) that can show anything, in device pixels, so that a
// huge destination costs no more than the device it lands on: the device, cut to each rectangle
// of the painter's clip.
std::vector<QRect> VisibleAreas(const QPainter& painter, const QTransform& toDevice,
                                const QRect& area) {
    if (area.isEmpty()) {
        return {};
    }
    if (!painter.hasClipping()) {
        return {area};
    }
    std::vector<QRect> areas;
    for (const QRect& clip : painter.clipRegion()) {
        const QRect part = toDevice.mapRect(QRectF(clip)).toAlignedRect() & area;
        if (!part.isEmpty()) {
            areas.push_back(part);
        }
    }
    return areas;
}

// Where one axis of a copy lands among device pixels. A copy at one pixel of the DC per source
// pixel keeps the source's length, round(size x scale), wherever it stands, so that the water
// at its natural size is the same size on every part of the screen; a scaled copy fills its
// rectangle edge to edge, as the frame round it is drawn.
DeviceSpan CopySpan(double scale, double offset, int dest, int destSize, int srcSize) {
    DeviceSpan span = ToDeviceSpan(scale, offset, dest, destSize);
    if (destSize == srcSize) {
        span.size = NearestDeviceEdge(static_cast<double>(destSize) * scale);
    }
    return span;
}

// A device DC over a painter that somebody else opened.
class CPainterDevice final : public IGdiDevice {
public:
    CPainterDevice(QPainter* painter, double ratio, CPictureSink* screen)
        : m_pPainter(painter), m_dRatio(ratio), m_pScreen(screen) {}

    BOOL StretchFrom(int xDest, int yDest, int wDest, int hDest, const GdiObject& bitmap, int xSrc,
                     int ySrc, int wSrc, int hSrc) override;

private:
    QPainter* m_pPainter;
    double m_dRatio; // the DC's pixels per logical pixel of the painter
    CPictureSink* m_pScreen;
};

BOOL CPainterDevice::StretchFrom(int xDest, int yDest, int wDest, int hDest,
                                 const GdiObject& bitmap, int xSrc, int ySrc, int wSrc, int hSrc) {
    QPainter& painter = *m_pPainter;
    if (!painter.isActive()) {
        return FALSE;
    }
    // Only a painter that scales and moves can have its destination cut into whole device pixels.
    const QTransform toDevice = painter.combinedTransform();
    if (toDevice.type() > QTransform::TxScale || toDevice.m11() <= 0 || toDevice.m22() <= 0) {
        return FALSE;
    }
    // A window's paint DC already works in the pixels the painter writes: the destination maps
    // straight onto them. A render at another scale maps it by the ratio of the two.
    const QTransform fromDC = QTransform::fromScale(1 / m_dRatio, 1 / m_dRatio) * toDevice;
    const DeviceSpan columnSpan = CopySpan(fromDC.m11(), fromDC.dx(), xDest, wDest, wSrc);
    const DeviceSpan rowSpan = CopySpan(fromDC.m22(), fromDC.dy(), yDest, hDest, hSrc);
    if (columnSpan.size <= 0 || rowSpan.size <= 0) {
        return TRUE;
    }
    // What goes where is worked out once, and one sink draws it: the window system's surface for
    // the picture when it can take the copy, or else the painter.
    const QRect device = DeviceArea(painter);
    const AxisMap columns = MapAxis(columnSpan, xSrc, wSrc, bitmap.width, device.left(),
                                    device.left() + device.width());
    const AxisMap rows =
        MapAxis(rowSpan, ySrc, hSrc, bitmap.height, device.top(), device.top() + device.height());
    const std::vector<QRect> areas = VisibleAreas(painter, toDevice, device);
    // The sinks only read the bitmap; one may keep the handle to look the bitmap up again later.
    auto* const handle = const_cast<GdiObject*>(&bitmap);
    if (m_pScreen == nullptr || !m_pScreen->Show(handle, columns, rows, areas)) {
        CPainterPicture(&painter, toDevice).Show(handle, columns, rows, areas);
    }
    return TRUE;
}

} // namespace

HDC CreatePainterDC(QPainter* painter, double ratio, CPictureSink* screen) {
    if (painter == nullptr || !(ratio > 0)) {
        return nullptr;
    }
    auto* device = new (std::nothrow) CPainterDevice(painter, ratio, screen);
    HDC hdc = device != nullptr ? CreateDeviceDC(device) : nullptr;
    if (hdc == nullptr) {
        delete device;
    }
    return hdc;
}

void ReleasePainterDC(HDC hdc) {
    delete static_cast<CPainterDevice*>(ReleaseDeviceDC(hdc));
}

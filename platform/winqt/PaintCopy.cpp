#include "platform/winqt/CPainterPicture.h"
#include "platform/winqt/GdiHandles.h"
#include "platform/winqt/IPictureSink.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace {

// Which source column (or row) each visible destination column (or row) shows, in device
// pixels. Destination pixel i takes source pixel i x srcSize / destSize, rounded down, as the
// classic colour-on-colour stretch does: enlarging repeats pixels and shrinking drops them
// evenly, and the first pixel is always the source's first, so the picture's top-left corner is
// never lost. Destination pixels whose source lies outside the bitmap are left out; since the
// mapping only ever moves forward, the ones kept are side by side, starting at first.
AxisMap MapAxis(DeviceSpan dest, int src, int srcSize, int bitmapSize, int visibleFrom,
                int visibleTo) {
    AxisMap map;
    const std::int64_t from = std::max<std::int64_t>(dest.first, visibleFrom);
    const std::int64_t to = std::min<std::int64_t>(dest.first + dest.size, visibleTo);
    for (std::int64_t at = from; at < to; ++at) {
        const std::int64_t offset = at - dest.first;
        const std::int64_t source = src + offset * srcSize / dest.size;
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

// All of the painter's device, in device pixels. The engine's device is the one that holds the
// pixels (a widget's backing store, or the image a widget is rendered into), measured in device
// pixels whatever its scale.
QRect DeviceArea(const QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device = engine != nullptr ? engine->paintDevice() : nullptr;
    return device != nullptr ? QRect(0, 0, device->width(), device->height()) : QRect();
}

// The parts of the painter's device that can show anything, in device pixels, so that a huge
// destination costs no more than the device it lands on: the device, cut to each rectangle of
// the painter's clip. A paint of a few changed patches then widens and copies those patches
// alone, not the box round them.
std::vector<QRect> VisibleAreas(const QPainter& painter, const QTransform& toDevice) {
    const QRect area = DeviceArea(painter);
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

// Where one axis of a copy lands among device pixels. A copy at one logical pixel per source
// pixel keeps the source's length, round(size x scale), wherever it stands, so that the water
// at its natural size is the same size on every part of the screen; a scaled copy fills its
// rectangle edge to edge, as the frame round it is drawn.
DeviceSpan CopySpan(double scale, double offset, int dest, int destSize, int srcSize) {
    DeviceSpan span = ToDeviceSpan(scale, offset, dest, destSize);
    if (destSize == srcSize) {
        span.size =
            static_cast<std::int64_t>(std::floor(static_cast<double>(destSize) * scale + 0.5));
    }
    return span;
}

// A device DC over a painter that somebody else opened.
class CPainterDevice final : public IGdiDevice {
public:
    CPainterDevice(QPainter* painter, PaintCopy* record, IPictureSink* screen)
        : m_pPainter(painter), m_pRecord(record), m_pScreen(screen) {}

    BOOL StretchFrom(int xDest, int yDest, int wDest, int hDest, const GdiObject& bitmap, int xSrc,
                     int ySrc, int wSrc, int hSrc) override;

private:
    QPainter* m_pPainter;
    PaintCopy* m_pRecord;
    IPictureSink* m_pScreen;
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
    const DeviceSpan columnSpan = CopySpan(toDevice.m11(), toDevice.dx(), xDest, wDest, wSrc);
    const DeviceSpan rowSpan = CopySpan(toDevice.m22(), toDevice.dy(), yDest, hDest, hSrc);
    if (m_pRecord != nullptr) {
        *m_pRecord = PaintCopy{
            true,       toDevice, QRect(xDest, yDest, wDest, hDest), QRect(xSrc, ySrc, wSrc, hSrc),
            columnSpan, rowSpan};
    }
    if (columnSpan.size <= 0 || rowSpan.size <= 0) {
        return TRUE;
    }
    // What goes where is worked out once: the source pixel of every device pixel the copy
    // covers, and the parts of the device the paint's clip leaves open. One sink draws it: the
    // window system's surface for the picture when it can take the copy, or else the painter.
    const QRect device = DeviceArea(painter);
    const AxisMap columns = MapAxis(columnSpan, xSrc, wSrc, bitmap.width, device.left(),
                                    device.left() + device.width());
    const AxisMap rows =
        MapAxis(rowSpan, ySrc, hSrc, bitmap.height, device.top(), device.top() + device.height());
    const std::vector<QRect> areas = VisibleAreas(painter, toDevice);
    // The sinks only read the bitmap; one may keep the handle to look the bitmap up again later.
    auto* const handle = const_cast<GdiObject*>(&bitmap);
    if (m_pScreen == nullptr || !m_pScreen->Serves(painter) ||
        !m_pScreen->Show(handle, columns, rows, areas)) {
        CPainterPicture(&painter, toDevice).Show(handle, columns, rows, areas);
    }
    return TRUE;
}

} // namespace

HDC CreatePainterDC(QPainter* painter, PaintCopy* record, IPictureSink* screen) {
    if (painter == nullptr) {
        return nullptr;
    }
    auto* device = new (std::nothrow) CPainterDevice(painter, record, screen);
    if (device == nullptr) {
        return nullptr;
    }
    HDC hdc = CreateDeviceDC(device);
    if (hdc == nullptr) {
        delete device;
    }
    return hdc;
}

void ReleasePainterDC(HDC hdc) {
    delete static_cast<CPainterDevice*>(ReleaseDeviceDC(hdc));
}

DeviceSpan ToDeviceSpan(double scale, double offset, std::int64_t at, std::int64_t size) {
    const auto edge = [&](std::int64_t logical) {
        return static_cast<std::int64_t>(
            std::floor(static_cast<double>(logical) * scale + offset + 0.5));
    };
    return {edge(at), edge(at + size) - edge(at)};
}

QRect ToDeviceRect(const QTransform& toDevice, const QRect& logical) {
    const DeviceSpan columns =
        ToDeviceSpan(toDevice.m11(), toDevice.dx(), logical.left(), logical.width());
    const DeviceSpan rows =
        ToDeviceSpan(toDevice.m22(), toDevice.dy(), logical.top(), logical.height());
    return {static_cast<int>(columns.first), static_cast<int>(rows.first),
            static_cast<int>(columns.size), static_cast<int>(rows.size)};
}

namespace {

// A pointer position that Qt worked out as device pixel / scale comes back to that pixel
// despite rounding.
constexpr double kPositionSlack = 1.0 / 1024;

// The logical pixel of one axis that a click in device pixel at stands for.
std::int64_t LogicalOfDevicePixel(std::int64_t at, double scale, double offset) {
    // Logical pixel x covers device pixels [edge(x), edge(x + 1)), edge(x) = floor(x s + o + 1/2).
    return static_cast<std::int64_t>(
               std::ceil((static_cast<double>(at) + 0.5 - offset) / scale - kPositionSlack)) -
           1;
}

// On one axis inside the copy: the logical pixel nearest to logical whose one-to-one mapping
// shows the same source pixel as device pixel at; logical itself when no logical pixel does.
std::int64_t MatchSourcePixel(std::int64_t logical, std::int64_t at, DeviceSpan span, int dest,
                              int destSize, int srcSize) {
    const std::int64_t shown = (at - span.first) * srcSize / span.size;
    // The logical pixels k with k x srcSize / destSize == shown.
    const std::int64_t firstK = (shown * destSize + srcSize - 1) / srcSize;
    const std::int64_t lastK = ((shown + 1) * destSize + srcSize - 1) / srcSize - 1;
    if (firstK > lastK) {
        return logical;
    }
    return dest + std::clamp(logical - dest, firstK, lastK);
}

int ToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

} // namespace

QPoint LogicalPixelOfClick(const PaintCopy& copy, QPointF position, double scale) {
    const QTransform toDevice = copy.made ? copy.toDevice : QTransform::fromScale(scale, scale);
    const QPointF device = toDevice.map(position);
    const auto column = static_cast<std::int64_t>(std::floor(device.x() + kPositionSlack));
    const auto row = static_cast<std::int64_t>(std::floor(device.y() + kPositionSlack));
    std::int64_t x = LogicalOfDevicePixel(column, toDevice.m11(), toDevice.dx());
    std::int64_t y = LogicalOfDevicePixel(row, toDevice.m22(), toDevice.dy());
    const auto inside = [](std::int64_t at, DeviceSpan span) {
        return at >= span.first && at < span.first + span.size;
    };
    if (copy.made && inside(column, copy.columns) && inside(row, copy.rows)) {
        x = MatchSourcePixel(x, column, copy.columns, copy.dest.left(), copy.dest.width(),
                             copy.source.width());
        y = MatchSourcePixel(y, row, copy.rows, copy.dest.top(), copy.dest.height(),
                             copy.source.height());
    }
    return {ToInt(x), ToInt(y)};
}

#include "platform/gdi/GdiHandles.h"
#include "platform/winqt/paint/CPictureSink.h"
#include "platform/winqt/paint/DevicePixels.h"
#include "platform/winqt/paint/GdiQt.h"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The 32-bit colour of every 5-5-5 pixel, each channel widened as Qt converts its 16-bit format:
// looking a pixel up costs less than converting it, and the picture comes out the same on every
// 32-bit device.
const QRgb* WideColours() {
    // Static storage rather than the heap: the first paint cannot fail for want of memory.
    static const std::array<QRgb, kColourCount> table = [] {
        std::array<QRgb, kColourCount> colours{};
        for (unsigned pixel = 0; pixel < kColourCount; ++pixel) {
            colours[pixel] = OpaqueColour(static_cast<std::uint16_t>(pixel));
        }
        return colours;
    }();
    return table.data();
}

// Copies a row of 32-bit pixels to a place the processor need not read first: a large picture's
// rows go past every cache, so writing them around the cache saves the read of each line that
// an ordinary store would make before overwriting it.
void CopyRowAround(QRgb* out, const QRgb* in, int count) {
#if defined(__SSE2__)
    // Streaming stores need 16-byte alignment; the few pixels before it go the ordinary way.
    while (count > 0 && (reinterpret_cast<std::uintptr_t>(out) & 15) != 0) {
        *out++ = *in++;
        --count;
    }
    for (; count >= 4; count -= 4, out += 4, in += 4) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(out),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
    }
#endif
    std::memcpy(out, in, static_cast<std::size_t>(count) * sizeof(QRgb));
}

// Writes the destination's pixels, one screen pixel each, into rows stride bytes apart from
// out. Each source pixel is widened once per distinct row and put down as a run as long as it is
// repeated; rows that repeat are copies of the row before, so an enlarged picture costs little
// more than the memory it fills.
void WidenPatch(const QImage& picture, const AxisMap& columns, const AxisMap& rows, uchar* out,
                qsizetype stride) {
    const int width = static_cast<int>(columns.sources.size());
    const int height = static_cast<int>(rows.sources.size());
    const QRgb* const colours = WideColours();
    const int* const sourceColumns = columns.sources.data();
    const uchar* widened = nullptr; // the last row widened, which the rows repeating it copy
    for (int r = 0; r < height; ++r, out += stride) {
        if (r > 0 && rows.sources[static_cast<std::size_t>(r)] ==
                         rows.sources[static_cast<std::size_t>(r) - 1]) {
            CopyRowAround(reinterpret_cast<QRgb*>(out), reinterpret_cast<const QRgb*>(widened),
                          width);
            continue;
        }
        widened = out;
        // Row 0 of the memory is the bottom row of the picture.
        const int memoryRow = picture.height() - 1 - rows.sources[static_cast<std::size_t>(r)];
        const auto* in = reinterpret_cast<const std::uint16_t*>(picture.constScanLine(memoryRow));
        auto* pixels = reinterpret_cast<QRgb*>(out);
        for (int c = 0; c < width;) {
            const int source = sourceColumns[c];
            int end = c + 1;
            while (end < width && sourceColumns[end] == source) {
                ++end;
            }
            std::fill(pixels + c, pixels + end, colours[in[source] & kColourMask]);
            c = end;
        }
    }
#if defined(__SSE2__)
    // Streamed rows must be in memory before anyone else reads the picture.
    _mm_sfence();
#endif
}

// The image the painter's pixels end up in, when the patch at (x, y) in the painter's
// coordinates can be written there as it is: a 32-bit image whose pixels the painter would set
// to exactly these colours, reached by whole-pixel moves alone, with the whole patch inside what
// the painter may touch. (x, y) then becomes the patch's place in the image. Null otherwise.
QImage* StraightTarget(QPainter& painter, const QTransform& toDevice, int width, int height, int& x,
                       int& y) {
    QPaintEngine* engine = painter.paintEngine();
    QPaintDevice* device = engine != nullptr ? engine->paintDevice() : nullptr;
    if (device == nullptr || engine->type() != QPaintEngine::Raster ||
        device->devType() != QInternal::Image) {
        return nullptr;
    }
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied) {
        return nullptr;
    }
    // From the patch's pixels, which are the painter's device pixels, to the image's.
    const QTransform toImage = toDevice.inverted() * painter.deviceTransform();
    if (toImage.type() > QTransform::TxTranslate || toImage.dx() != std::floor(toImage.dx()) ||
        toImage.dy() != std::floor(toImage.dy())) {
        return nullptr;
    }
    const QRect place(x + static_cast<int>(toImage.dx()), y + static_cast<int>(toImage.dy()), width,
                      height);
    // The window system's clip, in the image's pixels: the part of a window being repainted.
    const QRegion system = engine->systemClip();
    if (!image->rect().contains(place) ||
        (!system.isEmpty() && !(QRegion(place) - system).isEmpty())) {
        return nullptr;
    }
    x = place.x();
    y = place.y();
    return image;
}

// Puts the patch down as a plain copy that ignores whatever blending the painter was set up
// for: straight into the pixels the painter draws on when it can, or else through a patch of its
// own that the painter copies.
void DrawPatch(QPainter& painter, const QTransform& toDevice, const QImage& picture,
               const AxisMap& columns, const AxisMap& rows) {
    const int width = static_cast<int>(columns.sources.size());
    const int height = static_cast<int>(rows.sources.size());
    int x = columns.first;
    int y = rows.first;
    if (QImage* image = StraightTarget(painter, toDevice, width, height, x, y)) {
        WidenPatch(picture, columns, rows,
                   image->scanLine(y) + static_cast<qsizetype>(x) * sizeof(QRgb),
                   image->bytesPerLine());
        return;
    }
    // Kept from one paint to the next, so that the next paint of the same size reuses it; there
    // is one paint at a time.
    static QImage patch;
    if (patch.width() != width || patch.height() != height) {
        patch = QImage(width, height, QImage::Format_RGB32);
    }
    if (patch.isNull()) {
        return;
    }
    WidenPatch(picture, columns, rows, patch.bits(), patch.bytesPerLine());
    painter.save();
    // The patch is already at device resolution: it goes down one image pixel per device pixel.
    painter.setWorldTransform(toDevice.inverted() * painter.worldTransform());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setOpacity(1.0);
    painter.drawImage(QPoint(columns.first, rows.first), patch);
    painter.restore();
}

// The part of an axis map that lies on the device pixels from up to, but not including, to.
AxisMap Slice(const AxisMap& map, int from, int to) {
    const auto size = static_cast<int>(map.sources.size());
    const int begin = std::clamp(from - map.first, 0, size);
    const int end = std::clamp(to - map.first, begin, size);
    AxisMap part;
    part.first = map.first + begin;
    part.sources.assign(map.sources.begin() + begin, map.sources.begin() + end);
    return part;
}

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
        PaintPicture(painter, toDevice, handle, columns, rows, areas);
    }
    return TRUE;
}

} // namespace

void PaintPicture(QPainter& painter, const QTransform& toDevice, HBITMAP bitmap,
                  const AxisMap& columns, const AxisMap& rows, const std::vector<QRect>& areas) {
    const QImage picture(bitmap->bits.get(), bitmap->width, bitmap->height, bitmap->stride,
                         QImage::Format_RGB555);
    // A paint of a few changed patches widens and copies those patches alone, not the box round
    // them.
    for (const QRect& area : areas) {
        const AxisMap areaColumns = Slice(columns, area.left(), area.left() + area.width());
        const AxisMap areaRows = Slice(rows, area.top(), area.top() + area.height());
        if (!areaColumns.sources.empty() && !areaRows.sources.empty()) {
            DrawPatch(painter, toDevice, picture, areaColumns, areaRows);
        }
    }
}

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

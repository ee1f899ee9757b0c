#include "platform/winqt/paint/CPainterPicture.h"

#include "platform/gdi/GdiHandles.h"
#include "platform/gdi/PixelFormat.h"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr QRgb kOpaque = 0xFF000000;  // the alpha of Qt's 32-bit colours
constexpr int kColourCount = 1 << 15; // every 5-5-5 pixel; bit 15 is ignored
constexpr std::uint16_t kColourMask = kColourCount - 1;

// The 32-bit colour of every 5-5-5 pixel, each channel widened as Qt converts its 16-bit format:
// looking a pixel up costs less than converting it, and the picture comes out the same on every
// 32-bit device.
const QRgb* WideColours() {
    // Static storage rather than the heap: the first paint cannot fail for want of memory.
    static const std::array<QRgb, kColourCount> table = [] {
        std::array<QRgb, kColourCount> colours{};
        for (unsigned pixel = 0; pixel < kColourCount; ++pixel) {
            colours[pixel] = kOpaque | WidenPixel(static_cast<std::uint16_t>(pixel));
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

} // namespace

CPainterPicture::CPainterPicture(QPainter* painter, const QTransform& toDevice)
    : m_pPainter(painter), m_toDevice(toDevice) {}

void CPainterPicture::Show(HBITMAP bitmap, const AxisMap& columns, const AxisMap& rows,
                           const std::vector<QRect>& areas) {
    const QImage picture(bitmap->bits.get(), bitmap->width, bitmap->height, bitmap->stride,
                         QImage::Format_RGB555);
    // A paint of a few changed patches widens and copies those patches alone, not the box round
    // them.
    for (const QRect& area : areas) {
        const AxisMap areaColumns = Slice(columns, area.left(), area.left() + area.width());
        const AxisMap areaRows = Slice(rows, area.top(), area.top() + area.height());
        if (!areaColumns.sources.empty() && !areaRows.sources.empty()) {
            DrawPatch(*m_pPainter, m_toDevice, picture, areaColumns, areaRows);
        }
    }
}

#include "platform/winqt/CWaylandPicture.h"

#include "platform/winqt/GdiHandles.h"
#include "ripple/PixelFormat.h"

#include <QBackingStore>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>

#include <wayland-client.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::uint32_t kUnknown = 0xFFFFFFFF; // a cell whose pixels are not known to show it
constexpr std::uint16_t kPixelMask = 0x7FFF;   // bit 15 of the bitmap's pixel is not colour

// The application's connection to the compositor; null off Wayland and after Qt's end.
wl_display* QtDisplay() {
    QPlatformNativeInterface* native = QCoreApplication::instance() != nullptr
                                           ? QGuiApplication::platformNativeInterface()
                                           : nullptr;
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    return native == nullptr || !wayland
               ? nullptr
               : static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
}

// The 32-bit pixel of a 5-5-5 one, each channel widened as Qt widens it.
std::uint32_t Widened(std::uint16_t pixel) {
    return 0xFF000000U | (std::uint32_t{WidenChannel(pixel >> 10)} << 16) |
           (std::uint32_t{WidenChannel(pixel >> 5)} << 8) | WidenChannel(pixel);
}

// Sets count pixels to one colour, four at a time where the processor can.
void FillPixels(std::uint32_t* out, int count, std::uint32_t colour) {
#if defined(__SSE2__)
    const __m128i four = _mm_set1_epi32(static_cast<int>(colour));
    for (; count >= 4; count -= 4, out += 4) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), four);
    }
#endif
    std::fill_n(out, count, colour);
}

} // namespace

std::unique_ptr<CWaylandPicture> CWaylandPicture::Create(QWidget* widget) {
    wl_display* display = QtDisplay();
    QWindow* window = widget != nullptr ? widget->windowHandle() : nullptr;
    // A frame Qt draws round the window lies in its buffers, where the program's would lack it.
    if (display == nullptr || window == nullptr || window->handle() == nullptr ||
        !window->handle()->frameMargins().isNull()) {
        return nullptr;
    }
    // Shared memory is bound on a queue of the buffers' own, which only they dispatch, so that
    // Qt never sees the events of the buffers made here.
    std::unique_ptr<CWaylandBuffers> buffers = CWaylandBuffers::Create(display);
    if (buffers == nullptr) {
        return nullptr;
    }
    std::unique_ptr<CWaylandPicture> picture(
        new CWaylandPicture(widget, display, std::move(buffers)));
    // Before Qt paints and shows its own buffer, it must hold the picture as it is now.
    widget->installEventFilter(picture.get());
    window->installEventFilter(picture.get());
    return picture;
}

CWaylandPicture::CWaylandPicture(QWidget* widget, wl_display* display,
                                 std::unique_ptr<CWaylandBuffers> buffers)
    : m_pWidget(widget), m_pDisplay(display), m_pBuffers(std::move(buffers)) {}

CWaylandPicture::~CWaylandPicture() {
    // Past the application's end the connection is gone, and with it everything made on it.
    if (QtDisplay() != m_pDisplay) {
        m_pBuffers->Abandon();
    }
}

// Qt's backing store, once it has pixels: 32-bit, one per device pixel of the window.
QImage* CWaylandPicture::StoreImage() const {
    QBackingStore* store = m_pWidget != nullptr ? m_pWidget->backingStore() : nullptr;
    if (store == nullptr || store->size().isEmpty() ||
        store->paintDevice()->devType() != QInternal::Image) {
        return nullptr;
    }
    auto* image = static_cast<QImage*>(store->paintDevice());
    return image->depth() == 32 ? image : nullptr;
}

bool CWaylandPicture::Serves(const QPainter& painter) const {
    const QPaintEngine* engine = painter.paintEngine();
    const QImage* store = StoreImage();
    return engine != nullptr && store != nullptr && engine->paintDevice() == store;
}

void CWaylandPicture::BeginPaint() {
    m_bShownThisPaint = false;
}

// A paint without the picture drew something else where it was, and Qt shows that next.
void CWaylandPicture::EndPaint() {
    if (!m_bShownThisPaint) {
        m_rcPlace = QRect();
        m_hBitmap = nullptr;
        QtShowsStore();
    }
}

// The copy goes straight into the backing store, every cell of it, whatever the paint covered.
bool CWaylandPicture::Show(HBITMAP bitmap, const AxisMap& columns, const AxisMap& rows,
                           const std::vector<QRect>& /*areas*/) {
    m_hBitmap = bitmap;
    QImage* store = StoreImage();
    if (store == nullptr || columns.sources.empty() || rows.sources.empty() ||
        !Place(columns, rows, *store)) {
        return false;
    }
    m_bShownThisPaint = true;
    std::fill(m_store.shown.begin(), m_store.shown.end(), kUnknown);
    QtShowsStore();
    return true;
}

bool CWaylandPicture::Repaint(const QRect& rect) {
    if (m_rcPlace.isEmpty() || !m_rcPlace.contains(rect)) {
        return false;
    }
    // A frame's rectangles come one after another; one drawing after them covers them all.
    if (!m_bDrawQueued) {
        m_bDrawQueued = true;
        QTimer::singleShot(0, this, [this] { DrawQueued(); });
    }
    return true;
}

bool CWaylandPicture::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (m_pSurface != nullptr &&
        (event->type() == QEvent::UpdateRequest || event->type() == QEvent::Expose)) {
        QtShowsStore();
    }
    return false;
}

// Qt is about to show its backing store: it gets the cells that differ from the bitmap, and
// the program's buffers lack whatever else Qt paints.
void CWaylandPicture::QtShowsStore() {
    QImage* store = StoreImage();
    std::vector<std::uint32_t> wanted;
    if (store != nullptr && store->size() == m_storeSize && Wanted(wanted)) {
        m_store.pixels = reinterpret_cast<std::uint32_t*>(store->bits());
        WriteCells(m_store, static_cast<int>(store->bytesPerLine() / 4), wanted);
    } else {
        std::fill(m_store.shown.begin(), m_store.shown.end(), kUnknown);
    }
    m_onScreen = m_store.shown;
    m_pSurface = nullptr;
    ++m_nQtPaints;
}

std::vector<CWaylandPicture::Cell> CWaylandPicture::CellsOf(const AxisMap& axis) {
    std::vector<Cell> cells;
    const int count = static_cast<int>(axis.sources.size());
    for (int at = 0; at < count;) {
        const int source = axis.sources[static_cast<std::size_t>(at)];
        int end = at + 1;
        while (end < count && axis.sources[static_cast<std::size_t>(end)] == source) {
            ++end;
        }
        cells.push_back(Cell{source, at, end - at});
        at = end;
    }
    return cells;
}

// Learns which device pixels of the window show which cell; a new place, scale or window size
// loses what every buffer was known to show.
bool CWaylandPicture::Place(const AxisMap& columns, const AxisMap& rows, const QImage& store) {
    const QRect place(columns.first, rows.first, static_cast<int>(columns.sources.size()),
                      static_cast<int>(rows.sources.size()));
    if (!store.rect().contains(place)) {
        return false;
    }
    std::vector<Cell> cellColumns = CellsOf(columns);
    std::vector<Cell> cellRows = CellsOf(rows);
    if (place == m_rcPlace && store.size() == m_storeSize && cellColumns == m_cellColumns &&
        cellRows == m_cellRows) {
        return true;
    }
    if (store.size() != m_storeSize) {
        m_pBuffers->Drop();
    }
    m_rcPlace = place;
    m_storeSize = store.size();
    m_cellColumns = std::move(cellColumns);
    m_cellRows = std::move(cellRows);
    const std::size_t cells = m_cellColumns.size() * m_cellRows.size();
    m_store.shown.assign(cells, kUnknown);
    for (const auto& buffer : m_pBuffers->All()) {
        buffer->shown.assign(cells, kUnknown);
    }
    m_onScreen.assign(cells, kUnknown);
    return true;
}

// The colour of every cell in the bitmap; false when the bitmap is gone or no longer fits.
bool CWaylandPicture::Wanted(std::vector<std::uint32_t>& wanted) const {
    const GdiObject* bitmap = FindGdiObject(m_hBitmap);
    // The cells' sources only ever grow along each axis.
    if (bitmap == nullptr || m_cellColumns.empty() ||
        bitmap->width <= m_cellColumns.back().source ||
        bitmap->height <= m_cellRows.back().source) {
        return false;
    }
    const std::size_t columnCount = m_cellColumns.size();
    wanted.resize(columnCount * m_cellRows.size());
    for (std::size_t r = 0; r < m_cellRows.size(); ++r) {
        // Row 0 of the memory is the bottom row of the picture.
        const std::ptrdiff_t row = bitmap->height - 1 - m_cellRows[r].source;
        const auto* in =
            reinterpret_cast<const std::uint16_t*>(bitmap->bits.get() + row * bitmap->stride);
        for (std::size_t c = 0; c < columnCount; ++c) {
            wanted[r * columnCount + c] = in[m_cellColumns[c].source] & kPixelMask;
        }
    }
    return true;
}

void CWaylandPicture::DrawQueued() {
    m_bDrawQueued = false;
    if (!Draw() && m_pWidget != nullptr) {
        // The bitmap is gone, or the window changed: a paint of the dialog shows what is there.
        const qreal scale = m_pWidget->devicePixelRatioF();
        const QRectF place(m_rcPlace);
        m_pWidget->update(QRectF(place.topLeft() / scale, place.size() / scale).toAlignedRect());
    }
}

// Brings the newest free buffer up to date and puts it on the window's surface.
bool CWaylandPicture::Draw() {
    QImage* store = StoreImage();
    QWindow* window = m_pWidget != nullptr ? m_pWidget->windowHandle() : nullptr;
    auto* surface = window != nullptr
                        ? static_cast<wl_surface*>(
                              QGuiApplication::platformNativeInterface()->nativeResourceForWindow(
                                  "surface", window))
                        : nullptr;
    std::vector<std::uint32_t> wanted;
    if (store == nullptr || store->size() != m_storeSize || surface == nullptr || !Wanted(wanted)) {
        return false;
    }
    if (wanted == m_onScreen) {
        return true;
    }
    // With every buffer held by the compositor, a paint of Qt's shows the frame instead.
    Pixels* buffer = FreeBuffer(*store);
    if (buffer == nullptr) {
        return false;
    }
    WriteCells(*buffer, m_storeSize.width(), wanted);
    m_pSurface = surface;
    Damage(wanted);
    wl_surface_attach(m_pSurface, buffer->buffer, 0, 0);
    wl_surface_commit(m_pSurface);
    wl_display_flush(m_pDisplay);
    buffer->busy = true;
    buffer->made = ++m_nFrame;
    m_onScreen = std::move(wanted);
    return true;
}

// A free buffer (see CWaylandBuffers::Free) that holds Qt's last paint beside the cells: after
// a paint of Qt's it first takes a copy of the backing store. Null when the compositor holds
// them all.
CWaylandPicture::Pixels* CWaylandPicture::FreeBuffer(const QImage& store) {
    Pixels* best = m_pBuffers->Free(m_storeSize);
    if (best != nullptr && best->copiedFrom != m_nQtPaints) {
        const auto rowBytes = static_cast<std::size_t>(m_storeSize.width()) * 4;
        for (int y = 0; y < m_storeSize.height(); ++y) {
            std::memcpy(best->pixels + static_cast<std::size_t>(y) * m_storeSize.width(),
                        store.constScanLine(y), rowBytes);
        }
        best->shown = m_store.shown;
        best->copiedFrom = m_nQtPaints;
    }
    return best;
}

// Fills every cell whose colour the pixels do not show yet, neighbours on a row that take the
// same colour as one run.
void CWaylandPicture::WriteCells(Pixels& target, int stride,
                                 const std::vector<std::uint32_t>& wanted) const {
    const std::size_t columnCount = m_cellColumns.size();
    for (std::size_t r = 0; r < m_cellRows.size(); ++r) {
        std::uint32_t* shown = target.shown.data() + r * columnCount;
        const std::uint32_t* want = wanted.data() + r * columnCount;
        for (std::size_t c = 0; c < columnCount;) {
            if (shown[c] == want[c]) {
                ++c;
                continue;
            }
            std::size_t end = c + 1;
            while (end < columnCount && shown[end] != want[end] && want[end] == want[c]) {
                ++end;
            }
            const Cell& row = m_cellRows[r];
            const int left = m_rcPlace.left() + m_cellColumns[c].first;
            const int width =
                m_cellColumns[end - 1].first + m_cellColumns[end - 1].size - m_cellColumns[c].first;
            const std::uint32_t colour = Widened(static_cast<std::uint16_t>(want[c]));
            for (int y = m_rcPlace.top() + row.first; y < m_rcPlace.top() + row.first + row.size;
                 ++y) {
                FillPixels(target.pixels + static_cast<std::ptrdiff_t>(y) * stride + left, width,
                           colour);
            }
            std::fill(shown + c, shown + end, want[c]);
            c = end;
        }
    }
}

// Tells the compositor where the cells differ from what it shows: on each row of cells, from the
// first that differs to the last, in the surface's logical pixels, rounded out.
void CWaylandPicture::Damage(const std::vector<std::uint32_t>& wanted) const {
    const qreal scale = m_pWidget->devicePixelRatioF();
    const std::size_t columnCount = m_cellColumns.size();
    for (std::size_t r = 0; r < m_cellRows.size(); ++r) {
        const auto differs = [&](std::size_t c) {
            return wanted[r * columnCount + c] != m_onScreen[r * columnCount + c];
        };
        std::size_t first = 0;
        std::size_t last = columnCount;
        while (first < columnCount && !differs(first)) {
            ++first;
        }
        while (last > first && !differs(last - 1)) {
            --last;
        }
        if (first < last) {
            const int left = m_cellColumns[first].first;
            const QRectF rect(m_rcPlace.left() + left, m_rcPlace.top() + m_cellRows[r].first,
                              m_cellColumns[last - 1].first + m_cellColumns[last - 1].size - left,
                              m_cellRows[r].size);
            const QRect logical =
                QRectF(rect.topLeft() / scale, rect.size() / scale).toAlignedRect();
            wl_surface_damage(m_pSurface, logical.x(), logical.y(), logical.width(),
                              logical.height());
        }
    }
}

#include "platform/winqt/picture/CWaylandPicture.h"

#include "platform/winqt/paint/DevicePixels.h"
#include "platform/winqt/paint/GdiQt.h"
#include "platform/winqt/session/WaylandSession.h"

#include "platform/gdi/GdiHandles.h"

#include <QBackingStore>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>

#include <wayland-client.h>

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Qt's backing store is written only when Qt paints, and a buffer only when the compositor lets
// go of it, either of which may be minutes away: beyond this many rectangles what one is behind
// on is taken to cover the picture, so that gathering the changes stays cheap.
constexpr int kMostStaleRects = 64;

void AddChange(QRegion& behind, const QRect& changed, const QRect& whole) {
    behind += changed;
    if (behind.rectCount() > kMostStaleRects) {
        behind = whole;
    }
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
    wl_display* display = QtWaylandDisplay();
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
    : CPictureSink(widget), m_pDisplay(display), m_pBuffers(std::move(buffers)) {}

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

// A paint without the picture drew something else where it was, and Qt shows that next.
void CWaylandPicture::Withdraw() {
    m_rcPlace = QRect();
    m_hBitmap = nullptr;
    BringStoreUpToDate();
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
    ShownThisPaint();
    m_store.stale = m_cells.Whole();
    BringStoreUpToDate();
    return true;
}

// The dialog has found what its new frame changed; every target of the picture is behind by it
// until it is written.
bool CWaylandPicture::Repaint(const QRect& rect) {
    if (m_rcPlace.isEmpty() || !m_rcPlace.contains(rect)) {
        return false;
    }
    const QRect changed = rect.translated(-m_rcPlace.topLeft());
    const QRect whole = m_cells.Whole();
    AddChange(m_store.stale, changed, whole);
    for (const auto& buffer : m_pBuffers->All()) {
        AddChange(buffer->stale, changed, whole);
    }
    AddChange(m_unshown, changed, whole);
    // A frame's rectangles come one after another; one drawing after them covers them all.
    if (!m_bDrawQueued) {
        m_bDrawQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_bDrawQueued = false;
            // The bitmap is gone, or the window changed: a paint of the dialog shows what is there.
            if (!Draw()) {
                RepaintWidget(m_rcPlace);
            }
        });
    }
    return true;
}

bool CWaylandPicture::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (m_pSurface != nullptr &&
        (event->type() == QEvent::UpdateRequest || event->type() == QEvent::Expose)) {
        BringStoreUpToDate();
    }
    return false;
}

// Qt is about to show its backing store: it gets the cells it is behind on, and the program's
// buffers lack whatever else Qt paints.
void CWaylandPicture::BringStoreUpToDate() {
    QImage* store = StoreImage();
    const GdiObject* bitmap = Bitmap();
    if (store != nullptr && store->size() == m_storeSize && bitmap != nullptr) {
        m_store.pixels = reinterpret_cast<std::uint32_t*>(store->bits());
        WriteCells(m_store, static_cast<int>(store->bytesPerLine() / 4), *bitmap);
    } else {
        m_store.stale = m_cells.Whole();
    }
    m_unshown = m_store.stale;
    m_pSurface = nullptr;
    ++m_nQtPaints;
}

// Learns which device pixels of the window show which cell; after a new place, scale or window
// size every buffer is written whole (Show writes the store whole anyway).
bool CWaylandPicture::Place(const AxisMap& columns, const AxisMap& rows, const QImage& store) {
    const QRect place(columns.first, rows.first, static_cast<int>(columns.sources.size()),
                      static_cast<int>(rows.sources.size()));
    if (!store.rect().contains(place)) {
        return false;
    }
    if (!m_cells.Place(columns, rows) && place == m_rcPlace && store.size() == m_storeSize) {
        return true;
    }
    if (store.size() != m_storeSize) {
        m_pBuffers->Drop();
    }
    m_rcPlace = place;
    m_storeSize = store.size();
    for (const auto& buffer : m_pBuffers->All()) {
        buffer->stale = m_cells.Whole();
    }
    return true;
}

// The last copy's bitmap, while it is there and still holds every cell.
const GdiObject* CWaylandPicture::Bitmap() const {
    const GdiObject* bitmap = FindGdiObject(m_hBitmap);
    return bitmap != nullptr && m_cells.Fits(*bitmap) ? bitmap : nullptr;
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
    const GdiObject* bitmap = Bitmap();
    if (store == nullptr || store->size() != m_storeSize || surface == nullptr ||
        bitmap == nullptr) {
        return false;
    }
    if (m_unshown.isEmpty()) {
        return true;
    }
    // With every buffer held by the compositor, a paint of Qt's shows the frame instead.
    Pixels* buffer = FreeBuffer(*store);
    if (buffer == nullptr) {
        return false;
    }
    WriteCells(*buffer, m_storeSize.width(), *bitmap);
    m_pSurface = surface;
    // The compositor is told what changed since the surface last showed the picture, in the
    // surface's logical pixels, rounded out.
    const double ratio = DeviceRatioOf(m_pWidget);
    for (const QRect& changed : m_unshown) {
        const QRect logical = LogicalCover(changed.translated(m_rcPlace.topLeft()), ratio);
        wl_surface_damage(m_pSurface, logical.x(), logical.y(), logical.width(), logical.height());
    }
    m_unshown = QRegion();
    wl_surface_attach(m_pSurface, buffer->buffer, 0, 0);
    wl_surface_commit(m_pSurface);
    wl_display_flush(m_pDisplay);
    buffer->busy = true;
    buffer->made = ++m_nFrame;
    return true;
}

// A free buffer (see CWaylandBuffers::Free) that holds Qt's last paint beside the cells: after a
// paint of Qt's it first takes a copy of the backing store.
CWaylandPicture::Pixels* CWaylandPicture::FreeBuffer(const QImage& store) {
    Pixels* best = m_pBuffers->Free(m_storeSize);
    if (best != nullptr && best->copiedFrom != m_nQtPaints) {
        const auto rowBytes = static_cast<std::size_t>(m_storeSize.width()) * 4;
        for (int y = 0; y < m_storeSize.height(); ++y) {
            std::memcpy(best->pixels + static_cast<std::size_t>(y) * m_storeSize.width(),
                        store.constScanLine(y), rowBytes);
        }
        best->stale = m_store.stale;
        best->copiedFrom = m_nQtPaints;
    }
    return best;
}

// Fills every cell of the part the pixels are behind on, neighbours on a row that take the same
// colour as one run.
void CWaylandPicture::WriteCells(Pixels& target, int stride, const GdiObject& bitmap) const {
    const std::vector<QRect> stale(target.stale.begin(), target.stale.end());
    m_cells.Write(bitmap, stale, [&](const CPictureCells::Run& run) {
        const QRect area = m_cells.Area(run).translated(m_rcPlace.topLeft());
        const std::uint32_t colour = OpaqueColour(run.pixel);
        for (int y = area.top(); y <= area.bottom(); ++y) {
            FillPixels(target.pixels + static_cast<std::ptrdiff_t>(y) * stride + area.left(),
                       area.width(), colour);
        }
    });
    target.stale = QRegion();
}

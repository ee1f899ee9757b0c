#include "platform/CWaylandPicture.h"

#include "platform/GdiHandles.h"
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

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::uint32_t kUnknown = 0xFFFFFFFF; // a cell whose pixels are not known to show it
constexpr std::uint16_t kPixelMask = 0x7FFF;   // bit 15 of the bitmap's pixel is not colour
constexpr std::size_t kMostBuffers = 3;        // the compositor holds at most two at a time

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

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t /*version*/) {
    if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        *static_cast<wl_shm**>(data) =
            static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    }
}

void OnGlobalRemove(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnRelease(void* data, wl_buffer* /*buffer*/) {
    static_cast<CWaylandPicture::Pixels*>(data)->busy = false;
}

const wl_buffer_listener kBufferListener = {OnRelease};

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
    std::unique_ptr<CWaylandPicture> picture(new CWaylandPicture(widget, display));
    // Shared memory is bound on a queue of the class's own, which only it dispatches, so that
    // Qt never sees the events of the buffers made here.
    picture->m_pQueue = wl_display_create_queue(display);
    picture->m_pRegistry = wl_display_get_registry(display);
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(picture->m_pRegistry), picture->m_pQueue);
    wl_registry_add_listener(picture->m_pRegistry, &kRegistryListener, &picture->m_pShm);
    if (wl_display_roundtrip_queue(display, picture->m_pQueue) < 0 || picture->m_pShm == nullptr) {
        return nullptr;
    }
    // Before Qt paints and shows its own buffer, it must hold the picture as it is now.
    widget->installEventFilter(picture.get());
    window->installEventFilter(picture.get());
    return picture;
}

CWaylandPicture::CWaylandPicture(QWidget* widget, wl_display* display)
    : m_pWidget(widget), m_pDisplay(display) {}

CWaylandPicture::~CWaylandPicture() {
    // Past the application's end the connection is gone, and with it everything made on it.
    if (QtDisplay() != m_pDisplay) {
        return;
    }
    DropBuffers();
    if (m_pShm != nullptr) {
        wl_shm_destroy(m_pShm);
    }
    wl_registry_destroy(m_pRegistry);
    wl_display_flush(m_pDisplay);
    wl_event_queue_destroy(m_pQueue);
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
    const auto scale = static_cast<int>(std::lround(m_pWidget->devicePixelRatioF()));
    if (m_rcPlace.isEmpty() ||
        !m_rcPlace.contains(QRect(rect.topLeft() * scale, rect.size() * scale))) {
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
        DropBuffers();
    }
    m_rcPlace = place;
    m_storeSize = store.size();
    m_cellColumns = std::move(cellColumns);
    m_cellRows = std::move(cellRows);
    const std::size_t cells = m_cellColumns.size() * m_cellRows.size();
    m_store.shown.assign(cells, kUnknown);
    for (const auto& buffer : m_buffers) {
        buffer->shown.assign(cells, kUnknown);
    }
    m_onScreen.assign(cells, kUnknown);
    return true;
}

// The colour of every cell in the bitmap; false when the bitmap is gone or no longer fits.
bool CWaylandPicture::Wanted(std::vector<std::uint32_t>& wanted) const {
    const GdiObject* object = FindGdiObject(m_hBitmap);
    // The cells' sources only ever grow along each axis.
    if (object == nullptr || object->view.depth() != 16 || m_cellColumns.empty() ||
        object->view.width() <= m_cellColumns.back().source ||
        object->view.height() <= m_cellRows.back().source) {
        return false;
    }
    const QImage& bitmap = object->view;
    const std::size_t columnCount = m_cellColumns.size();
    wanted.resize(columnCount * m_cellRows.size());
    for (std::size_t r = 0; r < m_cellRows.size(); ++r) {
        // Row 0 of the memory is the bottom row of the picture.
        const auto* in = reinterpret_cast<const std::uint16_t*>(
            bitmap.constScanLine(bitmap.height() - 1 - m_cellRows[r].source));
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

// The free buffer whose pixels are the newest, so that the fewest cells need writing, or a new
// one while there is room; after a paint of Qt's it first takes a copy of the backing store.
// Null when the compositor holds them all.
CWaylandPicture::Pixels* CWaylandPicture::FreeBuffer(const QImage& store) {
    wl_display_dispatch_queue_pending(m_pDisplay, m_pQueue);
    Pixels* best = nullptr;
    for (const auto& buffer : m_buffers) {
        if (!buffer->busy && (best == nullptr || buffer->made > best->made)) {
            best = buffer.get();
        }
    }
    if (best == nullptr && m_buffers.size() < kMostBuffers && AddBuffer()) {
        best = m_buffers.back().get();
    }
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

void CWaylandPicture::DropBuffers() {
    for (const auto& buffer : m_buffers) {
        wl_buffer_destroy(buffer->buffer);
        munmap(buffer->pixels, buffer->bytes);
    }
    m_buffers.clear();
}

// A buffer of the window's size in memory shared with the compositor; false without memory.
bool CWaylandPicture::AddBuffer() {
    const int width = m_storeSize.width();
    const int height = m_storeSize.height();
    auto buffer = std::make_unique<Pixels>();
    buffer->bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    const int fd = memfd_create("ondeline-picture", MFD_CLOEXEC);
    void* memory = MAP_FAILED;
    if (fd >= 0 && ftruncate(fd, static_cast<off_t>(buffer->bytes)) == 0) {
        memory = mmap(nullptr, buffer->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    }
    if (memory != MAP_FAILED) {
        wl_shm_pool* pool =
            wl_shm_create_pool(m_pShm, fd, static_cast<std::int32_t>(buffer->bytes));
        buffer->buffer =
            wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool);
        buffer->pixels = static_cast<std::uint32_t*>(memory);
        wl_buffer_add_listener(buffer->buffer, &kBufferListener, buffer.get());
        m_buffers.push_back(std::move(buffer));
    }
    if (fd >= 0) {
        close(fd);
    }
    return memory != MAP_FAILED;
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

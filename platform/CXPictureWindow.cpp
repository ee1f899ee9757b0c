#include "platform/CXPictureWindow.h"

#include "platform/GdiHandles.h"
#include "ripple/PixelFormat.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstddef>
#include <cstdlib>

namespace {

constexpr std::uint32_t kUnknown = 0xFFFFFFFF; // a cell whose pixels the server may have lost
constexpr std::uint16_t kPixelMask = 0x7FFF;   // bit 15 of the bitmap's pixel is not colour
constexpr int kChannelLevels = 32;             // five bits a channel
constexpr std::size_t kFillsPerRequest = 8192; // well inside the protocol's smallest request limit
constexpr std::uint8_t kExposeMask = 0x7F;     // the event code without the sent-by-a-client bit
constexpr std::int16_t kNoSlot = -1;           // a colour with no fills in this paint yet
constexpr std::size_t kColourCount = 1 << 15;  // every 5-5-5 pixel

// The connection the application shares with Qt; null when Qt does not talk to an X server.
xcb_connection_t* QtConnection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The visual the server shows a window with, and its depth; null when it is not found.
const xcb_visualtype_t* FindVisual(xcb_connection_t* connection, xcb_visualid_t id,
                                   std::uint8_t& depth) {
    for (auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection)); screens.rem;
         xcb_screen_next(&screens)) {
        for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem;
             xcb_depth_next(&depths)) {
            for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
                 xcb_visualtype_next(&visuals)) {
                if (visuals.data->visual_id == id) {
                    depth = depths.data->depth;
                    return visuals.data;
                }
            }
        }
    }
    return nullptr;
}

// Each 5-bit level of one channel as the bits of mask, widened to eight bits first as on every
// other screen and then cut to the mask's width as the server's own conversions cut it.
bool FillChannel(std::uint32_t mask, std::uint32_t (&levels)[kChannelLevels]) {
    const int width = std::popcount(mask);
    if (width == 0 || width > CHAR_BIT) {
        return false;
    }
    const int shift = std::countr_zero(mask);
    for (int level = 0; level < kChannelLevels; ++level) {
        const std::uint32_t wide = WidenChannel(static_cast<unsigned>(level));
        levels[level] = (wide >> (CHAR_BIT - width)) << shift;
    }
    return true;
}

} // namespace

std::unique_ptr<CXPictureWindow> CXPictureWindow::Create(QWidget* widget) {
    xcb_connection_t* connection = QtConnection();
    if (widget == nullptr || connection == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<CXPictureWindow>(new CXPictureWindow(widget, connection));
}

CXPictureWindow::CXPictureWindow(QWidget* widget, xcb_connection_t* connection)
    : m_pWidget(widget), m_pConnection(connection), m_slotOf(kColourCount, kNoSlot) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

CXPictureWindow::~CXPictureWindow() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    // Past the application's end the connection is gone, and with it everything made on it.
    if (QtConnection() != m_pConnection) {
        return;
    }
    // A window goes with its parent: only one whose parent is still there is ours to end.
    if (m_nWindow != 0 && m_pWidget != nullptr && m_pWidget->internalWinId() == m_nParent) {
        xcb_destroy_window(m_pConnection, m_nWindow);
    }
    if (m_nGc != 0) {
        xcb_free_gc(m_pConnection, m_nGc);
    }
    xcb_flush(m_pConnection);
}

bool CXPictureWindow::Serves(const QPainter& painter) const {
    if (m_pWidget == nullptr || m_bFailed) {
        return false;
    }
    const QPaintEngine* engine = painter.paintEngine();
    QBackingStore* store = m_pWidget->backingStore();
    // A store that was never sized has no pixels yet, and on a scaled screen Qt 6.4 cannot even
    // be asked for them; no paint of the window has reached the screen through it then.
    if (engine == nullptr || store == nullptr || store->size().isEmpty()) {
        return false;
    }
    return engine->paintDevice() == store->paintDevice();
}

void CXPictureWindow::BeginPaint() {
    m_bShownThisPaint = false;
}

void CXPictureWindow::EndPaint() {
    if (!m_bShownThisPaint) {
        Hide();
    }
}

bool CXPictureWindow::Show(HBITMAP bitmap, const AxisMap& columns, const AxisMap& rows,
                           const std::vector<QRect>& areas) {
    m_bShownThisPaint = true;
    if (columns.sources.empty() || rows.sources.empty()) {
        Hide();
        return true;
    }
    if (!MakeWindow() || !Place(columns, rows)) {
        Hide();
        return false;
    }
    const QRect inside(QPoint(0, 0), m_rcPlace.size());
    std::vector<QRect> parts;
    for (const QRect& area : areas) {
        const QRect part = area.translated(-m_rcPlace.topLeft()) & inside;
        if (!part.isEmpty()) {
            parts.push_back(part);
        }
    }
    FillCells(bitmap->view, parts);
    SendFills();
    xcb_flush(m_pConnection);
    return true;
}

bool CXPictureWindow::nativeEventFilter(const QByteArray& eventType, void* message,
                                        qintptr* /*result*/) {
    if (m_nWindow == 0 || eventType != QByteArrayLiteral("xcb_generic_event_t")) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & kExposeMask) != XCB_EXPOSE) {
        return false;
    }
    const auto* expose = reinterpret_cast<const xcb_expose_event_t*>(event);
    if (expose->window != m_nWindow) {
        return false;
    }
    // The server has no copy of what it showed there; the cells under it are painted again, by
    // the dialog's own paint of that part of its window.
    const QRect exposed = QRect(expose->x, expose->y, expose->width, expose->height) &
                          QRect(QPoint(0, 0), m_rcPlace.size());
    if (!exposed.isEmpty()) {
        const int firstColumn = m_cellOfColumn[static_cast<std::size_t>(exposed.left())];
        const int lastColumn = m_cellOfColumn[static_cast<std::size_t>(exposed.right())];
        const int firstRow = m_cellOfRow[static_cast<std::size_t>(exposed.top())];
        const int lastRow = m_cellOfRow[static_cast<std::size_t>(exposed.bottom())];
        const std::size_t columnCount = m_cellColumns.size();
        for (int r = firstRow; r <= lastRow; ++r) {
            const auto row = static_cast<std::size_t>(r) * columnCount;
            std::fill(m_shown.begin() + static_cast<std::ptrdiff_t>(row + firstColumn),
                      m_shown.begin() + static_cast<std::ptrdiff_t>(row + lastColumn + 1),
                      kUnknown);
        }
        RepaintWidget(exposed.translated(m_rcPlace.topLeft()));
    }
    return true;
}

std::vector<CXPictureWindow::Cell> CXPictureWindow::CellsOf(const AxisMap& axis) {
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

// Makes the window inside the widget's window, again when Qt has given the widget a new one
// (which took ours with the old). The first time, it also learns how the server's visual holds
// a colour.
bool CXPictureWindow::MakeWindow() {
    if (m_pWidget == nullptr || m_bFailed) {
        return false;
    }
    const auto parent = static_cast<std::uint32_t>(m_pWidget->internalWinId());
    if (parent == 0) {
        return false;
    }
    if (m_nWindow != 0 && parent == m_nParent) {
        return true;
    }
    m_nWindow = 0;
    m_bMapped = false;
    m_rcPlace = QRect();
    m_columns = AxisMap();
    m_rows = AxisMap();

    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        m_pConnection, xcb_get_window_attributes(m_pConnection, parent), nullptr);
    if (attributes == nullptr) {
        return false;
    }
    std::uint8_t depth = 0;
    const xcb_visualtype_t* visual = FindVisual(m_pConnection, attributes->visual, depth);
    std::free(attributes);
    if (visual == nullptr || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR ||
        !FillChannel(visual->red_mask, m_redOf) || !FillChannel(visual->green_mask, m_greenOf) ||
        !FillChannel(visual->blue_mask, m_blueOf)) {
        // Qt's own conversions show the picture on any other kind of screen.
        m_bFailed = true;
        return false;
    }
    const std::uint32_t depthBits = depth >= 32 ? 0xFFFFFFFF : (std::uint32_t{1} << depth) - 1;
    // Bits of the depth that are no colour channel are alpha; the water is opaque.
    m_nOpaque = depthBits & ~(visual->red_mask | visual->green_mask | visual->blue_mask);

    m_nWindow = xcb_generate_id(m_pConnection);
    // No background: the server leaves an exposed part as it is until the cells are filled,
    // rather than clearing it to a colour first. Only exposures are asked for, so that
    // pointer events pass on to the dialog's window.
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(m_pConnection, XCB_COPY_FROM_PARENT, m_nWindow, parent, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK, values);
    if (m_nGc != 0) {
        xcb_free_gc(m_pConnection, m_nGc);
    }
    m_nGc = xcb_generate_id(m_pConnection);
    const std::uint32_t noExposures[] = {0};
    xcb_create_gc(m_pConnection, m_nGc, m_nWindow, XCB_GC_GRAPHICS_EXPOSURES, noExposures);
    m_nParent = parent;
    return true;
}

// Puts the window over the device pixels the copy covers, and learns which of them show which
// cell. A new place or scale loses what the window showed.
bool CXPictureWindow::Place(const AxisMap& columns, const AxisMap& rows) {
    const QRect place(columns.first, rows.first, static_cast<int>(columns.sources.size()),
                      static_cast<int>(rows.sources.size()));
    // A window's place and size are 16-bit numbers.
    if (place.left() < INT16_MIN || place.top() < INT16_MIN || place.right() > INT16_MAX ||
        place.bottom() > INT16_MAX) {
        return false;
    }
    if (place == m_rcPlace && columns.sources == m_columns.sources &&
        rows.sources == m_rows.sources) {
        if (!m_bMapped) {
            xcb_map_window(m_pConnection, m_nWindow);
            m_bMapped = true;
        }
        return true;
    }
    const std::uint32_t geometry[] = {
        static_cast<std::uint32_t>(place.left()), static_cast<std::uint32_t>(place.top()),
        static_cast<std::uint32_t>(place.width()), static_cast<std::uint32_t>(place.height())};
    xcb_configure_window(m_pConnection, m_nWindow,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         geometry);
    if (!m_bMapped) {
        xcb_map_window(m_pConnection, m_nWindow);
        m_bMapped = true;
    }
    m_rcPlace = place;
    m_columns = columns;
    m_rows = rows;
    m_cellColumns = CellsOf(columns);
    m_cellRows = CellsOf(rows);
    m_cellOfColumn.resize(columns.sources.size());
    for (std::size_t c = 0; c < m_cellColumns.size(); ++c) {
        const Cell& cell = m_cellColumns[c];
        std::fill_n(m_cellOfColumn.begin() + cell.first, cell.size, static_cast<int>(c));
    }
    m_cellOfRow.resize(rows.sources.size());
    for (std::size_t r = 0; r < m_cellRows.size(); ++r) {
        const Cell& cell = m_cellRows[r];
        std::fill_n(m_cellOfRow.begin() + cell.first, cell.size, static_cast<int>(r));
    }
    m_shown.assign(m_cellColumns.size() * m_cellRows.size(), kUnknown);
    return true;
}

void CXPictureWindow::Forget() {
    std::fill(m_shown.begin(), m_shown.end(), kUnknown);
}

// Asks the widget to paint again the logical pixels over device, some of the widget window's
// device pixels.
void CXPictureWindow::RepaintWidget(const QRect& device) {
    if (m_pWidget == nullptr) {
        return;
    }
    const qreal ratio = m_pWidget->devicePixelRatioF();
    const QRectF area(device);
    m_pWidget->update(QRectF(area.topLeft() / ratio, area.size() / ratio).toAlignedRect());
}

// Takes the window off the screen, so that the widget's own pixels show there again; they were
// not kept up to date beneath it, so that part of the widget is painted afresh.
void CXPictureWindow::Hide() {
    if (!m_bMapped) {
        return;
    }
    xcb_unmap_window(m_pConnection, m_nWindow);
    xcb_flush(m_pConnection);
    m_bMapped = false;
    Forget();
    RepaintWidget(m_rcPlace);
}

// The cells of row that some area (the window's pixels) touches, left to right, each once.
std::vector<CXPictureWindow::CellRange>
CXPictureWindow::RangesOnRow(int row, const std::vector<QRect>& areas) const {
    std::vector<CellRange> ranges;
    const Cell& cells = m_cellRows[static_cast<std::size_t>(row)];
    for (const QRect& area : areas) {
        if (area.top() < cells.first + cells.size && area.bottom() >= cells.first) {
            ranges.push_back({m_cellOfColumn[static_cast<std::size_t>(area.left())],
                              m_cellOfColumn[static_cast<std::size_t>(area.right())]});
        }
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const CellRange& a, const CellRange& b) { return a.first < b.first; });
    std::vector<CellRange> merged;
    for (const CellRange& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().last + 1) {
            merged.back().last = std::max(merged.back().last, range.last);
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

// Queues a fill for every cell touching the areas (the window's pixels) that does not show its
// colour yet, row by row from the top, so that the server writes its memory in order. Changed
// neighbours on a row that take the same colour share one rectangle, and a run that repeats the
// one above it exactly makes that one taller. Cells that already show a run's colour are not
// taken into it: on a large window the server's cost is in the pixels it writes.
void CXPictureWindow::FillCells(const QImage& bitmap, const std::vector<QRect>& areas) {
    const std::size_t columnCount = m_cellColumns.size();
    m_above.assign(columnCount, Above{});
    int firstRow = static_cast<int>(m_cellRows.size());
    int lastRow = -1;
    for (const QRect& area : areas) {
        firstRow = std::min(firstRow, m_cellOfRow[static_cast<std::size_t>(area.top())]);
        lastRow = std::max(lastRow, m_cellOfRow[static_cast<std::size_t>(area.bottom())]);
    }
    for (int r = firstRow; r <= lastRow; ++r) {
        const Cell& row = m_cellRows[static_cast<std::size_t>(r)];
        // Row 0 of the memory is the bottom row of the picture.
        const auto* in = reinterpret_cast<const std::uint16_t*>(
            bitmap.constScanLine(bitmap.height() - 1 - row.source));
        std::uint32_t* shown = m_shown.data() + static_cast<std::size_t>(r) * columnCount;
        for (const CellRange& range : RangesOnRow(r, areas)) {
            int runStart = -1; // the open run of changed cells of one colour
            std::uint16_t runPixel = 0;
            for (int c = range.first; c <= range.last; ++c) {
                const Cell& column = m_cellColumns[static_cast<std::size_t>(c)];
                const auto pixel = static_cast<std::uint16_t>(in[column.source] & kPixelMask);
                const bool changed = shown[c] != pixel;
                if (runStart >= 0 && (!changed || pixel != runPixel)) {
                    AddFill(runPixel, runStart, c - 1, r);
                    runStart = -1;
                }
                if (changed) {
                    shown[c] = pixel;
                    if (runStart < 0) {
                        runStart = c;
                        runPixel = pixel;
                    }
                }
            }
            if (runStart >= 0) {
                AddFill(runPixel, runStart, range.last, r);
            }
        }
    }
}

void CXPictureWindow::AddFill(std::uint16_t pixel, int firstColumn, int lastColumn, int row) {
    std::int16_t& slot = m_slotOf[pixel];
    if (slot == kNoSlot) {
        slot = static_cast<std::int16_t>(m_fills.size());
        m_fills.emplace_back();
        m_slotPixel.push_back(pixel);
    }
    std::vector<Fill>& fills = m_fills[static_cast<std::size_t>(slot)];
    const Cell& cells = m_cellRows[static_cast<std::size_t>(row)];
    Above& above = m_above[static_cast<std::size_t>(firstColumn)];
    if (above.slot == slot && above.lastColumn == lastColumn && above.index < fills.size()) {
        Fill& fill = fills[above.index];
        if (fill.y + fill.height == cells.first) {
            fill.height = static_cast<std::uint16_t>(fill.height + cells.size);
            return;
        }
    }
    const Cell& first = m_cellColumns[static_cast<std::size_t>(firstColumn)];
    const Cell& last = m_cellColumns[static_cast<std::size_t>(lastColumn)];
    fills.push_back(Fill{static_cast<std::int16_t>(first.first),
                         static_cast<std::int16_t>(cells.first),
                         static_cast<std::uint16_t>(last.first + last.size - first.first),
                         static_cast<std::uint16_t>(cells.size)});
    above = Above{slot, lastColumn, fills.size() - 1};
}

void CXPictureWindow::SendFills() {
    static_assert(sizeof(Fill) == sizeof(xcb_rectangle_t));
    for (std::size_t slot = 0; slot < m_fills.size(); ++slot) {
        const std::vector<Fill>& fills = m_fills[slot];
        const std::uint32_t colour[] = {ServerPixel(m_slotPixel[slot])};
        xcb_change_gc(m_pConnection, m_nGc, XCB_GC_FOREGROUND, colour);
        for (std::size_t at = 0; at < fills.size(); at += kFillsPerRequest) {
            const std::size_t count = std::min(kFillsPerRequest, fills.size() - at);
            xcb_poly_fill_rectangle(m_pConnection, m_nWindow, m_nGc,
                                    static_cast<std::uint32_t>(count),
                                    reinterpret_cast<const xcb_rectangle_t*>(fills.data() + at));
        }
        m_slotOf[m_slotPixel[slot]] = kNoSlot;
    }
    m_fills.clear();
    m_slotPixel.clear();
}

std::uint32_t CXPictureWindow::ServerPixel(std::uint16_t pixel) const {
    return m_redOf[(pixel >> 10) & kChannelMask] | m_greenOf[(pixel >> 5) & kChannelMask] |
           m_blueOf[pixel & kChannelMask] | m_nOpaque;
}

#include "platform/winqt/picture/CXPictureWindow.h"

#include "platform/gdi/GdiHandles.h"
#include "platform/gdi/PixelFormat.h"
#include "platform/winqt/session/XConnection.h"

#include <QCoreApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstddef>

namespace {

constexpr int kChannelLevels = 32;             // five bits a channel
constexpr std::size_t kFillsPerRequest = 8192; // well inside the protocol's smallest request limit
constexpr std::uint8_t kExposeMask = 0x7F;     // the event code without the sent-by-a-client bit

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
    xcb_connection_t* connection = QtXConnection();
    if (widget == nullptr || connection == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<CXPictureWindow>(new CXPictureWindow(widget, connection));
}

CXPictureWindow::CXPictureWindow(QWidget* widget, xcb_connection_t* connection)
    : CPictureSink(widget), m_pConnection(connection) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

CXPictureWindow::~CXPictureWindow() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    // Past the application's end the connection is gone, and with it everything made on it.
    if (QtXConnection() != m_pConnection) {
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

bool CXPictureWindow::Show(HBITMAP bitmap, const AxisMap& columns, const AxisMap& rows,
                           const std::vector<QRect>& areas) {
    ShownThisPaint();
    if (columns.sources.empty() || rows.sources.empty()) {
        Withdraw();
        return true;
    }
    if (!MakeWindow() || !Place(columns, rows)) {
        Withdraw();
        return false;
    }
    if (!m_bMapped) {
        xcb_map_window(m_pConnection, m_nWindow);
        m_bMapped = true;
    }
    std::vector<QRect> parts;
    for (const QRect& area : areas) {
        parts.push_back(area.translated(-m_rcPlace.topLeft()));
    }
    m_cells.Update(*bitmap, parts);
    static_assert(sizeof(CXCellFills::Fill) == sizeof(xcb_rectangle_t));
    m_cells.Drain([this](std::uint16_t pixel, const std::vector<CXCellFills::Fill>& fills) {
        const std::uint32_t colour[] = {m_redOf[(pixel >> 10) & kChannelMask] |
                                        m_greenOf[(pixel >> 5) & kChannelMask] |
                                        m_blueOf[pixel & kChannelMask] | m_nOpaque};
        xcb_change_gc(m_pConnection, m_nGc, XCB_GC_FOREGROUND, colour);
        for (std::size_t at = 0; at < fills.size(); at += kFillsPerRequest) {
            const std::size_t count = std::min(kFillsPerRequest, fills.size() - at);
            xcb_poly_fill_rectangle(m_pConnection, m_nWindow, m_nGc,
                                    static_cast<std::uint32_t>(count),
                                    reinterpret_cast<const xcb_rectangle_t*>(fills.data() + at));
        }
    });
    xcb_flush(m_pConnection);
    return true;
}

bool CXPictureWindow::nativeEventFilter(const QByteArray& eventType, void* message,
                                        qintptr* /*result*/) {
    if (m_nWindow == 0 || eventType != QByteArrayLiteral("xcb_generic_event_t")) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const auto* expose = reinterpret_cast<const xcb_expose_event_t*>(event);
    if ((event->response_type & kExposeMask) != XCB_EXPOSE || expose->window != m_nWindow) {
        return false;
    }
    // The server has no copy of what it showed there; the cells under it are painted again, by
    // the dialog's own paint of that part of its window.
    const QRect exposed = QRect(expose->x, expose->y, expose->width, expose->height) &
                          QRect(QPoint(0, 0), m_rcPlace.size());
    if (!exposed.isEmpty()) {
        m_cells.Forget();
        RepaintWidget(exposed.translated(m_rcPlace.topLeft()));
    }
    return true;
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
    if (!m_cells.Place(columns, rows) && place == m_rcPlace) {
        return true;
    }
    const std::uint32_t geometry[] = {
        static_cast<std::uint32_t>(place.left()), static_cast<std::uint32_t>(place.top()),
        static_cast<std::uint32_t>(place.width()), static_cast<std::uint32_t>(place.height())};
    xcb_configure_window(m_pConnection, m_nWindow,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         geometry);
    m_rcPlace = place;
    m_cells.Forget();
    return true;
}

// Takes the window off the screen, so that the widget's own pixels show there again; they were
// not kept up to date beneath it, so that part of the widget is painted afresh.
void CXPictureWindow::Withdraw() {
    if (!m_bMapped) {
        return;
    }
    xcb_unmap_window(m_pConnection, m_nWindow);
    xcb_flush(m_pConnection);
    m_bMapped = false;
    m_cells.Forget();
    RepaintWidget(m_rcPlace);
}

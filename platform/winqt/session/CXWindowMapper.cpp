#include "platform/winqt/session/CXWindowMapper.h"

#include "platform/winqt/session/XConnection.h"

#include <QTimerEvent>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int kCheckPeriodMs = 2000; // time enough for a busy window manager to answer
constexpr int kMostChecks = 30;      // a window manager that takes a minute takes no more asking
const char* const kWmState = "WM_STATE";

// The object a widget's watch is kept under, so that one widget has one watch at most.
const char* const kWatchName = "CXWindowMapper";

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

} // namespace

void CXWindowMapper::Watch(QWidget* widget) {
    xcb_connection_t* connection = QtXConnection();
    if (widget == nullptr || !widget->isWindow() || connection == nullptr ||
        widget->findChild<CXWindowMapper*>(kWatchName, Qt::FindDirectChildrenOnly) != nullptr) {
        return;
    }
    new CXWindowMapper(widget, connection);
}

CXWindowMapper::CXWindowMapper(QWidget* widget, xcb_connection_t* connection)
    : QObject(widget), m_pWidget(widget), m_pConnection(connection) {
    setObjectName(kWatchName);
    startTimer(kCheckPeriodMs);
}

void CXWindowMapper::timerEvent(QTimerEvent* /*event*/) {
    if (m_pWidget == nullptr || !m_pWidget->isVisible() || QtXConnection() != m_pConnection ||
        ++m_nChecks > kMostChecks || Shown()) {
        deleteLater();
        return;
    }
    xcb_map_window(m_pConnection, static_cast<xcb_window_t>(m_pWidget->winId()));
    xcb_flush(m_pConnection);
}

// Mapped, or in the window manager's hands (it may have minimised it, which unmaps it).
bool CXWindowMapper::Shown() const {
    const auto window = static_cast<xcb_window_t>(m_pWidget->winId());
    const ReplyPtr<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        m_pConnection, xcb_get_window_attributes(m_pConnection, window), nullptr));
    if (attributes == nullptr || attributes->map_state != XCB_MAP_STATE_UNMAPPED) {
        return true;
    }
    const ReplyPtr<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
        m_pConnection,
        xcb_intern_atom(m_pConnection, 1, static_cast<std::uint16_t>(std::strlen(kWmState)),
                        kWmState),
        nullptr));
    if (atom == nullptr || atom->atom == XCB_ATOM_NONE) {
        return false;
    }
    const ReplyPtr<xcb_get_property_reply_t> state(xcb_get_property_reply(
        m_pConnection,
        xcb_get_property(m_pConnection, 0, window, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
        nullptr));
    return state == nullptr || state->type != XCB_ATOM_NONE;
}

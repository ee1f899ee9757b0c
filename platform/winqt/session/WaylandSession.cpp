#include "platform/winqt/session/WaylandSession.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>

#include <wayland-client.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// How long a window's end waits for its last frame; a compositor gives no frames to a window it
// does not show.
constexpr int kLastFrameWaitMs = 250;

// The global a compositor offers when it draws the frames of the windows that ask it to.
const char* const kDecorationManager = "zxdg_decoration_manager_v1";

void OnGlobal(void* data, wl_registry* /*registry*/, std::uint32_t /*name*/, const char* interface,
              std::uint32_t /*version*/) {
    if (std::strcmp(interface, kDecorationManager) == 0) {
        *static_cast<bool*>(data) = true;
    }
}

const wl_registry_listener kListener = {OnGlobal, [](void*, wl_registry*, std::uint32_t) {}};

} // namespace

wl_display* QtWaylandDisplay() {
    QPlatformNativeInterface* native = QCoreApplication::instance() != nullptr
                                           ? QGuiApplication::platformNativeInterface()
                                           : nullptr;
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    return native == nullptr || !wayland
               ? nullptr
               : static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
}

bool CompositorDrawsWindowFrames() {
    if (std::getenv("WAYLAND_SOCKET") != nullptr) {
        return false;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        return false;
    }
    bool found = false;
    wl_registry* registry = wl_display_get_registry(display);
    if (registry != nullptr) {
        wl_registry_add_listener(registry, &kListener, &found);
        if (wl_display_roundtrip(display) < 0) {
            found = false;
        }
        wl_registry_destroy(registry);
    }
    wl_display_disconnect(display);
    return found;
}

// Qt 6.4 ends its connection with a race. Its event thread stops without reading when the main
// thread has just prepared a read for it, and that read is then never done; Qt's second event
// thread, for frame callbacks, waits in its own read for that one for ever, and the main
// thread waits for that thread: the program hangs once its window is closed. A round trip
// returns only once every read prepared before it has been done, and nothing else prepares one
// before Qt's end, which then finds both threads free to stop.
void SettleWaylandConnection() {
    if (wl_display* display = QtWaylandDisplay(); display != nullptr) {
        wl_display_roundtrip(display);
    }
}

// Qt 6.4 hands a window's frame callbacks to a thread of their own, which does not take the
// window's lock until it has ended the callback and reached for the window. If the window is
// hidden meanwhile, both end the callback, and libwayland aborts on the second end; if it is
// deleted, the thread reads freed memory. Qt delivers an update the window asks for only once
// no callback of the window's is in flight, and with the window's painting stopped first, no
// paint then asks for another before it is hidden.
void HideEndingWindow(QWidget* widget) {
    QPointer<QWindow> window = widget->windowHandle();
    if (QtWaylandDisplay() != nullptr && widget->isWindow() && widget->isVisible() &&
        window != nullptr && window->handle() != nullptr) {
        QPointer<QWidget> alive = widget;
        widget->setUpdatesEnabled(false);
        window->requestUpdate();
        // Its timeout both wakes the wait and ends it.
        QTimer deadline;
        deadline.setSingleShot(true);
        deadline.start(kLastFrameWaitMs);
        while (window != nullptr && window->handle() != nullptr &&
               window->handle()->hasPendingUpdateRequest() && deadline.isActive()) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::WaitForMoreEvents);
        }
        if (alive == nullptr) {
            return;
        }
    }
    widget->hide();
}

#include "platform/winqt/user/WindowPeer.h"

#include "platform/user/WindowSystem.h"
#include "platform/winqt/paint/DevicePixels.h"
#include "platform/winqt/session/WaylandSession.h"

#include <QMenu>
#include <QWidget>

WindowPeer* NewWindowPeer() {
    return new WindowPeer;
}

void WindowPeerEnd::operator()(WindowPeer* peer) const {
    delete peer;
}

void OnWindowEnding(WindowObject* window) {
    if (window->peer->openMenu != nullptr) {
        window->peer->openMenu->close();
    }
}

void OnWindowEnded(WindowObject* window) {
    QWidget* widget = window->peer->widget;
    if (widget == nullptr) {
        return;
    }
    HideEndingWindow(widget);
    if (window->peer->widgetEnd != nullptr) {
        window->peer->widgetEnd->OnWindowDestroyed();
    } else {
        widget->deleteLater();
    }
}

QWidget* WidgetOfHandle(HWND hWnd) {
    const WindowObject* window = FindWindowObject(hWnd);
    return window == nullptr ? nullptr : window->peer->widget.data();
}

UINT DpiOfWindow(const WindowObject* window) {
    return DpiOfRatio(DeviceRatioOf(window->peer->widget));
}

bool ClientOriginOf(const WindowObject* window, POINT* origin) {
    if (window->peer->widget == nullptr) {
        return false;
    }
    *origin = ClientOriginOnScreen(window);
    return true;
}

RECT ClientDeviceRect(const WindowObject* window) {
    const QWidget* widget = window != nullptr ? window->peer->widget.data() : nullptr;
    if (widget == nullptr) {
        return RECT{};
    }
    const double ratio = DeviceRatioOf(widget);
    if (widget->isWindow()) {
        // Qt scales a window's place and size each by itself.
        const POINT origin = ClientOriginOnScreen(window);
        return RECT{origin.x, origin.y, origin.x + ToDeviceEdge(widget->width(), ratio),
                    origin.y + ToDeviceEdge(widget->height(), ratio)};
    }
    const auto& placed = window->peer->placed;
    if (placed.ratio == ratio && widget->geometry() == LogicalCover(placed.rect, ratio)) {
        return placed.rect;
    }
    return DeviceRectOf(widget->geometry(), ratio);
}

POINT ClientOriginOnScreen(const WindowObject* window) {
    const QWidget* widget = window != nullptr ? window->peer->widget.data() : nullptr;
    if (widget == nullptr) {
        return POINT{};
    }
    if (widget->isWindow() || window->parent == nullptr) {
        const QPoint origin = widget->mapToGlobal(QPoint(0, 0));
        const double ratio = DeviceRatioOf(widget);
        return POINT{ToDeviceEdge(origin.x(), ratio), ToDeviceEdge(origin.y(), ratio)};
    }
    const POINT parent = ClientOriginOnScreen(window->parent);
    const RECT place = ClientDeviceRect(window);
    const int edge = ClientEdgeWidth(window);
    return POINT{parent.x + place.left + edge, parent.y + place.top + edge};
}

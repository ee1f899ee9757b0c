#include "platform/winqt/user/WindowObject.h"

#include "platform/winqt/paint/DevicePixels.h"

#include <QMenu>
#include <QWidget>

#include <algorithm>
#include <unordered_map>

namespace {

// Every live window. Never destroyed: objects with static storage may still end their windows
// during exit.
std::unordered_map<const WindowObject*, std::unique_ptr<WindowObject>>& Registry() {
    static auto* registry =
        new std::unordered_map<const WindowObject*, std::unique_ptr<WindowObject>>;
    return *registry;
}

// Takes the window and its children out of the registry, children first, as the window system
// ends them.
void Unregister(WindowObject* window, std::vector<std::unique_ptr<WindowObject>>& ended) {
    for (WindowObject* child : window->children) {
        Unregister(child, ended);
    }
    const auto found = Registry().find(window);
    if (found != Registry().end()) {
        ended.push_back(std::move(found->second));
        Registry().erase(found);
    }
}

} // namespace

HWND RegisterWindow(std::unique_ptr<WindowObject> window) {
    WindowObject* handle = window.get();
    Registry().emplace(handle, std::move(window));
    return handle;
}

WindowObject* FindWindowObject(HWND hWnd) {
    if (hWnd == nullptr) {
        return nullptr;
    }
    const auto found = Registry().find(hWnd);
    return found == Registry().end() ? nullptr : found->second.get();
}

QWidget* WidgetOfHandle(HWND hWnd) {
    const WindowObject* window = FindWindowObject(hWnd);
    return window == nullptr ? nullptr : window->widget.data();
}

WindowObject* FindChildWindow(WindowObject* parent, int id) {
    if (parent == nullptr) {
        return nullptr;
    }
    const auto found = std::find_if(parent->children.begin(), parent->children.end(),
                                    [id](const WindowObject* child) { return child->id == id; });
    return found == parent->children.end() ? nullptr : *found;
}

void DestroyWindowObject(HWND hWnd) {
    WindowObject* window = FindWindowObject(hWnd);
    if (window == nullptr) {
        return;
    }
    if (window->parent != nullptr) {
        auto& siblings = window->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    }
    const QPointer<QWidget> widget = window->widget;
    IWindowWidget* widgetEnd = window->widgetEnd;
    // The handles stop naming windows before anybody hears of the end, so that whatever the
    // bound objects or the widget do from here on reaches none of these windows.
    std::vector<std::unique_ptr<WindowObject>> ended;
    Unregister(window, ended);
    for (const std::unique_ptr<WindowObject>& record : ended) {
        if (record->dialog.openMenu != nullptr) {
            record->dialog.openMenu->close();
        }
        if (record->wndProc != nullptr) {
            record->wndProc(record.get(), WM_NCDESTROY, 0, 0);
        }
    }
    if (widget == nullptr) {
        return;
    }
    widget->hide();
    if (widgetEnd != nullptr) {
        widgetEnd->OnWindowDestroyed();
    } else {
        widget->deleteLater();
    }
}

void NotifyParent(WindowObject* control, UINT code) {
    if (control == nullptr || control->parent == nullptr) {
        return;
    }
    SendMessage(control->parent, WM_COMMAND,
                MAKEWPARAM(static_cast<WORD>(control->id), static_cast<WORD>(code)),
                reinterpret_cast<LPARAM>(control));
}

RECT ClientDeviceRect(const WindowObject* window) {
    const QWidget* widget = window != nullptr ? window->widget.data() : nullptr;
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
    if (window->placed.ratio == ratio &&
        widget->geometry() == LogicalCover(window->placed.rect, ratio)) {
        return window->placed.rect;
    }
    return DeviceRectOf(widget->geometry(), ratio);
}

POINT ClientOriginOnScreen(const WindowObject* window) {
    const QWidget* widget = window != nullptr ? window->widget.data() : nullptr;
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

int ClientEdgeWidth(const WindowObject* window) {
    if (window == nullptr || (window->exStyle & WS_EX_CLIENTEDGE) == 0) {
        return 0;
    }
    return MulDiv(kClientEdgeWidth, static_cast<int>(DpiOfRatio(DeviceRatioOf(window->widget))),
                  USER_DEFAULT_SCREEN_DPI);
}

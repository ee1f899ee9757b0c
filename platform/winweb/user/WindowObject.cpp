#include "platform/winweb/user/WindowObject.h"

#include "platform/winweb/session/PageCalls.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

// Every live window. Never destroyed: objects with static storage may still end their windows
// during exit.
std::unordered_map<const WindowObject*, std::unique_ptr<WindowObject>>& Registry() {
    static auto* registry =
        new std::unordered_map<const WindowObject*, std::unique_ptr<WindowObject>>;
    return *registry;
}

// Elements are numbered from 1, never again once gone, so an event for an element that has left
// the page finds no window.
int g_nLastElement = 0;

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
    window->element = ++g_nLastElement;
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

WindowObject* FindWindowOfElement(int element) {
    for (const auto& entry : Registry()) {
        if (entry.second->element == element) {
            return entry.second.get();
        }
    }
    return nullptr;
}

WindowObject* FindChildWindow(WindowObject* parent, int id) {
    if (parent == nullptr) {
        return nullptr;
    }
    const auto found = std::find_if(parent->children.begin(), parent->children.end(),
                                    [id](const WindowObject* child) { return child->id == id; });
    return found == parent->children.end() ? nullptr : *found;
}

std::vector<WindowObject*> TopLevelWindows() {
    std::vector<WindowObject*> windows;
    for (const auto& entry : Registry()) {
        if (entry.second->parent == nullptr) {
            windows.push_back(entry.second.get());
        }
    }
    std::sort(windows.begin(), windows.end(),
              [](const WindowObject* a, const WindowObject* b) { return a->element < b->element; });
    return windows;
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
    const int element = window->element;
    // The handles stop naming windows before anybody hears of the end, so that whatever the
    // bound objects do from here on reaches none of these windows.
    std::vector<std::unique_ptr<WindowObject>> ended;
    Unregister(window, ended);
    for (const std::unique_ptr<WindowObject>& record : ended) {
        page_kill_timers(record->element);
        if (record->wndProc != nullptr) {
            record->wndProc(record.get(), WM_NCDESTROY, 0, 0);
        }
    }
    page_destroy(element);
}

double PixelRatio() {
    const double ratio = page_pixel_ratio();
    return ratio > 0 ? ratio : 1.0;
}

UINT PageDpi() {
    return static_cast<UINT>(std::lround(USER_DEFAULT_SCREEN_DPI * PixelRatio()));
}

int ClientEdgeWidth(const WindowObject* window) {
    if (window == nullptr || (window->exStyle & WS_EX_CLIENTEDGE) == 0) {
        return 0;
    }
    return MulDiv(kClientEdgeWidth, static_cast<int>(PageDpi()), USER_DEFAULT_SCREEN_DPI);
}

POINT ClientOrigin(const WindowObject* window) {
    if (window == nullptr || window->parent == nullptr) {
        return POINT{0, 0};
    }
    const POINT parent = ClientOrigin(window->parent);
    const int edge = ClientEdgeWidth(window);
    return POINT{parent.x + window->placed.left + edge, parent.y + window->placed.top + edge};
}

void NotifyParent(WindowObject* control, UINT code) {
    if (control == nullptr || control->parent == nullptr) {
        return;
    }
    SendMessage(control->parent, WM_COMMAND,
                MAKEWPARAM(static_cast<WORD>(control->id), static_cast<WORD>(code)),
                reinterpret_cast<LPARAM>(control));
}

#include "platform/user/WindowObject.h"

#include "platform/user/WindowSystem.h"

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
// ends them; the window itself comes last.
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

WindowObject::WindowObject() : peer(NewWindowPeer()) {}

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

WindowObject* FindChildWindow(WindowObject* parent, int id) {
    if (parent == nullptr) {
        return nullptr;
    }
    const auto found = std::find_if(parent->children.begin(), parent->children.end(),
                                    [id](const WindowObject* child) { return child->id == id; });
    return found == parent->children.end() ? nullptr : *found;
}

std::vector<WindowObject*> LiveWindows() {
    std::vector<WindowObject*> windows;
    windows.reserve(Registry().size());
    for (const auto& entry : Registry()) {
        windows.push_back(entry.second.get());
    }
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
    // The handles stop naming windows before anybody hears of the end, so that whatever the
    // bound objects or the window system do from here on reaches none of these windows.
    std::vector<std::unique_ptr<WindowObject>> ended;
    Unregister(window, ended);
    for (const std::unique_ptr<WindowObject>& record : ended) {
        OnWindowEnding(record.get());
        if (record->wndProc != nullptr) {
            record->wndProc(record.get(), WM_NCDESTROY, 0, 0);
        }
    }
    OnWindowEnded(ended.back().get());
}

int ClientEdgeWidth(const WindowObject* window) {
    if (window == nullptr || (window->exStyle & WS_EX_CLIENTEDGE) == 0) {
        return 0;
    }
    return MulDiv(kClientEdgeWidth, static_cast<int>(DpiOfWindow(window)), USER_DEFAULT_SCREEN_DPI);
}

void NotifyParent(WindowObject* control, UINT code) {
    if (control == nullptr || control->parent == nullptr) {
        return;
    }
    SendMessage(control->parent, WM_COMMAND,
                MAKEWPARAM(static_cast<WORD>(control->id), static_cast<WORD>(code)),
                reinterpret_cast<LPARAM>(control));
}

#include "platform/WindowObject.h"

#include "platform/CDialogWindow.h"
#include "platform/CWnd.h"
#include "platform/SystemMenu.h"

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

CurrentMessage g_currentMessage;

void Unregister(WindowObject* window) {
    for (WindowObject* child : window->children) {
        Unregister(child);
    }
    if (window->pWnd != nullptr && window->pWnd->m_hWnd == window) {
        window->pWnd->m_hWnd = nullptr;
    }
    window->pWnd = nullptr;
    if (window->openMenu != nullptr) {
        window->openMenu->close();
    }
    Registry().erase(window);
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
    QPointer<QWidget> widget = window->widget;
    const bool inModalLoop = window->inModalLoop;
    auto* dialog = dynamic_cast<CDialogWindow*>(widget.data());
    // The widget outlives the record for a moment, and must not send anything more.
    if (dialog != nullptr) {
        dialog->Detach();
    }
    Unregister(window);
    if (widget == nullptr) {
        return;
    }
    widget->hide();
    if (dialog != nullptr) {
        dialog->EndModalLoop();
    }
    // A widget may not be deleted inside its own event handler or under its own modal loop.
    if (dialog != nullptr && !dialog->IsHandlingEvent() && !inModalLoop) {
        delete dialog;
    } else {
        widget->deleteLater();
    }
}

const CurrentMessage& GetCurrentMessage() {
    return g_currentMessage;
}

LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowObject* window = FindWindowObject(hWnd);
    if (window == nullptr) {
        return 0;
    }
    const CurrentMessage previous = g_currentMessage;
    g_currentMessage = CurrentMessage{hWnd, message, wParam, lParam};
    const LRESULT result = window->pWnd != nullptr
                               ? window->pWnd->WindowProc(message, wParam, lParam)
                               : DefaultWindowProc(window, message, wParam, lParam);
    g_currentMessage = previous;
    return result;
}

BOOL IsWindow(HWND hWnd) {
    return FindWindowObject(hWnd) != nullptr ? TRUE : FALSE;
}

void NotifyParent(WindowObject* control, UINT code) {
    if (control == nullptr || control->parent == nullptr) {
        return;
    }
    SendMessage(control->parent, WM_COMMAND,
                MAKEWPARAM(static_cast<WORD>(control->id), static_cast<WORD>(code)),
                reinterpret_cast<LPARAM>(control));
}

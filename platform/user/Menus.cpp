#include "platform/user/MenuObject.h"
#include "platform/user/WindowObject.h"
#include "platform/user/WindowSystem.h"

#include <memory>
#include <unordered_set>

namespace {

// Every live menu. Never destroyed: windows with static storage may still end during exit.
std::unordered_set<const MenuObject*>& LiveMenus() {
    static auto* menus = new std::unordered_set<const MenuObject*>;
    return *menus;
}

} // namespace

MenuObject::MenuObject() {
    LiveMenus().insert(this);
}

MenuObject::~MenuObject() {
    LiveMenus().erase(this);
}

BOOL IsMenu(HMENU hMenu) {
    return hMenu != nullptr && LiveMenus().count(hMenu) != 0 ? TRUE : FALSE;
}

HMENU GetSystemMenu(HWND hWnd, BOOL bRevert) {
    WindowObject* window = FindWindowObject(hWnd);
    if (window == nullptr || window->kind != WindowKind::Dialog ||
        (window->style & WS_SYSMENU) == 0) {
        return nullptr;
    }
    // The menu lives as long as its window, so a CMenu taken earlier stays good after a revert.
    if (window->dialog.systemMenu == nullptr) {
        window->dialog.systemMenu = std::make_unique<MenuObject>();
    }
    if (bRevert != FALSE) {
        window->dialog.systemMenu->items.clear();
        return nullptr;
    }
    return window->dialog.systemMenu.get();
}

BOOL AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    if (IsMenu(hMenu) == FALSE) {
        return FALSE;
    }
    // A separator has neither a command nor text.
    const bool separator = (uFlags & MF_SEPARATOR) != 0;
    const char* text = separator || lpNewItem == nullptr ? "" : lpNewItem;
    hMenu->items.push_back(MenuItem{uFlags, separator ? 0 : uIDNewItem, text});
    ShowMenuItem(hMenu, hMenu->items.back());
    return TRUE;
}

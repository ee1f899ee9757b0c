#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/WindowObject.h"

#include <cstring>
#include <unordered_set>

// The window menu: on the page it opens from the icon at the start of the caption, and lists
// only what the program added, since a page can be neither moved, sized, minimised, maximised
// nor closed from inside it.

namespace {

// Every live menu. Never destroyed: windows with static storage may still end during exit.
std::unordered_set<const MenuObject*>& LiveMenus() {
    static auto* menus = new std::unordered_set<const MenuObject*>;
    return *menus;
}

WindowObject* OwnerOfMenu(HMENU hMenu) {
    for (WindowObject* window : TopLevelWindows()) {
        if (window->systemMenu.get() == hMenu) {
            return window;
        }
    }
    return nullptr;
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

HMENU GetSystemMenu(HWND hWnd, BOOL /*bRevert*/) {
    WindowObject* window = FindWindowObject(hWnd);
    if (window == nullptr || window->kind != WindowKind::Dialog ||
        (window->style & WS_SYSMENU) == 0) {
        return nullptr;
    }
    if (window->systemMenu == nullptr) {
        window->systemMenu = std::make_unique<MenuObject>();
    }
    return window->systemMenu.get();
}

BOOL AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    const WindowObject* owner = OwnerOfMenu(hMenu);
    if (owner == nullptr) {
        return FALSE;
    }
    const bool separator = (uFlags & MF_SEPARATOR) != 0;
    const char* text = separator || lpNewItem == nullptr ? "" : lpNewItem;
    hMenu->items.push_back(MenuItem{uFlags, uIDNewItem, text});
    page_add_menu_item(owner->element, static_cast<std::int32_t>(uIDNewItem), text,
                       static_cast<std::int32_t>(std::strlen(text)), separator ? 1 : 0);
    return TRUE;
}

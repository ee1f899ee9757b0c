#include "platform/winqt/MenuObject.h"

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

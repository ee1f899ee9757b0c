#include "platform/user/WindowSystem.h"
#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/WindowPeer.h"

#include <cstring>

// The window menu: on the page it opens from the icon at the start of the caption, and lists
// only what the program added, since a page can be neither moved, sized, minimised, maximised
// nor closed from inside it.

namespace {

WindowObject* OwnerOfMenu(HMENU hMenu) {
    for (WindowObject* window : TopLevelWindows()) {
        if (window->dialog.systemMenu.get() == hMenu) {
            return window;
        }
    }
    return nullptr;
}

} // namespace

void ShowMenuItem(HMENU menu, const MenuItem& item) {
    const WindowObject* owner = OwnerOfMenu(menu);
    if (owner == nullptr) {
        return;
    }
    const bool separator = (item.flags & MF_SEPARATOR) != 0;
    page_add_menu_item(owner->peer->element, static_cast<std::int32_t>(item.id), item.text.c_str(),
                       static_cast<std::int32_t>(item.text.size()), separator ? 1 : 0);
}

#include "platform/afx/CMenu.h"

#include "platform/winqt/MenuObject.h"

#include <memory>
#include <unordered_map>

namespace {

// The permanent wrappers, one per menu handle, as the class library keeps them. Never destroyed:
// windows with static storage may still end during exit.
std::unordered_map<HMENU, std::unique_ptr<CMenu>>& Wrappers() {
    static auto* wrappers = new std::unordered_map<HMENU, std::unique_ptr<CMenu>>;
    return *wrappers;
}

} // namespace

CMenu* CMenu::FromHandle(HMENU hMenu) {
    if (IsMenu(hMenu) == FALSE) {
        return nullptr;
    }
    // A wrapper holds nothing but its handle, so those of menus that have ended are simply
    // dropped; a new menu that takes an old one's place gets a wrapper that is right for it.
    auto& wrappers = Wrappers();
    std::erase_if(wrappers, [](const auto& entry) { return IsMenu(entry.first) == FALSE; });
    std::unique_ptr<CMenu>& wrapper = wrappers[hMenu];
    if (wrapper == nullptr) {
        wrapper = std::make_unique<CMenu>();
        wrapper->m_hMenu = hMenu;
    }
    return wrapper.get();
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* lpszNewItem) {
    return ::AppendMenu(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}

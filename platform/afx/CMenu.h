#pragma once

#include "platform/winapi/winuser.h"

// A menu in the class library's style. The only menus are the windows' system menus, so a CMenu
// is always the permanent wrapper of one, good for as long as that menu's window lives.
class CMenu {
public:
    HMENU m_hMenu = nullptr;

    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // The wrapper of an existing menu, the same one every time; null for a null or ended menu.
    static CMenu* FromHandle(HMENU hMenu);
    HMENU GetSafeHmenu() const { return m_hMenu; }

    // Adds an item at the end: MF_SEPARATOR, or MF_STRING with a command id and text. Choosing
    // a string item of a system menu sends WM_SYSCOMMAND with its id.
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr);
};

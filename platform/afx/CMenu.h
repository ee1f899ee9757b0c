#pragma once

#include <windows.h>

// A thin owner of an HMENU.
class CMenu {
public:
    HMENU m_hMenu = nullptr;

    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // A wrapper of an existing menu, good until the next call; null for a null or ended menu.
    static CMenu* FromHandle(HMENU hMenu);

    // Choosing a string item of a system menu sends WM_SYSCOMMAND with its id.
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
};

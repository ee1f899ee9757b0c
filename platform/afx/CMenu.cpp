#include "platform/afx/CMenu.h"

CMenu* CMenu::FromHandle(HMENU hMenu) {
    if (::IsMenu(hMenu) == FALSE) {
        return nullptr;
    }
    // A wrapper holds nothing but its handle, so one serves every menu in turn.
    static CMenu temporary;
    temporary.m_hMenu = hMenu;
    return &temporary;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem) {
    return ::AppendMenu(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}

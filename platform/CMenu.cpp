#include "platform/CMenu.h"

#include "platform/SystemMenu.h"

CMenu* CMenu::FromHandle(HMENU hMenu) {
    return hMenu == nullptr ? nullptr : &hMenu->wrapper;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* lpszNewItem) {
    return ::AppendMenu(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}

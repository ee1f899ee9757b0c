#pragma once

// The record behind a menu handle. The only menus are the windows' system menus, each owned by
// the record of its window; a menu handle is good while that window lives.

#include <windows.h>

#include <string>
#include <vector>

struct MenuItem {
    UINT flags;
    UINT_PTR id;
    std::string text;
};

struct MenuObject {
    MenuObject();
    ~MenuObject();
    MenuObject(const MenuObject&) = delete;
    MenuObject& operator=(const MenuObject&) = delete;

    std::vector<MenuItem> items; // what the program appended, in order
};

BOOL IsMenu(HMENU hMenu);

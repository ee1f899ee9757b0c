#pragma once

#include "platform/user/MenuObject.h"

#include <windows.h>

#include <memory>

// What the window system keeps for a dialog alone.
struct DialogState {
    DLGPROC dlgProc = nullptr; // what the dialog manager asks first about every message
    bool ended = false;
    std::unique_ptr<MenuObject> systemMenu;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    UINT lastSizeType = ~0U; // the last WM_SIZE sent, so that repeats are left out
    int lastCx = -1;
    int lastCy = -1;
};

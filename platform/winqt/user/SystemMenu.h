#pragma once

// The system menu. Window managers on Linux keep their own window menu and let no program add
// to it, so each dialog carries one of its own: the usual window commands, then the items the
// program appended. Right-click, Shift+F10, the Menu key and Alt+Space open it.

#include "platform/winqt/user/WindowPeer.h"

#include <QPoint>

#include <optional>

class QMenu;

// Opens the window's system menu at globalPos, or from the keyboard at the client area's
// top-left corner, and returns it; if it is already open, returns that one. Choosing an item
// posts WM_SYSCOMMAND with its command id.
QMenu* PopupSystemMenu(WindowObject* window, std::optional<QPoint> globalPos = std::nullopt);
// Makes the window's keys for the menu (Shift+F10, Menu, Alt+Space) open it.
void InstallSystemMenuKeys(WindowObject* window);

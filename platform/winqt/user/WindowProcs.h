#pragma once

// The procedures of the window classes the dialogs are made of.

#include "platform/winqt/user/WindowObject.h"

// What the window system does with the messages the program leaves to it, by the kind of window
// (dialog, button, static or combo box); the class procedure of every window a dialog is made of.
LRESULT CALLBACK ClassWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

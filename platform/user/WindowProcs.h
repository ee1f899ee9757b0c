#pragma once

#include <windows.h>

// The window procedure of the predefined classes (dialogs, buttons, statics, combo boxes): what
// the window system does with the messages the program leaves to it.
LRESULT CALLBACK ClassWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

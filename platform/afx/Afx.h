#pragma once

#include "platform/afx/CWinApp.h"

#include <windows.h>

// WSAStartup for version 1.1, as the class library asks for it; nonzero on success.
BOOL AfxSocketInit();

// A modal message box captioned with the application's name; returns the button that closed
// it. nIDPrompt names a string of the string table; nIDHelp is kept for the caller's sake.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));

// Controls are all the system's own, so there is no container to enable.
inline void AfxEnableControlContainer() {}

// The window's DPI (USER_DEFAULT_SCREEN_DPI at 100 %), also where GetDpiForWindow is missing.
UINT AfxGetDpiForWindow(HWND hWnd);

#pragma once

// The class library's free functions: sockets, the message box, the controls' container and a
// window's DPI.

#include "platform/afx/CWinApp.h"

#include <windows.h>

struct WSAData;

// Starts Windows Sockets (WSAStartup, version 1.1, as the class library asks for it); nonzero
// on success. lpwsaData, when given, receives what the system tells of its sockets.
BOOL AfxSocketInit(WSAData* lpwsaData = nullptr);

// Shows a modal message box with the text, captioned with the application's name, and returns
// the button that dismissed it. nIDPrompt is a string of the string table; nIDHelp is kept for
// the caller's sake.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// Controls are all the system's own, so there is no container to enable.
inline void AfxEnableControlContainer() {}

// The dots per inch the window is laid out at (USER_DEFAULT_SCREEN_DPI at 100 %), on every system
// the program starts on, including those older than GetDpiForWindow.
UINT AfxGetDpiForWindow(HWND hWnd);

#pragma once

// The class library's free functions: start-up, the application object, sockets and the
// message box.

#include "platform/afx/CWinApp.h"
#include "platform/winapi/winuser.h"

#include <functional>

struct WSADATA;

// Checks that the socket layer works by creating and closing a socket; nonzero on success.
BOOL AfxSocketInit(WSADATA* lpwsaData = nullptr);
// Tests replace the check (a function giving false makes AfxSocketInit fail); an empty function
// restores the real one.
void SetSocketProbe(std::function<bool()> probe);

// Shows a modal message box with the text and one OK button and returns IDOK once it is
// dismissed. nIDPrompt is a string of the string table; nIDHelp is kept for the caller's sake.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// Controls are all the platform's own, so there is no container to enable.
inline void AfxEnableControlContainer() {}

#pragma once

// The class library's free functions: start-up, the application object, sockets and the
// message box.

#include "platform/WinUser.h"

#include <functional>

class CWinApp;
class CWnd;
struct WSADATA;

// Runs the application: makes the Qt application unless one exists, calls InitInstance of the
// one CWinApp and returns the process's exit status. Without an application object it says so
// on standard error and returns 1.
int AfxWinMain(int argc, char** argv);

// The application object. Never null: before a CWinApp exists (in tests of single dialogs) a
// plain one of the platform's stands in.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

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

#pragma once

// The dialog manager over the program's templates.

#include <windows.h>

// What DialogBoxParam gives when there is no window to run.
inline constexpr INT_PTR kNoDialogResult = -1;

// The procedure of the dialog class (the system's DefDlgProc): the dialog procedure gets each
// message first, and what it leaves (FALSE) the dialog class handles.
LRESULT CALLBACK DialogManagerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Builds the dialog of the template that name stands for and sends it WM_INITDIALOG; null when
// there is no such template or the window ended before it was done.
HWND MakeDialog(LPCSTR name, HWND hWndParent, DLGPROC dialogProc, LPARAM initParam);

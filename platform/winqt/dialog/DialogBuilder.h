#pragma once

// Builds a dialog's window and controls from its template, for the dialog manager.

#include "platform/winqt/dialog/DialogUnits.h"
#include "platform/winqt/user/WindowObject.h"
#include "res/DialogTemplate.h"

class QFont;

// The dialog and its controls in template order, with their places in pixels, visibility, tab
// stops. The dialog's messages go to classProc,
// which keeps dialogProc for them. The window is not shown yet, and WM_INITDIALOG has not been
// sent; WM_SIZE has. Returns null when the window cannot be made.
HWND BuildDialog(const DialogTemplate& dialogTemplate, QWidget* owner, WNDPROC classProc,
                 DLGPROC dialogProc);

// The dialog base units of the font that stands in for the template's.
DialogBaseUnits DialogBaseUnitsOf(const QFont& font);

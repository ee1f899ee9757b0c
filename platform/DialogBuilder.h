#pragma once

// Builds a dialog's window and controls from its template, for CDialog.

#include "platform/DialogUnits.h"
#include "platform/WindowObject.h"
#include "res/DialogTemplate.h"

class QFont;

// The dialog and its controls in template order, with their places in pixels, visibility, tab
// stops and lists filled from the initialisation data; pDialog is bound to the dialog. The
// window is not shown yet, and WM_INITDIALOG has not been sent; WM_SIZE has. Returns null when
// the window cannot be made.
HWND BuildDialog(const DialogTemplate& dialogTemplate, CWnd* pDialog, QWidget* owner);

// The dialog base units of the font that stands in for the template's.
DialogBaseUnits DialogBaseUnitsOf(const QFont& font);

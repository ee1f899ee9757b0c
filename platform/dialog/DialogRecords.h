#pragma once

// The window records a dialog template makes, before any window system shows them.

#include "platform/user/WindowObject.h"
#include "res/DialogTemplate.h"

#include <string>

HWND RegisterDialog(const DialogTemplate& dialogTemplate, WNDPROC classProc, DLGPROC dialogProc);
// Registers the record of a control of the dialog, as its last child in template order.
HWND RegisterControl(WindowObject* dialog, const DialogItemTemplate& item);
// The text a control shows: a static's without its mnemonic marks ("&&" shows as "&", a single
// "&" is dropped) unless it has SS_NOPREFIX; a button's as it is.
std::string ShownText(const DialogItemTemplate& item);

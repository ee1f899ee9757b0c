#pragma once

#include "platform/winweb/user/WindowObject.h"
#include "res/DialogTemplate.h"

// Makes the window of a dialog template on the page: a dialog without an owner is the page
// itself, with its caption as the page's title; one with an owner opens inside the page over it.
// The controls are the page's own (check boxes, buttons, a <select>), placed by the template's
// dialog units scaled from the page's font. The dialog is told its size before it is returned.
HWND BuildDialog(const DialogTemplate& dialogTemplate, const WindowObject* owner, WNDPROC classProc,
                 DLGPROC dialogProc);

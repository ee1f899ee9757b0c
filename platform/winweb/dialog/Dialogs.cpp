#include "platform/dialog/Dialogs.h"

#include "platform/user/WindowSystem.h"
#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/MessageLoop.h"

// The dialog manager's modal loop and focus on the page.

void FocusControl(const WindowObject* control) {
    page_focus(control->peer->element);
}

INT_PTR RunModalDialog(HWND hDlg) {
    const WindowObject* window = FindWindowObject(hDlg);
    if (!window->dialog.ended) {
        page_show(window->peer->element, 1);
        RunMessageLoop(hDlg);
    }
    window = FindWindowObject(hDlg);
    return window != nullptr ? window->peer->endResult : kNoDialogResult;
}

void EndModalDialog(WindowObject* dialog, INT_PTR result) {
    dialog->peer->endResult = result;
}

HWND CreateDialogParamA(HINSTANCE /*hInstance*/, LPCSTR lpTemplateName, HWND hWndParent,
                        DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    HWND hDlg = MakeDialog(lpTemplateName, hWndParent, lpDialogFunc, dwInitParam);
    const WindowObject* window = FindWindowObject(hDlg);
    if (window != nullptr && !window->dialog.ended && (window->style & WS_VISIBLE) != 0) {
        page_show(window->peer->element, 1);
    }
    return hDlg;
}

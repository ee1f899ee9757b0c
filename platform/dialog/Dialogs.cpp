#include "platform/dialog/Dialogs.h"

#include "platform/user/WindowObject.h"
#include "platform/user/WindowProcs.h"
#include "platform/user/WindowSystem.h"
#include "res/DialogTemplate.h"

namespace {

// TRUE from WM_INITDIALOG leaves the focus to the dialog manager: the first tab stop.
void FocusFirstTabStop(const WindowObject* window) {
    for (const WindowObject* child : window->children) {
        if ((child->style & (WS_TABSTOP | WS_VISIBLE)) == (WS_TABSTOP | WS_VISIBLE) &&
            (child->style & WS_DISABLED) == 0 && child->kind != WindowKind::Static) {
            FocusControl(child);
            return;
        }
    }
}

} // namespace

HWND MakeDialog(LPCSTR name, HWND hWndParent, DLGPROC dialogProc, LPARAM initParam) {
    if (!IS_INTRESOURCE(name)) {
        return nullptr;
    }
    const DialogTemplate* dialogTemplate =
        FindDialogTemplate(static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)));
    if (dialogTemplate == nullptr) {
        return nullptr;
    }
    HWND hDlg = BuildDialog(*dialogTemplate, hWndParent, DialogManagerProc, dialogProc);
    if (hDlg == nullptr) {
        return nullptr;
    }
    const LRESULT setFocus = SendMessage(hDlg, WM_INITDIALOG, 0, initParam);
    const WindowObject* window = FindWindowObject(hDlg);
    if (window == nullptr) {
        return nullptr;
    }
    if (setFocus != FALSE) {
        FocusFirstTabStop(window);
    }
    return hDlg;
}

LRESULT CALLBACK DialogManagerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const WindowObject* window = FindWindowObject(hWnd);
    if (window != nullptr && window->dialog.dlgProc != nullptr) {
        const INT_PTR handled = window->dialog.dlgProc(hWnd, message, wParam, lParam);
        if (handled != FALSE) {
            return handled;
        }
    }
    return ClassWindowProc(hWnd, message, wParam, lParam);
}

INT_PTR DialogBoxParamA(HINSTANCE /*hInstance*/, LPCSTR lpTemplateName, HWND hWndParent,
                        DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    HWND hDlg = MakeDialog(lpTemplateName, hWndParent, lpDialogFunc, dwInitParam);
    if (FindWindowObject(hDlg) == nullptr) {
        return kNoDialogResult;
    }
    const INT_PTR result = RunModalDialog(hDlg);
    DestroyWindow(hDlg);
    return result;
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
    WindowObject* window = FindWindowObject(hDlg);
    if (window == nullptr || window->kind != WindowKind::Dialog) {
        return FALSE;
    }
    window->dialog.ended = true;
    EndModalDialog(window, nResult);
    return TRUE;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
    return FindChildWindow(FindWindowObject(hDlg), nIDDlgItem);
}

#include "platform/winweb/dialog/DialogBuilder.h"
#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/MessageLoop.h"
#include "platform/winweb/user/WindowProcs.h"
#include "res/DialogTemplate.h"

// The dialog manager: dialogs made from the program's templates, modal ones run by the page's
// message loop.

namespace {

constexpr INT_PTR kNoDialog = -1; // what DialogBoxParam gives when there is no window to run

LRESULT CALLBACK DialogManagerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const WindowObject* window = FindWindowObject(hWnd);
    if (window != nullptr && window->dlgProc != nullptr) {
        const INT_PTR handled = window->dlgProc(hWnd, message, wParam, lParam);
        if (handled != FALSE) {
            return handled;
        }
    }
    return ClassWindowProc(hWnd, message, wParam, lParam);
}

// TRUE from WM_INITDIALOG leaves the focus to the dialog manager: the first tab stop.
void FocusFirstTabStop(const WindowObject* window) {
    for (const WindowObject* child : window->children) {
        if ((child->style & (WS_TABSTOP | WS_VISIBLE)) == (WS_TABSTOP | WS_VISIBLE) &&
            (child->style & WS_DISABLED) == 0 && child->kind != WindowKind::Static) {
            page_focus(child->element);
            return;
        }
    }
}

// Builds the dialog of the template that name stands for and sends it WM_INITDIALOG; null when
// there is no such template or the window ended before it was done.
HWND MakeDialog(LPCSTR name, HWND hWndParent, DLGPROC dialogProc, LPARAM initParam) {
    if (!IS_INTRESOURCE(name)) {
        return nullptr;
    }
    const DialogTemplate* dialogTemplate =
        FindDialogTemplate(static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)));
    if (dialogTemplate == nullptr) {
        return nullptr;
    }
    HWND hDlg =
        BuildDialog(*dialogTemplate, FindWindowObject(hWndParent), DialogManagerProc, dialogProc);
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

} // namespace

INT_PTR DialogBoxParamA(HINSTANCE /*hInstance*/, LPCSTR lpTemplateName, HWND hWndParent,
                        DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    HWND hDlg = MakeDialog(lpTemplateName, hWndParent, lpDialogFunc, dwInitParam);
    const WindowObject* window = FindWindowObject(hDlg);
    if (window == nullptr) {
        return kNoDialog;
    }
    if (!window->ended) {
        page_show(window->element, 1);
        RunMessageLoop(hDlg);
    }
    window = FindWindowObject(hDlg);
    const INT_PTR result = window != nullptr ? window->endResult : kNoDialog;
    DestroyWindow(hDlg);
    return result;
}

HWND CreateDialogParamA(HINSTANCE /*hInstance*/, LPCSTR lpTemplateName, HWND hWndParent,
                        DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    HWND hDlg = MakeDialog(lpTemplateName, hWndParent, lpDialogFunc, dwInitParam);
    const WindowObject* window = FindWindowObject(hDlg);
    if (window != nullptr && !window->ended && (window->style & WS_VISIBLE) != 0) {
        page_show(window->element, 1);
    }
    return hDlg;
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
    WindowObject* window = FindWindowObject(hDlg);
    if (window == nullptr || window->kind != WindowKind::Dialog) {
        return FALSE;
    }
    window->ended = true;
    window->endResult = nResult;
    return TRUE;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
    return FindChildWindow(FindWindowObject(hDlg), nIDDlgItem);
}

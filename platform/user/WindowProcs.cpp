#include "platform/user/WindowProcs.h"

#include "platform/user/WindowObject.h"
#include "platform/user/WindowSystem.h"

#include <cstdint>

namespace {

constexpr UINT kSysCommandMask = 0xFFF0; // the low four bits of a system command are the system's

LRESULT DefaultDialogProc(WindowObject* window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        // A dialog's close box means Cancel.
        SendMessage(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDCANCEL), BN_CLICKED),
                    reinterpret_cast<LPARAM>(FindChildWindow(window, IDCANCEL)));
        return 0;
    case WM_SYSCOMMAND: {
        const auto command = static_cast<UINT>(wParam & kSysCommandMask);
        if (command == SC_CLOSE) {
            SendMessage(window, WM_CLOSE, 0, 0);
        } else if (command != SC_MAXIMIZE || (window->style & WS_MAXIMIZEBOX) != 0) {
            ShowWindowCommand(window, command);
        }
        return 0;
    }
    case WM_SETICON: {
        HICON icon = reinterpret_cast<HICON>(lParam);
        HICON& slot = wParam == ICON_BIG ? window->dialog.bigIcon : window->dialog.smallIcon;
        HICON previous = slot;
        slot = icon;
        ShowWindowIcon(window);
        return reinterpret_cast<LRESULT>(previous);
    }
    default:
        return DefaultDialogMessage(window, message, wParam, lParam);
    }
}

LRESULT DefaultButtonProc(WindowObject* window, UINT message, WPARAM wParam) {
    const bool checkBox = (window->style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
    switch (message) {
    case BM_GETCHECK:
        return checkBox && IsChecked(window) ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        if (checkBox) {
            SetChecked(window, wParam == BST_CHECKED);
        }
        return 0;
    default:
        return 0;
    }
}

LRESULT DefaultComboBoxProc(WindowObject* window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case CB_GETCURSEL: {
        const int index = SelectedItem(window);
        return index < 0 || index >= ItemCount(window) ? CB_ERR : index;
    }
    case CB_SETCURSEL: {
        // wParam carries a signed index; -1, or any index past the end, clears the selection.
        const auto index = static_cast<std::intptr_t>(wParam);
        if (index < 0 || index >= ItemCount(window)) {
            SelectItem(window, -1);
            return CB_ERR;
        }
        SelectItem(window, static_cast<int>(index));
        return index;
    }
    case CB_ADDSTRING: {
        const char* data = reinterpret_cast<const char*>(lParam);
        return AddItem(window, data == nullptr ? "" : data);
    }
    default:
        return 0;
    }
}

} // namespace

LRESULT CALLBACK ClassWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowObject* window = FindWindowObject(hWnd);
    if (window == nullptr) {
        return 0;
    }
    switch (window->kind) {
    case WindowKind::Dialog:
        return DefaultDialogProc(window, message, wParam, lParam);
    case WindowKind::Button:
        return DefaultButtonProc(window, message, wParam);
    case WindowKind::ComboBox:
        return DefaultComboBoxProc(window, message, wParam, lParam);
    case WindowKind::Static:
        break;
    }
    return 0;
}

#include "platform/winweb/user/WindowProcs.h"

#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/IconObject.h"
#include "platform/winweb/user/WindowObject.h"

#include <cstdint>
#include <cstring>

// What the window system does with the messages the program leaves to it, by window class.

namespace {

constexpr UINT kSysCommandMask = 0xFFF0; // the low four bits of a system command are the system's

LRESULT DefaultDialogProc(WindowObject* window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        // A dialog's close box means Cancel.
        SendMessage(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDCANCEL), BN_CLICKED),
                    reinterpret_cast<LPARAM>(FindChildWindow(window, IDCANCEL)));
        return 0;
    case WM_SYSCOMMAND:
        // A page can be neither minimised, maximised nor restored; only closing means anything.
        if ((wParam & kSysCommandMask) == SC_CLOSE) {
            SendMessage(window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_SETICON: {
        HICON icon = reinterpret_cast<HICON>(lParam);
        HICON& slot = wParam == ICON_BIG ? window->bigIcon : window->smallIcon;
        HICON previous = slot;
        slot = icon;
        ShowWindowIcon(window);
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_PAINT:
        // A paint nobody answered leaves the window as it is, and asks no more.
        window->invalid.clear();
        window->eraseAsked = false;
        return 0;
    default:
        return 0;
    }
}

LRESULT DefaultButtonProc(WindowObject* window, UINT message, WPARAM wParam) {
    const bool checkBox = (window->style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
    switch (message) {
    case BM_GETCHECK:
        return checkBox && page_get_check(window->element) != 0 ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        if (checkBox) {
            page_set_check(window->element, wParam == BST_CHECKED ? 1 : 0);
        }
        return 0;
    default:
        return 0;
    }
}

LRESULT DefaultComboBoxProc(WindowObject* window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case CB_GETCURSEL: {
        const int index = page_get_selection(window->element);
        return index < 0 || index >= window->itemCount ? CB_ERR : index;
    }
    case CB_GETCOUNT:
        return window->itemCount;
    case CB_SETCURSEL: {
        // wParam carries a signed index; -1, or any index past the end, clears the selection.
        const auto index = static_cast<std::intptr_t>(wParam);
        if (index < 0 || index >= window->itemCount) {
            page_set_selection(window->element, -1);
            return CB_ERR;
        }
        page_set_selection(window->element, static_cast<std::int32_t>(index));
        return index;
    }
    case CB_ADDSTRING: {
        const char* data = reinterpret_cast<const char*>(lParam);
        const char* text = data == nullptr ? "" : data;
        page_add_item(window->element, text, static_cast<std::int32_t>(std::strlen(text)));
        return window->itemCount++;
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

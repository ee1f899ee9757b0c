#include "platform/winqt/user/WindowProcs.h"

#include "platform/winqt/user/IconObject.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPainter>
#include <QWidget>

#include <cstdint>

// What the window system does with the messages the program leaves to it, by window class.

namespace {

LRESULT DefaultDialogProc(WindowObject* window, UINT message, WPARAM wParam, LPARAM lParam) {
    QWidget* widget = window->widget;
    switch (message) {
    case WM_CLOSE:
        // A dialog's close box means Cancel.
        SendMessage(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDCANCEL), BN_CLICKED),
                    reinterpret_cast<LPARAM>(FindChildWindow(window, IDCANCEL)));
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            SendMessage(window, WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            if (widget != nullptr) {
                widget->showMinimized();
            }
            break;
        case SC_MAXIMIZE:
            if (widget != nullptr && (window->style & WS_MAXIMIZEBOX) != 0) {
                widget->showMaximized();
            }
            break;
        case SC_RESTORE:
            if (widget != nullptr) {
                widget->showNormal();
            }
            break;
        default:
            break;
        }
        return 0;
    case WM_SETICON: {
        HICON icon = reinterpret_cast<HICON>(lParam);
        HICON& slot = wParam == ICON_BIG ? window->dialog.bigIcon : window->dialog.smallIcon;
        HICON previous = slot;
        slot = icon;
        if (widget != nullptr) {
            widget->setWindowIcon(IconOf(window->dialog.bigIcon, window->dialog.smallIcon));
        }
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_ICONERASEBKGND: {
        QPainter* painter = PainterOfPaintDC(reinterpret_cast<HDC>(wParam));
        if (painter == nullptr || widget == nullptr) {
            return FALSE;
        }
        painter->fillRect(widget->rect(), widget->palette().window());
        return TRUE;
    }
    default:
        return 0;
    }
}

LRESULT DefaultButtonProc(WindowObject* window, UINT message, WPARAM wParam) {
    auto* box = qobject_cast<QCheckBox*>(window->widget.data());
    switch (message) {
    case BM_GETCHECK:
        if (box == nullptr) {
            return BST_UNCHECKED;
        }
        return box->checkState() == Qt::Checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        if (box != nullptr) {
            box->setCheckState(wParam == BST_CHECKED ? Qt::Checked : Qt::Unchecked);
        }
        return 0;
    default:
        return 0;
    }
}

LRESULT DefaultComboBoxProc(WindowObject* window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* combo = qobject_cast<QComboBox*>(window->widget.data());
    if (combo == nullptr) {
        return message == CB_GETCOUNT ? 0 : CB_ERR;
    }
    switch (message) {
    case CB_GETCURSEL:
        return combo->currentIndex();
    case CB_GETCOUNT:
        return combo->count();
    case CB_SETCURSEL: {
        // wParam carries a signed index; -1, or any index past the end, clears the selection.
        const auto index = static_cast<std::intptr_t>(wParam);
        if (index < 0 || index >= combo->count()) {
            combo->setCurrentIndex(-1);
            return CB_ERR;
        }
        combo->setCurrentIndex(static_cast<int>(index));
        return index;
    }
    case CB_ADDSTRING: {
        const char* data = reinterpret_cast<const char*>(lParam);
        const QString text = QString::fromUtf8(data == nullptr ? "" : data);
        const int place = combo->count();
        combo->addItem(text);
        // A list box starts without a selection; Qt's selects the first item it gets.
        if (combo->count() == 1) {
            combo->setCurrentIndex(-1);
        }
        return place;
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

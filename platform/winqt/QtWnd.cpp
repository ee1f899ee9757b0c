#include "platform/winqt/QtWnd.h"

#include "platform/winqt/SystemMenu.h"
#include "platform/winqt/WindowObject.h"

#include <QTimer>
#include <QWidget>

QWidget* WidgetOf(HWND hWnd) {
    WindowObject* window = FindWindowObject(hWnd);
    return window == nullptr ? nullptr : window->widget.data();
}

QWidget* DialogItemWidget(HWND hDlg, int nID) {
    WindowObject* control = FindChildWindow(FindWindowObject(hDlg), nID);
    return control == nullptr ? nullptr : control->widget.data();
}

void PostToUi(std::function<void()> work) {
    QTimer::singleShot(0, [work = std::move(work)] { work(); });
}

QMenu* OpenSystemMenu(HWND hWnd) {
    WindowObject* window = FindWindowObject(hWnd);
    return window == nullptr ? nullptr : PopupSystemMenu(window, SystemMenuKeyboardPlace(window));
}

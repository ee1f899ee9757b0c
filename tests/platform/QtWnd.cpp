#include "tests/platform/QtWnd.h"

#include "platform/winqt/user/SystemMenu.h"
#include "platform/winqt/user/WindowPeer.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

QWidget* WidgetOf(HWND hWnd) {
    return WidgetOfHandle(hWnd);
}

QWidget* DialogItemWidget(HWND hDlg, int nID) {
    WindowObject* control = FindChildWindow(FindWindowObject(hDlg), nID);
    return control == nullptr ? nullptr : control->peer->widget.data();
}

void PostToUi(std::function<void()> work) {
    QTimer::singleShot(0, [work = std::move(work)] { work(); });
}

QMenu* OpenSystemMenu(HWND hWnd) {
    return PopupSystemMenu(FindWindowObject(hWnd));
}

// MessageBoxA shows one box at a time, as a window of its own, and ends it before it returns.
QMessageBox* ActiveMessageBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

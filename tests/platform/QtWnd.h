#pragma once

// The Qt side of the windows, for the platform layer and the tests only (the program's own
// code never sees a Qt type).

#include <windows.h>

#include <functional>

class QMenu;
class QMessageBox;
class QWidget;

// The widget that stands for the window; null when there is none.
QWidget* WidgetOf(HWND hWnd);
// The widget of the dialog's control with this id; null when there is none.
QWidget* DialogItemWidget(HWND hDlg, int nID);
// The same for the class library's window objects, which this layer knows only by their handle.
template <class Window> QWidget* WidgetOf(const Window* pWnd) {
    return pWnd == nullptr ? nullptr : WidgetOf(pWnd->m_hWnd);
}
template <class Window> QWidget* DialogItemWidget(const Window* pDlg, int nID) {
    return pDlg == nullptr ? nullptr : DialogItemWidget(pDlg->m_hWnd, nID);
}

// Runs work on the user-interface thread once the event loop is running, for instance inside
// DoModal: post the test's work, then call DoModal, and let the work end the dialog.
void PostToUi(std::function<void()> work);

// Opens the window's system menu as Shift+F10 does and returns it (null without a window).
// Choosing an item posts WM_SYSCOMMAND with its id; trigger its QAction to choose it.
QMenu* OpenSystemMenu(HWND hWnd);
template <class Window> QMenu* OpenSystemMenu(const Window* pWnd) {
    return pWnd == nullptr ? nullptr : OpenSystemMenu(pWnd->m_hWnd);
}

// The message box AfxMessageBox is showing, or null; a test closes it by clicking its button.
QMessageBox* ActiveMessageBox();

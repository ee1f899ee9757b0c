#include "platform/winqt/QtWnd.h"

#include "platform/afx/CWnd.h"
#include "platform/winqt/SystemMenu.h"
#include "platform/winqt/WindowObject.h"

#include <QTimer>
#include <QWidget>

QWidget* WidgetOf(HWND hWnd) {
    WindowObject* window = FindWindowObject(hWnd);
    return window == nullptr ? nullptr : window->widget.data();
}

QWidget* WidgetOf(CWnd* pWnd) {
    return pWnd == nullptr ? nullptr : WidgetOf(pWnd->m_hWnd);
}

QWidget* DialogItemWidget(CWnd* pDlg, int nID) {
    if (pDlg == nullptr) {
        return nullptr;
    }
    WindowObject* control = FindChildWindow(FindWindowObject(pDlg->m_hWnd), nID);
    return control == nullptr ? nullptr : control->widget.data();
}

void PostToUi(std::function<void()> work) {
    QTimer::singleShot(0, [work = std::move(work)] { work(); });
}

QMenu* OpenSystemMenu(CWnd* pWnd) {
    WindowObject* window = pWnd == nullptr ? nullptr : FindWindowObject(pWnd->m_hWnd);
    return window == nullptr ? nullptr : PopupSystemMenu(window, SystemMenuKeyboardPlace(window));
}

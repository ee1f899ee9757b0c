#include "platform/winqt/user/SystemMenu.h"

#include "platform/user/WindowSystem.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

namespace {

// The usual window commands, as the window system names them.
constexpr const char* kRestoreText = "&Restore";
constexpr const char* kMinimizeText = "Mi&nimize";
constexpr const char* kMaximizeText = "Ma&ximize";
constexpr const char* kCloseText = "&Close\tAlt+F4";

// Menus hand their commands over only after they have closed, as the window system's do, so
// that a handler which opens a modal dialog does not run inside the menu. The call is queued on
// the application, which outlives the menu, and reaches only a window that is still there.
void AddCommand(QMenu* menu, HWND hWnd, const char* text, UINT_PTR id, bool enabled) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setEnabled(enabled);
    QObject::connect(
        action, &QAction::triggered, qApp,
        [hWnd, id] { SendMessage(hWnd, WM_SYSCOMMAND, static_cast<WPARAM>(id), 0); },
        Qt::QueuedConnection);
}

void AddItems(QMenu* menu, WindowObject* window) {
    if ((window->style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) != 0) {
        const bool minimized = window->peer->widget->isMinimized();
        const bool maximized = window->peer->widget->isMaximized();
        AddCommand(menu, window, kRestoreText, SC_RESTORE, minimized || maximized);
        AddCommand(menu, window, kMinimizeText, SC_MINIMIZE,
                   (window->style & WS_MINIMIZEBOX) != 0 && !minimized);
        AddCommand(menu, window, kMaximizeText, SC_MAXIMIZE,
                   (window->style & WS_MAXIMIZEBOX) != 0 && !maximized);
        menu->addSeparator();
    }
    AddCommand(menu, window, kCloseText, SC_CLOSE, true);
    if (window->dialog.systemMenu == nullptr) {
        return;
    }
    for (const MenuItem& item : window->dialog.systemMenu->items) {
        if ((item.flags & MF_SEPARATOR) != 0) {
            menu->addSeparator();
        } else {
            AddCommand(menu, window, item.text.c_str(), item.id, (item.flags & MF_GRAYED) == 0);
        }
    }
}

} // namespace

// The menu is made afresh from its items each time it opens.
void ShowMenuItem(HMENU /*menu*/, const MenuItem& /*item*/) {}

QMenu* PopupSystemMenu(WindowObject* window, std::optional<QPoint> globalPos) {
    if (window == nullptr || window->peer->widget == nullptr || (window->style & WS_SYSMENU) == 0) {
        return nullptr;
    }
    if (window->peer->openMenu != nullptr && window->peer->openMenu->isVisible()) {
        return window->peer->openMenu;
    }
    auto* menu = new QMenu(window->peer->widget);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    AddItems(menu, window);
    window->peer->openMenu = menu;
    menu->popup(globalPos.value_or(window->peer->widget->mapToGlobal(QPoint(0, 0))));
    return menu;
}

void InstallSystemMenuKeys(WindowObject* window) {
    if (window == nullptr || window->peer->widget == nullptr) {
        return;
    }
    const HWND hWnd = window;
    for (const QKeySequence& keys :
         {QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu),
          QKeySequence(Qt::ALT | Qt::Key_Space)}) {
        auto* shortcut = new QShortcut(keys, window->peer->widget);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window->peer->widget,
                         [hWnd] { PopupSystemMenu(FindWindowObject(hWnd)); });
    }
}

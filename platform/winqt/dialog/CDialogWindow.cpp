#include "platform/winqt/dialog/CDialogWindow.h"

#include "platform/winqt/dialog/CBlackFrame.h"
#include "platform/winqt/paint/DevicePixels.h"
#include "platform/winqt/session/CXWindowMapper.h"
#include "platform/winqt/session/WaylandSession.h"
#include "platform/winqt/user/SystemMenu.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

// The window moved to another screen, or its screen changed scale.
bool IsScaleChange(QEvent::Type type) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    if (type == QEvent::DevicePixelRatioChange) {
        return true;
    }
#endif
    return type == QEvent::ScreenChangeInternal;
}

} // namespace

CDialogWindow::CDialogWindow(QWidget* parent, Qt::WindowFlags flags, HWND hWnd)
    : QDialog(parent, flags), m_hWnd(hWnd) {
    // The background is erased by paintEvent, and only where the window system would erase it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

WindowObject* CDialogWindow::Window() const {
    // The handle may by now name another window; only the one this widget shows counts.
    WindowObject* window = FindWindowObject(m_hWnd);
    return window != nullptr && window->peer->widget == this ? window : nullptr;
}

void CDialogWindow::SendSize() {
    WindowObject* window = Window();
    if (window == nullptr) {
        return;
    }
    // A minimised window reports no size.
    RECT client{};
    if (!isMinimized()) {
        GetClientRect(window, &client);
    }
    const UINT type =
        isMinimized() ? SIZE_MINIMIZED : (isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED);
    if (type == window->dialog.lastSizeType && client.right == window->dialog.lastCx &&
        client.bottom == window->dialog.lastCy) {
        return;
    }
    window->dialog.lastSizeType = type;
    window->dialog.lastCx = client.right;
    window->dialog.lastCy = client.bottom;
    SendMessage(window, WM_SIZE, type,
                MAKELPARAM(static_cast<WORD>(std::min(client.right, 0xFFFF)),
                           static_cast<WORD>(std::min(client.bottom, 0xFFFF))));
}

void CDialogWindow::End(INT_PTR nResult) {
    m_nEndResult = nResult;
    HideEndingWindow(this);
    done(static_cast<int>(nResult));
}

int CDialogWindow::exec() {
    ++m_nBusyDepth;
    const int result = QDialog::exec();
    --m_nBusyDepth;
    return result;
}

void CDialogWindow::OnWindowDestroyed() {
    QDialog::done(0);
    // A widget may not be deleted inside its own event handler or under its own modal loop.
    if (m_nBusyDepth == 0) {
        delete this;
    } else {
        deleteLater();
    }
}

bool CDialogWindow::event(QEvent* e) {
    if (e->type() == QEvent::Show && isWindow()) {
        CXWindowMapper::Watch(this);
    }
    ++m_nBusyDepth;
    const bool handled = QDialog::event(e);
    // On a new scale the same logical size is another size in device pixels, which the window
    // lays itself out for; and every device pixel is drawn again, not only what Qt thinks has
    // changed.
    const bool rescaled = IsScaleChange(e->type());
    if (rescaled || e->type() == QEvent::Resize || e->type() == QEvent::WindowStateChange) {
        SendSize();
    }
    if (rescaled) {
        update();
    }
    --m_nBusyDepth;
    return handled;
}

void CDialogWindow::paintEvent(QPaintEvent* e) {
    WindowObject* window = Window();
    EraseBackground(e->region(), window);
    if (window == nullptr) {
        return;
    }
    // The frames of black-frame statics lie beneath what the dialog paints.
    {
        QPainter painter(this);
        for (const WindowObject* child : window->children) {
            if (const auto* frame = qobject_cast<const CBlackFrame*>(child->peer->widget.data())) {
                frame->DrawFrame(painter, ClientDeviceRect(child), DeviceRatioOf(this));
            }
        }
    }
    QPaintEvent* outer = window->peer->paint.event;
    window->peer->paint.event = e;
    SendMessage(window, WM_PAINT, 0, 0);
    // The handler may have ended the window.
    if (Window() == window) {
        window->peer->paint.event = outer;
    }
}

// As the window system does, the whole region is erased unless all of it was invalidated without
// erase: a window that asks for a patch it repaints whole without erase is spared a pass that
// fills the patch with a colour only to paint over it. Anything the window system itself
// repaints (an expose, a resize, a grab) is erased.
void CDialogWindow::EraseBackground(const QRegion& region, WindowObject* window) {
    if (window != nullptr) {
        const bool erase =
            window->peer->paint.eraseAsked || !(region - window->peer->paint.unerased).isEmpty();
        window->peer->paint.unerased = QRegion();
        window->peer->paint.eraseAsked = false;
        if (!erase) {
            return;
        }
    }
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QBrush background = palette().brush(QPalette::Window);
    for (const QRect& rect : region) {
        painter.fillRect(rect, background);
    }
}

// The dialog's window class takes no double clicks, so the second press of one is an ordinary
// button-down: Qt's default handling of a double click brings it here.
void CDialogWindow::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(e);
        return;
    }
    // Qt hands widgets the place rounded to the nearest logical pixel, which on a scaled screen
    // may be another device pixel than the one under the pointer. The dialog is its own window,
    // so its scene position is the same place unrounded.
    const POINT at = DevicePixelAt(e->scenePosition(), DeviceRatioOf(this));
    const UINT keys = MK_LBUTTON | (e->modifiers().testFlag(Qt::ShiftModifier) ? MK_SHIFT : 0) |
                      (e->modifiers().testFlag(Qt::ControlModifier) ? MK_CONTROL : 0);
    SendMessage(Window(), WM_LBUTTONDOWN, keys,
                MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
}

// The close box asks; only the dialog's own end (EndDialog) closes it.
void CDialogWindow::closeEvent(QCloseEvent* e) {
    WindowObject* window = Window();
    if (window == nullptr || window->dialog.ended) {
        e->accept();
        return;
    }
    e->ignore();
    SendMessage(window, WM_CLOSE, 0, 0);
}

void CDialogWindow::keyPressEvent(QKeyEvent* e) {
    const bool bare = e->modifiers() == Qt::NoModifier;
    // Only the keypad's own modifier may accompany Enter, as with the window system's dialogs.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        SendCommand(DefaultCommandId());
    } else if (e->key() == Qt::Key_Escape && bare) {
        SendCommand(IDCANCEL);
    } else if (e->key() == Qt::Key_F1 && bare) {
        // What help means is the program's to say: the window is only told that F1 was pressed.
        SendMessage(Window(), WM_HELP, 0, 0);
    } else {
        // Not QDialog's: it would end the dialog on Enter or Escape by itself.
        QWidget::keyPressEvent(e);
    }
}

void CDialogWindow::contextMenuEvent(QContextMenuEvent* e) {
    PopupSystemMenu(Window(), e->reason() == QContextMenuEvent::Mouse
                                  ? std::optional(e->globalPos())
                                  : std::nullopt);
    e->accept();
}

// Once the window has ended, the window and control are null, and SendMessage ignores them.
void CDialogWindow::SendCommand(int id) {
    WindowObject* window = Window();
    SendMessage(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                reinterpret_cast<LPARAM>(FindChildWindow(window, id)));
}

// Enter clicks the default push button, visible or not; without one it is IDOK.
int CDialogWindow::DefaultCommandId() const {
    if (const WindowObject* window = Window()) {
        for (const WindowObject* child : window->children) {
            if (child->kind == WindowKind::Button &&
                (child->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
                return child->id;
            }
        }
    }
    return IDOK;
}

#include "platform/CDialogWindow.h"

#include "platform/CBlackFrame.h"
#include "platform/SystemMenu.h"
#include "platform/TickSource.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>
#include <climits>

namespace {

// The window system's shortest and longest timer periods, in milliseconds.
constexpr UINT kMinTimerPeriod = 10;
constexpr UINT kMaxTimerPeriod = INT_MAX;

UINT KeyFlags(const QMouseEvent* e) {
    UINT flags = MK_LBUTTON;
    if (e->modifiers().testFlag(Qt::ShiftModifier)) {
        flags |= MK_SHIFT;
    }
    if (e->modifiers().testFlag(Qt::ControlModifier)) {
        flags |= MK_CONTROL;
    }
    return flags;
}

// Only the keypad's own modifier may accompany Enter, as with the window system's dialogs.
bool IsPlainKey(const QKeyEvent* e) {
    return (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

CDialogWindow::CDialogWindow(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}

bool CDialogWindow::StartTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
    if (m_pWindow == nullptr) {
        return false;
    }
    const auto existing = m_pWindow->timers.find(nIDEvent);
    if (existing != m_pWindow->timers.end()) {
        killTimer(existing->second.qtTimerId);
        m_pWindow->timers.erase(existing);
    }
    const UINT period = std::clamp(nElapse, kMinTimerPeriod, kMaxTimerPeriod);
    const int qtTimerId = startTimer(static_cast<int>(period), Qt::PreciseTimer);
    if (qtTimerId == 0) {
        return false;
    }
    m_pWindow->timers.emplace(nIDEvent, WindowTimer{qtTimerId, lpfnTimer});
    return true;
}

void CDialogWindow::EndModalLoop(int nResult) {
    QDialog::done(nResult);
}

void CDialogWindow::SendSize() {
    if (m_pWindow == nullptr) {
        return;
    }
    UINT type = SIZE_RESTORED;
    int cx = width();
    int cy = height();
    if (isMinimized()) {
        type = SIZE_MINIMIZED;
        cx = 0;
        cy = 0;
    } else if (isMaximized()) {
        type = SIZE_MAXIMIZED;
    }
    if (type == m_pWindow->lastSizeType && cx == m_pWindow->lastCx && cy == m_pWindow->lastCy) {
        return;
    }
    m_pWindow->lastSizeType = type;
    m_pWindow->lastCx = cx;
    m_pWindow->lastCy = cy;
    SendMessage(m_pWindow, WM_SIZE, type,
                MAKELPARAM(static_cast<WORD>(std::min(cx, 0xFFFF)),
                           static_cast<WORD>(std::min(cy, 0xFFFF))));
}

void CDialogWindow::accept() {
    SendCommand(IDOK);
}

void CDialogWindow::reject() {
    SendCommand(IDCANCEL);
}

bool CDialogWindow::event(QEvent* e) {
    ++m_nEventDepth;
    const bool handled = QDialog::event(e);
    --m_nEventDepth;
    return handled;
}

void CDialogWindow::paintEvent(QPaintEvent* e) {
    if (m_pWindow == nullptr) {
        return;
    }
    DrawFrames();
    WindowObject* window = m_pWindow;
    QPaintEvent* outer = window->paintEvent;
    window->paintEvent = e;
    SendMessage(window, WM_PAINT, 0, 0);
    // The handler may have ended the window.
    if (m_pWindow == window) {
        window->paintEvent = outer;
    }
}

void CDialogWindow::DrawFrames() {
    QPainter painter(this);
    for (const WindowObject* child : m_pWindow->children) {
        if (const auto* frame = dynamic_cast<const CBlackFrame*>(child->widget.data())) {
            frame->DrawFrame(painter);
        }
    }
}

void CDialogWindow::timerEvent(QTimerEvent* e) {
    if (m_pWindow == nullptr) {
        return;
    }
    for (const auto& [id, timer] : m_pWindow->timers) {
        if (timer.qtTimerId != e->timerId()) {
            continue;
        }
        if (timer.callback != nullptr) {
            timer.callback(m_pWindow, WM_TIMER, id, GetTickCount());
        } else {
            SendMessage(m_pWindow, WM_TIMER, id, 0);
        }
        return;
    }
}

void CDialogWindow::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        SendButtonDown(e);
        return;
    }
    QDialog::mousePressEvent(e);
}

// The dialog's window class takes no double clicks, so the second press of one is an ordinary
// button-down.
void CDialogWindow::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        SendButtonDown(e);
        return;
    }
    QDialog::mouseDoubleClickEvent(e);
}

void CDialogWindow::SendButtonDown(QMouseEvent* e) {
    if (m_pWindow == nullptr) {
        return;
    }
    const QPoint at = e->position().toPoint();
    SendMessage(m_pWindow, WM_LBUTTONDOWN, KeyFlags(e),
                MAKELPARAM(static_cast<WORD>(at.x()), static_cast<WORD>(at.y())));
}

void CDialogWindow::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    SendSize();
}

void CDialogWindow::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) {
        SendSize();
    }
}

// The close box asks; only the dialog's own end (EndDialog) closes it.
void CDialogWindow::closeEvent(QCloseEvent* e) {
    if (m_pWindow == nullptr || m_pWindow->ended) {
        e->accept();
        return;
    }
    e->ignore();
    SendMessage(m_pWindow, WM_CLOSE, 0, 0);
}

void CDialogWindow::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (IsPlainKey(e)) {
            SendCommand(DefaultCommandId());
            return;
        }
        break;
    case Qt::Key_Escape:
        if (e->modifiers() == Qt::NoModifier) {
            SendCommand(IDCANCEL);
            return;
        }
        break;
    case Qt::Key_F1:
        if (e->modifiers() == Qt::NoModifier) {
            SendCommand(ID_HELP);
            return;
        }
        break;
    default:
        break;
    }
    // Not QDialog's: it would end the dialog on Enter or Escape by itself.
    QWidget::keyPressEvent(e);
}

void CDialogWindow::contextMenuEvent(QContextMenuEvent* e) {
    if (m_pWindow == nullptr) {
        return;
    }
    if (e->reason() == QContextMenuEvent::Mouse) {
        PopupSystemMenu(m_pWindow, e->globalPos());
    } else {
        PopupSystemMenu(m_pWindow, SystemMenuKeyboardPlace(m_pWindow));
    }
    e->accept();
}

void CDialogWindow::SendCommand(int id) {
    if (m_pWindow == nullptr) {
        return;
    }
    WindowObject* control = FindChildWindow(m_pWindow, id);
    SendMessage(m_pWindow, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                reinterpret_cast<LPARAM>(control));
}

// Enter clicks the default push button, visible or not; without one it is IDOK.
int CDialogWindow::DefaultCommandId() const {
    if (m_pWindow != nullptr) {
        for (const WindowObject* child : m_pWindow->children) {
            if (child->kind == WindowKind::Button &&
                (child->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
                return child->id;
            }
        }
    }
    return IDOK;
}

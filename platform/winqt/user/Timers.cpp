#include "platform/winqt/user/WindowPeer.h"

#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <climits>

// Window timers. Each is a QTimer child of the window's widget, named by its id, so it ends with
// the widget and nothing has to stop it by hand. Timer procedures are not offered: nothing asks
// for one, so a call that names one fails.

namespace {

// The window system's shortest and longest timer periods, in milliseconds.
constexpr UINT kMinTimerPeriod = 10;
constexpr UINT kMaxTimerPeriod = INT_MAX;

} // namespace

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    QWidget* widget = WidgetOfHandle(hWnd);
    if (widget == nullptr || lpTimerFunc != nullptr) {
        return 0;
    }
    const QString name = QString::number(nIDEvent);
    auto* timer = widget->findChild<QTimer*>(name, Qt::FindDirectChildrenOnly);
    if (timer == nullptr) {
        timer = new QTimer(widget);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setObjectName(name);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, hWnd, nIDEvent] {
            // A widget outlives its window for a moment, and the handle may by then name another
            // window; the timer serves only the window of its own widget.
            if (WidgetOfHandle(hWnd) != timer->parent()) {
                timer->stop();
                return;
            }
            SendMessage(hWnd, WM_TIMER, nIDEvent, 0);
        });
    }
    // A second call with the same id, even from the timer's own WM_TIMER, keeps the timer and
    // only starts its period again.
    timer->start(static_cast<int>(std::clamp(uElapse, kMinTimerPeriod, kMaxTimerPeriod)));
    return timer->isActive() ? nIDEvent : 0;
}

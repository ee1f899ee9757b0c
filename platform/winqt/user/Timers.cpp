#include "platform/winqt/user/WindowPeer.h"

#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <climits>

// Window timers. Each is a QTimer child of the window's widget, so it ends with the widget and
// nothing has to stop it by hand. Timer procedures are not offered: nothing asks for one, so a
// call that names one fails.

namespace {

// The window system's shortest and longest timer periods, in milliseconds.
constexpr UINT kMinTimerPeriod = 10;
constexpr UINT kMaxTimerPeriod = INT_MAX;

// The property that carries a timer's id on its QTimer.
constexpr const char* kTimerIdProperty = "windowTimerId";

QTimer* FindTimer(const QWidget* widget, UINT_PTR nIDEvent) {
    for (QTimer* timer : widget->findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) {
        const QVariant id = timer->property(kTimerIdProperty);
        if (id.isValid() && id.value<qulonglong>() == nIDEvent) {
            return timer;
        }
    }
    return nullptr;
}

} // namespace

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    const WindowObject* window = FindWindowObject(hWnd);
    QWidget* widget = window == nullptr ? nullptr : window->peer->widget.data();
    if (widget == nullptr || lpTimerFunc != nullptr) {
        return 0;
    }
    QTimer* timer = FindTimer(widget, nIDEvent);
    if (timer == nullptr) {
        timer = new QTimer(widget);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setProperty(kTimerIdProperty, QVariant::fromValue<qulonglong>(nIDEvent));
    }
    // A restart may come from the timer's own WM_TIMER, so the timer is kept and only told
    // what to do from now on.
    QObject::disconnect(timer, &QTimer::timeout, nullptr, nullptr);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, hWnd, nIDEvent] {
        // A widget outlives its window for a moment, and the handle may by then name another
        // window; the timer serves only the window of its own widget.
        const WindowObject* owner = FindWindowObject(hWnd);
        if (owner == nullptr || owner->peer->widget.data() != timer->parent()) {
            timer->stop();
            return;
        }
        SendMessage(hWnd, WM_TIMER, nIDEvent, 0);
    });
    timer->start(static_cast<int>(std::clamp(uElapse, kMinTimerPeriod, kMaxTimerPeriod)));
    return timer->isActive() ? nIDEvent : 0;
}

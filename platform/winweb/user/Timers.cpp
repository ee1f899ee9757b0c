#include "platform/winweb/session/PageCalls.h"
#include "platform/winweb/user/WindowPeer.h"

#include <algorithm>
#include <climits>

namespace {

// The window system's shortest and longest timer periods, in milliseconds.
constexpr UINT kMinTimerPeriod = 10;
constexpr UINT kMaxTimerPeriod = INT_MAX;

} // namespace

// The page keeps the timer and, when it is due, queues it as the window's WM_TIMER; a timer
// already queued is not queued again, so a busy page gets fewer ticks rather than a backlog.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    const WindowObject* window = FindWindowObject(hWnd);
    if (window == nullptr || lpTimerFunc != nullptr || nIDEvent > INT_MAX) {
        return 0;
    }
    page_set_timer(
        window->peer->element, static_cast<std::int32_t>(nIDEvent),
        static_cast<std::int32_t>(std::clamp(uElapse, kMinTimerPeriod, kMaxTimerPeriod)));
    return nIDEvent;
}

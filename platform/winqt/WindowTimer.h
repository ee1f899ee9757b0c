#pragma once

// Window timers. Each is a QTimer child of the window's widget, so it ends with the widget and
// nothing has to stop it by hand.

#include "platform/winapi/winuser.h"

// Delivers WM_TIMER with nIDEvent to the window (or calls lpTimerFunc) about every uElapse
// milliseconds, clamped to the window system's 10 ms to INT_MAX; a second call with the same id
// restarts that timer. Returns nIDEvent, or 0 without a window.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);

#pragma once

// Window timers. Each is a QTimer child of the window's widget, so it ends with the widget and
// nothing has to stop it by hand.

#include <windows.h>

// SetTimer delivers WM_TIMER with nIDEvent to the window about every uElapse milliseconds,
// clamped to the window system's 10 ms to INT_MAX; a second call with the same id restarts that
// timer. It returns nIDEvent, or 0 without a window. Timer procedures are not offered: nothing
// asks for one, so a call that names one fails.

#pragma once

// The message loop of the page: what the page reports becomes the windows' messages, and
// windows with something to paint get WM_PAINT once nothing else is waiting, as the window
// system leaves paints for last.

#include "platform/winweb/user/WindowPeer.h"

// Runs until the dialog has ended or gone, waiting for the page between messages.
void RunMessageLoop(HWND hDlg);
// Tells a top-level window its client area's size in device pixels: the window takes it, is
// sent WM_SIZE when it differs from the last one told, and is painted whole again.
void TellClientSize(WindowObject* window, int cx, int cy);

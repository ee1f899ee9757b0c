#pragma once

// The program's own dealings with a Wayland compositor, around Qt's.

class QWidget;
struct wl_display;

// Qt's own connection to the compositor; null off Wayland, before Qt starts and after its end.
wl_display* QtWaylandDisplay();

// Whether the Wayland compositor the program would reach draws windows' title bars and borders
// itself (it offers the xdg decoration protocol). Asked on a connection of its own, before Qt
// starts; false when there is no compositor to ask, or when the connection was handed over in
// WAYLAND_SOCKET for Qt alone.
bool CompositorDrawsWindowFrames();

// Lets every read of Qt's Wayland connection that is under way finish, before Qt ends it; does
// nothing off Wayland.
void SettleWaylandConnection();

// Hides a window that is about to end, once Qt's Wayland platform has done with its last frame;
// elsewhere it only hides it.
void HideEndingWindow(QWidget* widget);

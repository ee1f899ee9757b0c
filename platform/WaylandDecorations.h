#pragma once

// Whether the Wayland compositor the program would reach draws windows' title bars and borders
// itself (it offers the xdg decoration protocol). Asked on a connection of its own, before Qt
// starts; false when there is no compositor to ask, or when the connection was handed over in
// WAYLAND_SOCKET for Qt alone.
bool CompositorDrawsWindowFrames();

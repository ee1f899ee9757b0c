#pragma once

// The name the desktop files the program under: its menu entry, its icons and its software
// catalogue entry are all named after it, and the window gives it to a Wayland compositor so
// that the compositor can match the window with them. The build reads it from here.

inline constexpr char kDesktopEntryId[] = "io.github.ondeline.ondeline";

#pragma once

// Where the frame and the picture go when the dialog's client area changes: plain arithmetic on
// the frame's place, the client size, the Stretch state and the grid size.

#include "ripple/CChangedCells.h"
#include <windows.h>

// The frame's border on an unscaled screen: its sunken edge, two pixels wide.
inline constexpr int kFrameBorder = 2;

struct DisplayLayout {
    RECT frame;   // the frame's new rectangle, dialog client coordinates
    RECT display; // where the picture is painted and clicks are mapped, the same coordinates
};

// How many device pixels wide and high a cell is at natural size on a screen of dpi dots per
// inch: the screen's scale rounded to a whole number, halves up, and never less than one. A
// fractional scale would make neighbouring cells differ by a pixel; a whole one keeps every cell
// a sharp block of the same size.
int CellPixels(UINT dpi);

// frame is the frame's current rectangle in dialog client coordinates, cx and cy the client
// size, gridW and gridH the grid in cells; stretch counts only when it is exactly TRUE, like a
// check state. The frame keeps its top-left corner and gets right and bottom margins equal to
// its distance from the top. With stretch the picture fills the inside of the frame; otherwise
// it is gridW x gridH pixels, centred there, or pinned to the inside's top-left corner along an
// axis where it does not fit. The inside is the frame shrunk by border (the width of the frame's
// edge) on every side. Nothing else is clamped: sizes too small for the margins give empty or
// inverted rectangles, as computed.
DisplayLayout ComputeDisplayLayout(const RECT& frame, int cx, int cy, BOOL stretch, int gridW,
                                   int gridH, int border = kFrameBorder);

// The client pixels that show the cells, for a gridW x gridH picture painted into display:
// every pixel, at any device pixel ratio, whose part of the display falls on one of the cells,
// and a pixel to spare on every side, clipped to the display. Painting more than that costs a
// little; painting less would leave old water on the screen. Empty when the display is.
RECT CellsOnScreen(const RECT& display, int gridW, int gridH, const CellRect& cells);

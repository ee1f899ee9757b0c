#include "ui/DisplayLayout.h"

#include <algorithm>
#include <cstdint>

namespace {

// The centring offset along one axis: half the surplus, truncated toward zero, and never
// negative, so a picture that does not fit is pinned to the inside's leading edge.
int CentringOffset(int inner, int grid) {
    const int offset = (inner - grid) / 2;
    return offset < 0 ? 0 : offset;
}

// Where along one axis of size pixels the cells from..to - 1 of a grid of cells show. A pixel
// at offset p of the display shows cell p x cells / size, rounded down, wherever p is taken
// inside a pixel, device pixels included; so the cells cover the offsets from from x size /
// cells up to to x size / cells, and the pixels round that span out, one to spare each side.
void CellSpan(std::int64_t from, std::int64_t to, std::int64_t cells, std::int64_t size,
              std::int64_t& first, std::int64_t& last) {
    first = from * size / cells - 1;
    last = (to * size + cells - 1) / cells + 1;
}

} // namespace

int CellPixels(UINT dpi) {
    // An unscaled screen has USER_DEFAULT_SCREEN_DPI dots per inch; adding half of it first
    // rounds halves up. Without a window, GetDpiForWindow reports 0.
    const UINT unscaled = USER_DEFAULT_SCREEN_DPI;
    const UINT scale = (dpi + unscaled / 2) / unscaled;
    return scale < 1 ? 1 : static_cast<int>(scale);
}

DisplayLayout ComputeDisplayLayout(const RECT& frame, int cx, int cy, BOOL stretch, int gridW,
                                   int gridH, int border) {
    DisplayLayout layout{};
    // The right and bottom margins equal the frame's distance from the top.
    layout.frame = RECT{frame.left, frame.top, cx - frame.top, cy - frame.top};

    const RECT inner{layout.frame.left + border, layout.frame.top + border,
                     layout.frame.right - border, layout.frame.bottom - border};
    if (stretch == TRUE) {
        layout.display = inner;
        return layout;
    }

    const int ox = CentringOffset(inner.right - inner.left, gridW);
    const int oy = CentringOffset(inner.bottom - inner.top, gridH);
    layout.display =
        RECT{inner.left + ox, inner.top + oy, inner.left + ox + gridW, inner.top + oy + gridH};
    return layout;
}

RECT CellsOnScreen(const RECT& display, int gridW, int gridH, const CellRect& cells) {
    const std::int64_t width = std::int64_t{display.right} - display.left;
    const std::int64_t height = std::int64_t{display.bottom} - display.top;
    if (width <= 0 || height <= 0 || gridW <= 0 || gridH <= 0) {
        return RECT{0, 0, 0, 0};
    }
    std::int64_t left = 0;
    std::int64_t right = 0;
    std::int64_t top = 0;
    std::int64_t bottom = 0;
    CellSpan(cells.left, cells.right, gridW, width, left, right);
    CellSpan(cells.top, cells.bottom, gridH, height, top, bottom);
    return RECT{static_cast<LONG>(std::max<std::int64_t>(display.left + left, display.left)),
                static_cast<LONG>(std::max<std::int64_t>(display.top + top, display.top)),
                static_cast<LONG>(std::min<std::int64_t>(display.left + right, display.right)),
                static_cast<LONG>(std::min<std::int64_t>(display.top + bottom, display.bottom))};
}

#include "ui/DisplayLayout.h"

namespace {

// The frame's border: the picture goes this many pixels inside its rectangle on every side.
constexpr int kFrameBorder = 2;

// The centring offset along one axis: half the surplus, truncated toward zero, and never
// negative, so a picture that does not fit is pinned to the inside's leading edge.
int CentringOffset(int inner, int grid) {
    const int offset = (inner - grid) / 2;
    return offset < 0 ? 0 : offset;
}

} // namespace

DisplayLayout ComputeDisplayLayout(const RECT& frame, int cx, int cy, BOOL stretch, int gridW,
                                   int gridH) {
    DisplayLayout layout{};
    // The right and bottom margins equal the frame's distance from the top.
    layout.frame = RECT{frame.left, frame.top, cx - frame.top, cy - frame.top};

    const RECT inner{layout.frame.left + kFrameBorder, layout.frame.top + kFrameBorder,
                     layout.frame.right - kFrameBorder, layout.frame.bottom - kFrameBorder};
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

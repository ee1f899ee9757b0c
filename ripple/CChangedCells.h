#pragma once

// Which cells of the picture changed since the frame shown last, gathered into a few
// rectangles, so that only those need to reach the screen. With rain most of the water keeps
// its level from one frame to the next, and a large window then repaints a small part of itself.

#include <cstdint>
#include <vector>

// Cells, half-open: columns left..right - 1 and rows top..bottom - 1 of the picture, row 0 at
// the top.
struct CellRect {
    int left;
    int top;
    int right;
    int bottom;
};

class CChangedCells {
public:
    // Compares a frame of width x height 16-bit pixels, rows bottom-up at stride bytes apart as
    // the surface holds them, with the frame compared last, and keeps a copy of it for the next
    // time. Returns the changed cells, each inside one of the rectangles, which never overlap.
    // The first frame after Forget, or one of another size, has changed everywhere.
    const std::vector<CellRect>& Compare(const void* bits, int stride, int width, int height);
    // The frame last compared is no longer what the screen shows (the surface was made anew).
    void Forget();

private:
    void GatherTiles();

    std::vector<std::uint16_t> m_last; // the frame compared last, top row first, no padding
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<std::uint8_t> m_dirty; // one flag per tile, top row of tiles first
    std::vector<CellRect> m_rects;
};

#pragma once

// The fills that bring the X server's picture window up to date: each run of changed cells of one
// colour on a row becomes one rectangle, made taller where the row below repeats it, handed over
// colour by colour. The paint's areas are whole tiles, most of whose cells keep their colour, and
// the server's cost is in the pixels it writes: so the colour each cell shows is remembered and
// only the cells that differ are filled (filling the areas whole measured dearer).

#include "platform/gdi/GdiHandles.h"
#include "platform/winqt/paint/GdiQt.h"
#include "platform/winqt/picture/CPictureCells.h"

#include <QRect>

#include <cstdint>
#include <functional>
#include <vector>

class CXCellFills {
public:
    // One rectangle of a fill request, laid out as the X protocol has it.
    struct Fill {
        std::int16_t x;
        std::int16_t y;
        std::uint16_t width;
        std::uint16_t height;
    };

    CXCellFills();

    // The device pixels from the window's edge that show each source pixel. True when they are
    // new, and everything the window showed is lost.
    bool Place(const AxisMap& columns, const AxisMap& rows);
    // Nothing the window shows is known any more: the server lost some of it.
    void Forget();
    // Queues a fill for every cell touching the areas (the window's pixels) that does not show
    // its colour in the bitmap yet.
    void Update(const GdiObject& bitmap, const std::vector<QRect>& areas);
    // Hands over the queued fills colour by colour, and forgets them.
    void
    Drain(const std::function<void(std::uint16_t pixel, const std::vector<Fill>& fills)>& send);

private:
    // Per cell column, the fill that a run starting there on the row above went into, so that
    // the same run on the next row makes it taller instead of adding another.
    struct Above {
        std::int16_t slot = -1;
        int lastColumn = -1;
        std::size_t index = 0;
    };

    void AddFill(std::uint16_t pixel, int firstColumn, int lastColumn, int cellRow);

    CPictureCells m_cells;
    std::vector<std::uint32_t> m_shown; // each cell's 5-5-5 colour, row by row, or kUnknown
    // The fills of one paint, by colour: a colour's slot in m_fills, or kNoSlot.
    std::vector<std::int16_t> m_slotOf;
    std::vector<std::uint16_t> m_slotPixel;
    std::vector<std::vector<Fill>> m_fills;
    std::vector<Above> m_above;
};

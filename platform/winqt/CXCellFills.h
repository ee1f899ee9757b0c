#pragma once

// What the X server's picture window shows, cell by cell, and the fills that bring it up to date
// with a new picture: the cells are the runs of device pixels that show one bitmap pixel, and
// each changed run of one colour on a row becomes one rectangle, made taller where the row
// below repeats it.

#include "platform/winqt/GdiQt.h"

#include <QRect>

#include <cstdint>
#include <functional>
#include <vector>

class QImage;

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

    // The device pixels from the window's edge that show each source pixel; everything the
    // window showed is lost.
    void Place(const AxisMap& columns, const AxisMap& rows);
    // The cells under area (the window's pixels) no longer show anything known.
    void Forget(const QRect& area);
    // Queues a fill for every cell touching the areas (the window's pixels) that does not show
    // its colour in the 16-bit bitmap yet, and takes the cells to show it from now on.
    void Update(const QImage& bitmap, const std::vector<QRect>& areas);
    // Hands over the queued fills colour by colour, and forgets them.
    void
    Drain(const std::function<void(std::uint16_t pixel, const std::vector<Fill>& fills)>& send);

private:
    // A run of device pixels along one axis that shows one source pixel.
    struct Cell {
        int source = 0;
        int first = 0; // from the window's edge
        int size = 0;
    };
    // A span of cells of one row that the paint's clip touches.
    struct CellRange {
        int first = 0;
        int last = 0;
    };
    // Per cell column, the fill that a run starting there on the row above went into, so that
    // the same run on the next row makes it taller instead of adding another.
    struct Above {
        std::int16_t slot = -1;
        int lastColumn = -1;
        std::size_t index = 0;
    };

    static std::vector<Cell> CellsOf(const AxisMap& axis);
    std::vector<CellRange> RangesOnRow(int row, const std::vector<QRect>& areas) const;
    void AddFill(std::uint16_t pixel, int firstColumn, int lastColumn, int row);

    std::vector<Cell> m_cellColumns;
    std::vector<Cell> m_cellRows;
    std::vector<int> m_cellOfColumn; // per device column of the window, its cell
    std::vector<int> m_cellOfRow;
    // What each cell of the window shows, by the bitmap's 16-bit pixel; kUnknown once lost.
    std::vector<std::uint32_t> m_shown;
    // The fills of one paint, by colour: a colour's slot in m_fills, or kNoSlot.
    std::vector<std::int16_t> m_slotOf;
    std::vector<std::uint16_t> m_slotPixel;
    std::vector<std::vector<Fill>> m_fills;
    std::vector<Above> m_above;
};

#pragma once

// What one target of the picture (a window of the X server's, a buffer, Qt's backing store)
// shows of it, cell by cell, and which cells a new picture changes there. A cell is the block of
// device pixels that shows one pixel of the bitmap, where the copy's axis maps repeat a source
// pixel. A target that knows what its cells show writes only those whose colour differs; on a
// large window it is the pixels left unwritten that make a frame cheap.

#include "platform/winqt/GdiHandles.h"
#include "platform/winqt/GdiQt.h"

#include <QRect>

#include <cstdint>
#include <functional>
#include <vector>

class CShownCells {
public:
    // A run of device pixels along one axis, from the picture's edge, that shows one source pixel.
    struct Cell {
        int source = 0;
        int first = 0;
        int size = 0;
        bool operator==(const Cell&) const = default;
    };
    // Neighbouring cells on one row that have just been given one colour (a 5-5-5 pixel).
    struct Run {
        int row = 0;
        int firstColumn = 0;
        int lastColumn = 0;
        std::uint16_t pixel = 0;
    };
    using Writer = std::function<void(const Run&)>;

    // Lays the cells out from a copy's axis maps. False when they lie as they did, and what the
    // cells show is kept; true when they are new, and nothing is known to be shown.
    bool Place(const AxisMap& columns, const AxisMap& rows);
    const std::vector<Cell>& Columns() const { return m_cellColumns; }
    const std::vector<Cell>& Rows() const { return m_cellRows; }
    // The device pixels a run covers, from the picture's edge.
    QRect Area(const Run& run) const;
    // Whether the bitmap holds the source pixel of every cell.
    bool Fits(const GdiObject& bitmap) const;

    // Nothing, or nothing under area (device pixels from the picture's edge), is known to be
    // shown any more: the target lost it.
    void Forget();
    void Forget(const QRect& area);
    // Whether every cell shows its colour in the bitmap, which must fit.
    bool Shows(const GdiObject& bitmap) const;
    // Row by row from the top, hands write each run of neighbouring cells that touch the areas
    // (device pixels from the picture's edge), do not show their colour in the bitmap yet and
    // take one colour, and takes those cells to show it from now on. The bitmap must fit.
    void Update(const GdiObject& bitmap, const std::vector<QRect>& areas, const Writer& write);

private:
    // A span of cells of one row that the areas touch.
    struct CellRange {
        int first = 0;
        int last = 0;
    };

    std::vector<CellRange> RangesOnRow(int row, const std::vector<QRect>& areas) const;
    std::vector<QRect> Inside(const std::vector<QRect>& areas) const;

    std::vector<Cell> m_cellColumns;
    std::vector<Cell> m_cellRows;
    std::vector<int> m_cellOfColumn; // per device column of the picture, its cell
    std::vector<int> m_cellOfRow;
    // What each cell shows, by the bitmap's 16-bit pixel, row by row; kUnknown once lost.
    std::vector<std::uint32_t> m_shown;
};

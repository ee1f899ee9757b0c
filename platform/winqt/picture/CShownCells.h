#pragma once

// What one target of the picture (a window of the X server's, a buffer, Qt's backing store)
// shows of it, cell by cell, and which cells a new picture changes there. A cell is the block of
// device pixels that shows one pixel of the bitmap, where the copy's axis maps repeat a source
// pixel. A target that knows what its cells show writes only those whose colour differs; on a
// large window it is the pixels left unwritten that make a frame cheap.

#include "platform/gdi/GdiHandles.h"
#include "platform/winqt/paint/GdiQt.h"

#include <QRect>

#include <cstddef>
#include <cstdint>
#include <utility>
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
    // Row by row from the top, hands write (a function of a Run) each run of neighbouring cells
    // that touch the areas (device pixels from the picture's edge), do not show their colour in
    // the bitmap yet and take one colour, and takes those cells to show it from now on. The
    // bitmap must fit. A frame of steady rain has thousands of runs, so write is inlined here.
    template <typename Write>
    void Update(const GdiObject& bitmap, const std::vector<QRect>& areas, Write&& write);

private:
    // A span of cells of one row that the areas touch.
    struct CellRange {
        int first = 0;
        int last = 0;
    };

    static constexpr std::uint16_t kPixelMask = 0x7FFF; // bit 15 of a pixel is not colour

    // The pixels of one row of the picture, whose rows lie bottom-up in memory.
    static const std::uint16_t* RowOf(const GdiObject& bitmap, int row);
    std::vector<QRect> Inside(const std::vector<QRect>& areas) const;
    // The first and last rows of cells that the parts touch; first after last when none.
    std::pair<int, int> RowsTouched(const std::vector<QRect>& parts) const;
    std::vector<CellRange> RangesOnRow(int row, const std::vector<QRect>& parts) const;

    std::vector<Cell> m_cellColumns;
    std::vector<Cell> m_cellRows;
    std::vector<int> m_cellOfColumn; // per device column of the picture, its cell
    std::vector<int> m_cellOfRow;
    // What each cell shows, by the bitmap's 16-bit pixel, row by row; kUnknown once lost.
    std::vector<std::uint32_t> m_shown;
};

// Cells that already show a run's colour are not taken into it, so that nothing that shows its
// colour is written again.
template <typename Write>
void CShownCells::Update(const GdiObject& bitmap, const std::vector<QRect>& areas, Write&& write) {
    const std::vector<QRect> parts = Inside(areas);
    const auto [firstRow, lastRow] = RowsTouched(parts);
    const std::size_t columnCount = m_cellColumns.size();
    // Held here, since write may reach anything through the pointers it is given.
    const Cell* const columns = m_cellColumns.data();
    for (int r = firstRow; r <= lastRow; ++r) {
        const std::uint16_t* in = RowOf(bitmap, m_cellRows[static_cast<std::size_t>(r)].source);
        std::uint32_t* shown = m_shown.data() + static_cast<std::size_t>(r) * columnCount;
        for (const CellRange& range : RangesOnRow(r, parts)) {
            int runStart = -1; // the open run of changed cells of one colour
            std::uint16_t runPixel = 0;
            const auto lastColumn = static_cast<std::size_t>(range.last);
            for (auto c = static_cast<std::size_t>(range.first); c <= lastColumn; ++c) {
                const auto pixel = static_cast<std::uint16_t>(in[columns[c].source] & kPixelMask);
                const bool changed = shown[c] != pixel;
                if (runStart >= 0 && (!changed || pixel != runPixel)) {
                    write(Run{r, runStart, static_cast<int>(c) - 1, runPixel});
                    runStart = -1;
                }
                if (changed) {
                    shown[c] = pixel;
                    if (runStart < 0) {
                        runStart = static_cast<int>(c);
                        runPixel = pixel;
                    }
                }
            }
            if (runStart >= 0) {
                write(Run{r, runStart, range.last, runPixel});
            }
        }
    }
}

#pragma once

// How the picture's cells lie on one target of it (a window of the X server's, a buffer, Qt's
// backing store), and the runs of one colour that show a part of it there. A cell is the block of
// device pixels that shows one pixel of the bitmap, where the copy's axis maps repeat a source
// pixel.

#include "platform/gdi/GdiHandles.h"
#include "platform/winqt/paint/GdiQt.h"

#include <QRect>

#include <cstddef>
#include <cstdint>
#include <vector>

class CPictureCells {
public:
    // A run of device pixels along one axis, from the picture's edge, that shows one source pixel.
    struct Cell {
        int source = 0;
        int first = 0;
        int size = 0;
        bool operator==(const Cell&) const = default;
    };
    // Neighbouring cells on one row that show one colour (a 5-5-5 pixel).
    struct Run {
        int row = 0;
        int firstColumn = 0;
        int lastColumn = 0;
        std::uint16_t pixel = 0;
    };
    // Lays the cells out from a copy's axis maps; true when they are new, and the target must be
    // written whole.
    bool Place(const AxisMap& columns, const AxisMap& rows);
    const std::vector<Cell>& Columns() const { return m_cellColumns; }
    const std::vector<Cell>& Rows() const { return m_cellRows; }
    // The device pixels the picture covers, from its edge.
    QRect Whole() const;
    QRect Area(const Run& run) const;
    // Whether the bitmap holds the source pixel of every cell.
    bool Fits(const GdiObject& bitmap) const;

    // Row by row from the top, hands write each Run that touches the areas (device pixels from
    // the picture's edge). The bitmap must fit. A frame of steady rain has thousands of runs, so
    // write is inlined here.
    template <typename Out>
    void Write(const GdiObject& bitmap, const std::vector<QRect>& areas, Out&& write) const;

private:
    // A span of cells of one row that the areas touch.
    struct CellRange {
        int first = 0;
        int last = 0;
    };

    // The parts of the areas that lie on the picture, and the first and last rows of cells they
    // touch (first after last when none).
    std::vector<QRect> Inside(const std::vector<QRect>& areas, int& firstRow, int& lastRow) const;
    std::vector<CellRange> RangesOnRow(int row, const std::vector<QRect>& parts) const;

    std::vector<Cell> m_cellColumns;
    std::vector<Cell> m_cellRows;
    std::vector<int> m_cellOfColumn; // per device column of the picture, its cell
    std::vector<int> m_cellOfRow;
};

template <typename Out>
void CPictureCells::Write(const GdiObject& bitmap, const std::vector<QRect>& areas,
                          Out&& write) const {
    int firstRow = 0;
    int lastRow = 0;
    const std::vector<QRect> parts = Inside(areas, firstRow, lastRow);
    // Held here, since write may reach anything through the pointers it is given.
    const Cell* const columns = m_cellColumns.data();
    for (int r = firstRow; r <= lastRow; ++r) {
        // The bitmap's rows lie bottom-up in memory.
        const std::ptrdiff_t memoryRow =
            bitmap.height - 1 - m_cellRows[static_cast<std::size_t>(r)].source;
        const auto* in =
            reinterpret_cast<const std::uint16_t*>(bitmap.bits.get() + memoryRow * bitmap.stride);
        for (const CellRange& range : RangesOnRow(r, parts)) {
            int runStart = range.first;
            auto runPixel = static_cast<std::uint16_t>(
                in[columns[static_cast<std::size_t>(runStart)].source] & kColourMask);
            const auto lastColumn = static_cast<std::size_t>(range.last);
            for (auto c = static_cast<std::size_t>(range.first) + 1; c <= lastColumn; ++c) {
                const auto pixel = static_cast<std::uint16_t>(in[columns[c].source] & kColourMask);
                if (pixel != runPixel) {
                    write(Run{r, runStart, static_cast<int>(c) - 1, runPixel});
                    runStart = static_cast<int>(c);
                    runPixel = pixel;
                }
            }
            write(Run{r, runStart, range.last, runPixel});
        }
    }
}

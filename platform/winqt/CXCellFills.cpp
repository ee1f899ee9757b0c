#include "platform/winqt/CXCellFills.h"

#include <QImage>

#include <algorithm>

namespace {

constexpr std::uint32_t kUnknown = 0xFFFFFFFF; // a cell whose pixels the server may have lost
constexpr std::uint16_t kPixelMask = 0x7FFF;   // bit 15 of the bitmap's pixel is not colour
constexpr std::int16_t kNoSlot = -1;           // a colour with no fills in this paint yet
constexpr std::size_t kColourCount = 1 << 15;  // every 5-5-5 pixel

} // namespace

CXCellFills::CXCellFills() : m_slotOf(kColourCount, kNoSlot) {}

std::vector<CXCellFills::Cell> CXCellFills::CellsOf(const AxisMap& axis) {
    std::vector<Cell> cells;
    const int count = static_cast<int>(axis.sources.size());
    for (int at = 0; at < count;) {
        const int source = axis.sources[static_cast<std::size_t>(at)];
        int end = at + 1;
        while (end < count && axis.sources[static_cast<std::size_t>(end)] == source) {
            ++end;
        }
        cells.push_back(Cell{source, at, end - at});
        at = end;
    }
    return cells;
}

void CXCellFills::Place(const AxisMap& columns, const AxisMap& rows) {
    m_cellColumns = CellsOf(columns);
    m_cellRows = CellsOf(rows);
    m_cellOfColumn.resize(columns.sources.size());
    for (std::size_t c = 0; c < m_cellColumns.size(); ++c) {
        const Cell& cell = m_cellColumns[c];
        std::fill_n(m_cellOfColumn.begin() + cell.first, cell.size, static_cast<int>(c));
    }
    m_cellOfRow.resize(rows.sources.size());
    for (std::size_t r = 0; r < m_cellRows.size(); ++r) {
        const Cell& cell = m_cellRows[r];
        std::fill_n(m_cellOfRow.begin() + cell.first, cell.size, static_cast<int>(r));
    }
    m_shown.assign(m_cellColumns.size() * m_cellRows.size(), kUnknown);
}

void CXCellFills::Forget(const QRect& area) {
    if (area.isEmpty() || m_shown.empty()) {
        return;
    }
    const int firstColumn = m_cellOfColumn[static_cast<std::size_t>(area.left())];
    const int lastColumn = m_cellOfColumn[static_cast<std::size_t>(area.right())];
    const int firstRow = m_cellOfRow[static_cast<std::size_t>(area.top())];
    const int lastRow = m_cellOfRow[static_cast<std::size_t>(area.bottom())];
    const std::size_t columnCount = m_cellColumns.size();
    for (int r = firstRow; r <= lastRow; ++r) {
        const auto row = static_cast<std::size_t>(r) * columnCount;
        std::fill(m_shown.begin() + static_cast<std::ptrdiff_t>(row + firstColumn),
                  m_shown.begin() + static_cast<std::ptrdiff_t>(row + lastColumn + 1), kUnknown);
    }
}

// The cells of row that some area (the window's pixels) touches, left to right, each once.
std::vector<CXCellFills::CellRange>
CXCellFills::RangesOnRow(int row, const std::vector<QRect>& areas) const {
    std::vector<CellRange> ranges;
    const Cell& cells = m_cellRows[static_cast<std::size_t>(row)];
    for (const QRect& area : areas) {
        if (area.top() < cells.first + cells.size && area.bottom() >= cells.first) {
            ranges.push_back({m_cellOfColumn[static_cast<std::size_t>(area.left())],
                              m_cellOfColumn[static_cast<std::size_t>(area.right())]});
        }
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const CellRange& a, const CellRange& b) { return a.first < b.first; });
    std::vector<CellRange> merged;
    for (const CellRange& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().last + 1) {
            merged.back().last = std::max(merged.back().last, range.last);
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

// Queues a fill for every cell touching the areas (the window's pixels) that does not show its
// colour yet, row by row from the top, so that the server writes its memory in order. Changed
// neighbours on a row that take the same colour share one rectangle, and a run that repeats the
// one above it exactly makes that one taller. Cells that already show a run's colour are not
// taken into it: on a large window the server's cost is in the pixels it writes.
void CXCellFills::Update(const QImage& bitmap, const std::vector<QRect>& areas) {
    const std::size_t columnCount = m_cellColumns.size();
    m_above.assign(columnCount, Above{});
    int firstRow = static_cast<int>(m_cellRows.size());
    int lastRow = -1;
    for (const QRect& area : areas) {
        firstRow = std::min(firstRow, m_cellOfRow[static_cast<std::size_t>(area.top())]);
        lastRow = std::max(lastRow, m_cellOfRow[static_cast<std::size_t>(area.bottom())]);
    }
    for (int r = firstRow; r <= lastRow; ++r) {
        const Cell& row = m_cellRows[static_cast<std::size_t>(r)];
        // Row 0 of the memory is the bottom row of the picture.
        const auto* in = reinterpret_cast<const std::uint16_t*>(
            bitmap.constScanLine(bitmap.height() - 1 - row.source));
        std::uint32_t* shown = m_shown.data() + static_cast<std::size_t>(r) * columnCount;
        for (const CellRange& range : RangesOnRow(r, areas)) {
            int runStart = -1; // the open run of changed cells of one colour
            std::uint16_t runPixel = 0;
            for (int c = range.first; c <= range.last; ++c) {
                const Cell& column = m_cellColumns[static_cast<std::size_t>(c)];
                const auto pixel = static_cast<std::uint16_t>(in[column.source] & kPixelMask);
                const bool changed = shown[c] != pixel;
                if (runStart >= 0 && (!changed || pixel != runPixel)) {
                    AddFill(runPixel, runStart, c - 1, r);
                    runStart = -1;
                }
                if (changed) {
                    shown[c] = pixel;
                    if (runStart < 0) {
                        runStart = c;
                        runPixel = pixel;
                    }
                }
            }
            if (runStart >= 0) {
                AddFill(runPixel, runStart, range.last, r);
            }
        }
    }
}

void CXCellFills::AddFill(std::uint16_t pixel, int firstColumn, int lastColumn, int row) {
    std::int16_t& slot = m_slotOf[pixel];
    if (slot == kNoSlot) {
        slot = static_cast<std::int16_t>(m_fills.size());
        m_fills.emplace_back();
        m_slotPixel.push_back(pixel);
    }
    std::vector<Fill>& fills = m_fills[static_cast<std::size_t>(slot)];
    const Cell& cells = m_cellRows[static_cast<std::size_t>(row)];
    Above& above = m_above[static_cast<std::size_t>(firstColumn)];
    if (above.slot == slot && above.lastColumn == lastColumn && above.index < fills.size()) {
        Fill& fill = fills[above.index];
        if (fill.y + fill.height == cells.first) {
            fill.height = static_cast<std::uint16_t>(fill.height + cells.size);
            return;
        }
    }
    const Cell& first = m_cellColumns[static_cast<std::size_t>(firstColumn)];
    const Cell& last = m_cellColumns[static_cast<std::size_t>(lastColumn)];
    fills.push_back(Fill{static_cast<std::int16_t>(first.first),
                         static_cast<std::int16_t>(cells.first),
                         static_cast<std::uint16_t>(last.first + last.size - first.first),
                         static_cast<std::uint16_t>(cells.size)});
    above = Above{slot, lastColumn, fills.size() - 1};
}

void CXCellFills::Drain(const std::function<void(std::uint16_t, const std::vector<Fill>&)>& send) {
    for (std::size_t slot = 0; slot < m_fills.size(); ++slot) {
        send(m_slotPixel[slot], m_fills[slot]);
        m_slotOf[m_slotPixel[slot]] = kNoSlot;
    }
    m_fills.clear();
    m_slotPixel.clear();
}

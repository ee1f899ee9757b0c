#include "platform/winqt/picture/CShownCells.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr std::uint32_t kUnknown = 0xFFFFFFFF; // a cell whose pixels the target may have lost

std::vector<CShownCells::Cell> CellsOf(const AxisMap& axis) {
    std::vector<CShownCells::Cell> cells;
    const int count = static_cast<int>(axis.sources.size());
    for (int at = 0; at < count;) {
        const int source = axis.sources[static_cast<std::size_t>(at)];
        int end = at + 1;
        while (end < count && axis.sources[static_cast<std::size_t>(end)] == source) {
            ++end;
        }
        cells.push_back(CShownCells::Cell{source, at, end - at});
        at = end;
    }
    return cells;
}

// Per device pixel along an axis, the cell it belongs to.
std::vector<int> CellOfPixel(const std::vector<CShownCells::Cell>& cells) {
    std::vector<int> cellOf(cells.empty() ? 0 : cells.back().first + cells.back().size);
    for (std::size_t c = 0; c < cells.size(); ++c) {
        std::fill_n(cellOf.begin() + cells[c].first, cells[c].size, static_cast<int>(c));
    }
    return cellOf;
}

} // namespace

bool CShownCells::Place(const AxisMap& columns, const AxisMap& rows) {
    std::vector<Cell> cellColumns = CellsOf(columns);
    std::vector<Cell> cellRows = CellsOf(rows);
    if (cellColumns == m_cellColumns && cellRows == m_cellRows) {
        return false;
    }
    m_cellColumns = std::move(cellColumns);
    m_cellRows = std::move(cellRows);
    m_cellOfColumn = CellOfPixel(m_cellColumns);
    m_cellOfRow = CellOfPixel(m_cellRows);
    m_shown.assign(m_cellColumns.size() * m_cellRows.size(), kUnknown);
    return true;
}

QRect CShownCells::Area(const Run& run) const {
    const Cell& row = m_cellRows[static_cast<std::size_t>(run.row)];
    const Cell& first = m_cellColumns[static_cast<std::size_t>(run.firstColumn)];
    const Cell& last = m_cellColumns[static_cast<std::size_t>(run.lastColumn)];
    return {first.first, row.first, last.first + last.size - first.first, row.size};
}

bool CShownCells::Fits(const GdiObject& bitmap) const {
    // The cells' sources only ever grow along each axis.
    return !m_cellColumns.empty() && !m_cellRows.empty() &&
           m_cellColumns.back().source < bitmap.width && m_cellRows.back().source < bitmap.height;
}

void CShownCells::Forget() {
    std::fill(m_shown.begin(), m_shown.end(), kUnknown);
}

void CShownCells::Forget(const QRect& area) {
    const std::size_t columnCount = m_cellColumns.size();
    for (const QRect& part : Inside({area})) {
        const int firstColumn = m_cellOfColumn[static_cast<std::size_t>(part.left())];
        const int lastColumn = m_cellOfColumn[static_cast<std::size_t>(part.right())];
        for (int r = m_cellOfRow[static_cast<std::size_t>(part.top())];
             r <= m_cellOfRow[static_cast<std::size_t>(part.bottom())]; ++r) {
            const auto row = m_shown.begin() + static_cast<std::ptrdiff_t>(r * columnCount);
            std::fill(row + firstColumn, row + lastColumn + 1, kUnknown);
        }
    }
}

const std::uint16_t* CShownCells::RowOf(const GdiObject& bitmap, int row) {
    const std::ptrdiff_t memoryRow = bitmap.height - 1 - row;
    return reinterpret_cast<const std::uint16_t*>(bitmap.bits.get() + memoryRow * bitmap.stride);
}

bool CShownCells::Shows(const GdiObject& bitmap) const {
    const std::size_t columnCount = m_cellColumns.size();
    for (std::size_t r = 0; r < m_cellRows.size(); ++r) {
        const std::uint16_t* in = RowOf(bitmap, m_cellRows[r].source);
        const std::uint32_t* shown = m_shown.data() + r * columnCount;
        for (std::size_t c = 0; c < columnCount; ++c) {
            if (shown[c] != (in[m_cellColumns[c].source] & kPixelMask)) {
                return false;
            }
        }
    }
    return true;
}

// The parts of the areas that lie on the picture.
std::vector<QRect> CShownCells::Inside(const std::vector<QRect>& areas) const {
    const QRect picture(0, 0, static_cast<int>(m_cellOfColumn.size()),
                        static_cast<int>(m_cellOfRow.size()));
    std::vector<QRect> parts;
    for (const QRect& area : areas) {
        if (const QRect part = area & picture; !part.isEmpty()) {
            parts.push_back(part);
        }
    }
    return parts;
}

std::pair<int, int> CShownCells::RowsTouched(const std::vector<QRect>& parts) const {
    int firstRow = static_cast<int>(m_cellRows.size());
    int lastRow = -1;
    for (const QRect& part : parts) {
        firstRow = std::min(firstRow, m_cellOfRow[static_cast<std::size_t>(part.top())]);
        lastRow = std::max(lastRow, m_cellOfRow[static_cast<std::size_t>(part.bottom())]);
    }
    return {firstRow, lastRow};
}

// The cells of row that some area touches, left to right, each once.
std::vector<CShownCells::CellRange>
CShownCells::RangesOnRow(int row, const std::vector<QRect>& areas) const {
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

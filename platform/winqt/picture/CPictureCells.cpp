#include "platform/winqt/picture/CPictureCells.h"

#include <algorithm>
#include <cstddef>

namespace {

std::vector<CPictureCells::Cell> CellsOf(const AxisMap& axis) {
    std::vector<CPictureCells::Cell> cells;
    const int count = static_cast<int>(axis.sources.size());
    for (int at = 0; at < count;) {
        const int source = axis.sources[static_cast<std::size_t>(at)];
        int end = at + 1;
        while (end < count && axis.sources[static_cast<std::size_t>(end)] == source) {
            ++end;
        }
        cells.push_back(CPictureCells::Cell{source, at, end - at});
        at = end;
    }
    return cells;
}

// Per device pixel along an axis, the cell it belongs to.
std::vector<int> CellOfPixel(const std::vector<CPictureCells::Cell>& cells) {
    std::vector<int> cellOf(cells.empty() ? 0 : cells.back().first + cells.back().size);
    for (std::size_t c = 0; c < cells.size(); ++c) {
        std::fill_n(cellOf.begin() + cells[c].first, cells[c].size, static_cast<int>(c));
    }
    return cellOf;
}

} // namespace

bool CPictureCells::Place(const AxisMap& columns, const AxisMap& rows) {
    std::vector<Cell> cellColumns = CellsOf(columns);
    std::vector<Cell> cellRows = CellsOf(rows);
    if (cellColumns == m_cellColumns && cellRows == m_cellRows) {
        return false;
    }
    m_cellColumns = std::move(cellColumns);
    m_cellRows = std::move(cellRows);
    m_cellOfColumn = CellOfPixel(m_cellColumns);
    m_cellOfRow = CellOfPixel(m_cellRows);
    return true;
}

QRect CPictureCells::Whole() const {
    return {0, 0, static_cast<int>(m_cellOfColumn.size()), static_cast<int>(m_cellOfRow.size())};
}

QRect CPictureCells::Area(const Run& run) const {
    const Cell& row = m_cellRows[static_cast<std::size_t>(run.row)];
    const Cell& first = m_cellColumns[static_cast<std::size_t>(run.firstColumn)];
    const Cell& last = m_cellColumns[static_cast<std::size_t>(run.lastColumn)];
    return {first.first, row.first, last.first + last.size - first.first, row.size};
}

bool CPictureCells::Fits(const GdiObject& bitmap) const {
    // The cells' sources only ever grow along each axis.
    return !m_cellColumns.empty() && !m_cellRows.empty() &&
           m_cellColumns.back().source < bitmap.width && m_cellRows.back().source < bitmap.height;
}

std::vector<QRect> CPictureCells::Inside(const std::vector<QRect>& areas, int& firstRow,
                                         int& lastRow) const {
    const QRect picture = Whole();
    std::vector<QRect> parts;
    firstRow = static_cast<int>(m_cellRows.size());
    lastRow = -1;
    for (const QRect& area : areas) {
        if (const QRect part = area & picture; !part.isEmpty()) {
            parts.push_back(part);
            firstRow = std::min(firstRow, m_cellOfRow[static_cast<std::size_t>(part.top())]);
            lastRow = std::max(lastRow, m_cellOfRow[static_cast<std::size_t>(part.bottom())]);
        }
    }
    return parts;
}

// The cells of row that some area touches, left to right, each once.
std::vector<CPictureCells::CellRange>
CPictureCells::RangesOnRow(int row, const std::vector<QRect>& areas) const {
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

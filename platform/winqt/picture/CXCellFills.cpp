#include "platform/winqt/picture/CXCellFills.h"

#include <algorithm>

namespace {

constexpr std::int16_t kNoSlot = -1;           // a colour with no fills in this paint yet
constexpr std::uint32_t kUnknown = 0xFFFFFFFF; // a cell whose pixels the window may have lost

} // namespace

CXCellFills::CXCellFills() : m_slotOf(kColourCount, kNoSlot) {}

bool CXCellFills::Place(const AxisMap& columns, const AxisMap& rows) {
    if (!m_cells.Place(columns, rows)) {
        return false;
    }
    m_shown.assign(m_cells.Columns().size() * m_cells.Rows().size(), kUnknown);
    return true;
}

void CXCellFills::Forget() {
    std::fill(m_shown.begin(), m_shown.end(), kUnknown);
}

// Row by row from the top, so that the server writes its memory in order.
void CXCellFills::Update(const GdiObject& bitmap, const std::vector<QRect>& areas) {
    const std::size_t columnCount = m_cells.Columns().size();
    m_above.assign(columnCount, Above{});
    // The run's parts go on as they are, so that the run itself never needs to be in memory.
    m_cells.Write(bitmap, areas, [&](const CPictureCells::Run& run) {
        std::uint32_t* shown = m_shown.data() + static_cast<std::size_t>(run.row) * columnCount;
        int changedFrom = -1; // the open part of the run whose cells show another colour
        for (int c = run.firstColumn; c <= run.lastColumn; ++c) {
            if (shown[c] != run.pixel) {
                shown[c] = run.pixel;
                changedFrom = changedFrom < 0 ? c : changedFrom;
            } else if (changedFrom >= 0) {
                AddFill(run.pixel, changedFrom, c - 1, run.row);
                changedFrom = -1;
            }
        }
        if (changedFrom >= 0) {
            AddFill(run.pixel, changedFrom, run.lastColumn, run.row);
        }
    });
}

void CXCellFills::AddFill(std::uint16_t pixel, int firstColumn, int lastColumn, int cellRow) {
    std::int16_t& slot = m_slotOf[pixel];
    if (slot == kNoSlot) {
        slot = static_cast<std::int16_t>(m_fills.size());
        m_fills.emplace_back();
        m_slotPixel.push_back(pixel);
    }
    std::vector<Fill>& fills = m_fills[static_cast<std::size_t>(slot)];
    // Straight from the cells rather than through a rectangle: a frame of rain has thousands.
    const CPictureCells::Cell& row = m_cells.Rows()[static_cast<std::size_t>(cellRow)];
    Above& above = m_above[static_cast<std::size_t>(firstColumn)];
    if (above.slot == slot && above.lastColumn == lastColumn && above.index < fills.size()) {
        Fill& fill = fills[above.index];
        if (fill.y + fill.height == row.first) {
            fill.height = static_cast<std::uint16_t>(fill.height + row.size);
            return;
        }
    }
    const CPictureCells::Cell& first = m_cells.Columns()[static_cast<std::size_t>(firstColumn)];
    const CPictureCells::Cell& last = m_cells.Columns()[static_cast<std::size_t>(lastColumn)];
    fills.push_back(Fill{static_cast<std::int16_t>(first.first),
                         static_cast<std::int16_t>(row.first),
                         static_cast<std::uint16_t>(last.first + last.size - first.first),
                         static_cast<std::uint16_t>(row.size)});
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

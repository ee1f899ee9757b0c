#include "platform/winqt/CXCellFills.h"

namespace {

constexpr std::int16_t kNoSlot = -1;          // a colour with no fills in this paint yet
constexpr std::size_t kColourCount = 1 << 15; // every 5-5-5 pixel

} // namespace

CXCellFills::CXCellFills() : m_slotOf(kColourCount, kNoSlot) {}

void CXCellFills::Place(const AxisMap& columns, const AxisMap& rows) {
    m_shown.Place(columns, rows);
    m_shown.Forget();
}

// Row by row from the top, so that the server writes its memory in order. On a large window
// the server's cost is in the pixels it writes, so only changed cells are filled.
void CXCellFills::Update(const GdiObject& bitmap, const std::vector<QRect>& areas) {
    m_above.assign(m_shown.Columns().size(), Above{});
    m_shown.Update(bitmap, areas, [this](const CShownCells::Run& run) { AddFill(run); });
}

void CXCellFills::AddFill(const CShownCells::Run& run) {
    std::int16_t& slot = m_slotOf[run.pixel];
    if (slot == kNoSlot) {
        slot = static_cast<std::int16_t>(m_fills.size());
        m_fills.emplace_back();
        m_slotPixel.push_back(run.pixel);
    }
    std::vector<Fill>& fills = m_fills[static_cast<std::size_t>(slot)];
    const QRect area = m_shown.Area(run);
    Above& above = m_above[static_cast<std::size_t>(run.firstColumn)];
    if (above.slot == slot && above.lastColumn == run.lastColumn && above.index < fills.size()) {
        Fill& fill = fills[above.index];
        if (fill.y + fill.height == area.top()) {
            fill.height = static_cast<std::uint16_t>(fill.height + area.height());
            return;
        }
    }
    fills.push_back(
        Fill{static_cast<std::int16_t>(area.left()), static_cast<std::int16_t>(area.top()),
             static_cast<std::uint16_t>(area.width()), static_cast<std::uint16_t>(area.height())});
    above = Above{slot, run.lastColumn, fills.size() - 1};
}

void CXCellFills::Drain(const std::function<void(std::uint16_t, const std::vector<Fill>&)>& send) {
    for (std::size_t slot = 0; slot < m_fills.size(); ++slot) {
        send(m_slotPixel[slot], m_fills[slot]);
        m_slotOf[m_slotPixel[slot]] = kNoSlot;
    }
    m_fills.clear();
    m_slotPixel.clear();
}

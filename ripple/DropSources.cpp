#include "ripple/DropSources.h"

#include <algorithm>
#include <iterator>

std::uint32_t g_lastRainTick = 0;
std::uint32_t g_rainInterval = 0;

namespace {

constexpr int kRainIntervalDivisor = 4;   // a random value of 0..32767 becomes 0..8191 ms
constexpr int kRainIntervalBaseMs = 1000; // so a rain interval lies in 1000..9191 ms

bool PointInRect(const DisplayRect& rect, int px, int py) {
    return rect.left <= px && px < rect.right && rect.top <= py && py < rect.bottom;
}

// The cell under an offset into a span of pixels showing cells cells. Worked in 64 bits so that a
// huge rectangle cannot overflow; inside the rectangle the quotient is below cells in size, and
// it truncates toward zero exactly as the 32-bit sum would wherever that sum fits.
int CellAt(std::int32_t point, std::int32_t start, std::int32_t end, int cells) {
    const std::int64_t offset = static_cast<std::int64_t>(point) - start;
    const std::int64_t span = static_cast<std::int64_t>(end) - start;
    return static_cast<int>((offset * cells) / span);
}

} // namespace

void ResetWater(int& nextDrop) {
    std::fill(std::begin(g_drops), std::end(g_drops), RippleDrop{});
    nextDrop = 0;
    g_lastRainTick = 0;
    g_rainInterval = 0;
}

bool AddDropAt(DropTable drops, int& nextDrop, const DisplayRect& display, int gridW, int gridH,
               int px, int py, std::uint32_t tick) {
    if (!PointInRect(display, px, py)) {
        return false;
    }
    const int gx = CellAt(px, display.left, display.right, gridW);
    const int gy = CellAt(py, display.top, display.bottom, gridH);
    InsertDrop(drops, nextDrop, static_cast<double>(gx), static_cast<double>(gy), tick);
    return true;
}

bool MakeRainAt(DropTable drops, int& nextDrop, int gridW, int gridH, const TickSourceFn& tick,
                const RandSourceFn& rand) {
    // With no grid there is no cell to draw; the schedule is left as it was.
    if (gridW <= 0 || gridH <= 0) {
        return false;
    }
    const std::uint32_t t = tick();
    if (static_cast<std::uint32_t>(t - g_lastRainTick) <= g_rainInterval) {
        return false;
    }
    g_lastRainTick = tick();
    g_rainInterval =
        static_cast<std::uint32_t>(rand() / kRainIntervalDivisor + kRainIntervalBaseMs);
    // The cell is drawn from the grid itself, so rain covers the whole water whether it is shown
    // at its natural size or stretched.
    const int gx = rand() % gridW;
    const int gy = rand() % gridH;
    InsertDrop(drops, nextDrop, static_cast<double>(gx), static_cast<double>(gy), tick());
    return true;
}

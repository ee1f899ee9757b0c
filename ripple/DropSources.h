#pragma once

// The two ways drops enter the table: a click on the shown water, and rain.

#include "ripple/RippleDrop.h"

#include <cstdint>
#include <functional>

// The display rectangle in client pixels, the water's place on screen.
struct DisplayRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

using TickSourceFn = std::function<std::uint32_t()>;
using RandSourceFn = std::function<int()>; // 0..32767

// The last rain attempt and the interval that must pass before the next; both start at 0, so
// the first tick with rain on rains at once.
extern std::uint32_t g_lastRainTick;
extern std::uint32_t g_rainInterval;

// Puts the water back as a new process finds it: every slot of g_drops free, nextDrop at slot 0
// and the rain schedule at its first-ever state, so that the next rain call rains at once.
void ResetWater(int& nextDrop);

// Maps a click at client point (px, py) through the display rectangle to a whole grid cell and
// inserts a drop there at tick. A point outside the rectangle adds nothing; returns whether a
// drop was added.
bool AddDropAt(DropTable drops, int& nextDrop, const DisplayRect& display, int gridW, int gridH,
               int px, int py, std::uint32_t tick);

// One rain call: when more than g_rainInterval has passed since the last attempt, draws a new
// interval and a random cell of the grid and drops there. Returns whether a drop was added.
// The tick is read for the test, again for the attempt's time, and once more for the drop;
// the random values are taken in the order interval, column, row. Without a grid nothing happens.
bool MakeRainAt(DropTable drops, int& nextDrop, int gridW, int gridH, const TickSourceFn& tick,
                const RandSourceFn& rand);

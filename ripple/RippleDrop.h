#pragma once

// The drop table: the whole state of the water. Every ring on the surface comes from one of
// these slots; the picture itself is synthesised afresh from them every frame.

#include <cstdint>
#include <span>

struct RippleDrop {
    std::int32_t active; // 1 while the drop is live, 0 when free or retired
    double x;            // column of the centre, in grid cells
    double y;            // row of the centre, in grid cells
    std::uint32_t tick;  // millisecond tick at which the drop fell
};

inline constexpr int kMaxDrops = 10;

// One table per process, zeroed at start, so every slot starts free.
extern RippleDrop g_drops[kMaxDrops];

using DropTable = std::span<RippleDrop, kMaxDrops>;

// Writes slot nextDrop, live and fallen at tick, whether or not that slot is still live, then
// advances nextDrop to the following slot in rotation.
void InsertDrop(DropTable drops, int& nextDrop, double x, double y, std::uint32_t tick);

#include "ripple/RippleDrop.h"

RippleDrop g_drops[kMaxDrops] = {};

void InsertDrop(DropTable drops, int& nextDrop, double x, double y, std::uint32_t tick) {
    // The slot index belongs to the caller; one that has strayed out of 0..9 is brought back into
    // the table rather than trusted to write past its end.
    const int slot = ((nextDrop % kMaxDrops) + kMaxDrops) % kMaxDrops;
    RippleDrop& drop = drops[static_cast<std::size_t>(slot)];
    drop.active = 1;
    drop.x = x;
    drop.y = y;
    drop.tick = tick;
    nextDrop = (slot + 1) % kMaxDrops;
}

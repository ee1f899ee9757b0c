#include "ripple/RippleDrop.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Table = std::array<RippleDrop, kMaxDrops>;

TEST(RippleDropTest, ProcessTableStartsWithEverySlotFree) {
    for (const RippleDrop& drop : g_drops) {
        EXPECT_EQ(drop.active, 0);
        EXPECT_EQ(drop.x, 0.0);
        EXPECT_EQ(drop.y, 0.0);
        EXPECT_EQ(drop.tick, 0u);
    }
}

TEST(RippleDropTest, InsertFillsTheNextSlotAndAdvances) {
    Table drops{};
    int next = 3;
    InsertDrop(drops, next, 7.0, 9.0, 4242u);
    EXPECT_EQ(next, 4);
    EXPECT_EQ(drops[3].active, 1);
    EXPECT_EQ(drops[3].x, 7.0);
    EXPECT_EQ(drops[3].y, 9.0);
    EXPECT_EQ(drops[3].tick, 4242u);
    for (int k = 0; k < kMaxDrops; ++k) {
        if (k != 3) {
            EXPECT_EQ(drops[k].active, 0) << "slot " << k;
        }
    }
}

TEST(RippleDropTest, EleventhDropReplacesTheFirstEvenWhileLive) {
    Table drops{};
    int next = 0;
    for (int n = 0; n < kMaxDrops; ++n) {
        InsertDrop(drops, next, n, n, 1000u + n);
    }
    EXPECT_EQ(next, 0);
    drops[5].active = 0; // a free slot elsewhere is not searched for
    InsertDrop(drops, next, 42.0, 43.0, 2000u);
    EXPECT_EQ(next, 1);
    EXPECT_EQ(drops[0].x, 42.0);
    EXPECT_EQ(drops[0].tick, 2000u);
    EXPECT_EQ(drops[5].active, 0);
    EXPECT_EQ(drops[1].x, 1.0);
}

TEST(RippleDropTest, StraySlotIndexStaysInsideTheTable) {
    struct Case {
        int next;
        int slot;
    };
    for (const Case c : {Case{10, 0}, Case{13, 3}, Case{-1, 9}, Case{-21, 9}}) {
        Table drops{};
        int next = c.next;
        InsertDrop(drops, next, 1.0, 2.0, 5u);
        EXPECT_EQ(drops[c.slot].active, 1) << "index " << c.next;
        EXPECT_EQ(next, (c.slot + 1) % kMaxDrops) << "index " << c.next;
    }
}

} // namespace

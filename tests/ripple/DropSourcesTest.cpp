#include "ripple/DropSources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace {

using Table = std::array<RippleDrop, kMaxDrops>;

struct Click {
    int px;
    int py;
    double gx;
    double gy;
};

TEST(AddDropAtTest, ClickMapsThroughTheDisplayRectangle) {
    struct Case {
        const char* what;
        DisplayRect display;
        int grid;
        Click click;
    };
    const Case cases[] = {
        {"top-left pixel", {219, 100, 319, 200}, 100, {219, 100, 0, 0}},
        {"last pixel", {219, 100, 319, 200}, 100, {318, 199, 99, 99}},
        {"natural size is a plain offset", {219, 100, 319, 200}, 100, {256, 141, 37, 41}},
        {"stretched to 300 pixels", {0, 0, 300, 300}, 100, {150, 299, 50, 99}},
        {"stretched, truncating", {10, 10, 310, 310}, 100, {12, 309, 0, 99}},
        {"shrunk below the grid", {0, 0, 50, 50}, 100, {49, 1, 98, 2}},
        {"negative corner", {-40, -30, 60, 70}, 100, {-40, -1, 0, 29}},
    };
    for (const Case& c : cases) {
        Table drops{};
        int next = 6;
        EXPECT_TRUE(AddDropAt(drops, next, c.display, c.grid, c.grid, c.click.px, c.click.py, 777u))
            << c.what;
        EXPECT_EQ(drops[6].active, 1) << c.what;
        EXPECT_EQ(drops[6].x, c.click.gx) << c.what;
        EXPECT_EQ(drops[6].y, c.click.gy) << c.what;
        EXPECT_EQ(drops[6].tick, 777u) << c.what;
        EXPECT_EQ(next, 7) << c.what;
    }
}

TEST(AddDropAtTest, PointOutsideTheRectangleAddsNothing) {
    const DisplayRect display{219, 100, 319, 200};
    struct Point {
        int px;
        int py;
    };
    for (const Point p : {Point{319, 150}, Point{250, 200}, Point{218, 150}, Point{250, 99}}) {
        Table drops{};
        int next = 4;
        EXPECT_FALSE(AddDropAt(drops, next, display, 100, 100, p.px, p.py, 1u));
        EXPECT_EQ(next, 4);
        EXPECT_EQ(drops[4].active, 0);
    }
}

TEST(AddDropAtTest, EmptyOrInvertedRectangleAcceptsNoPoint) {
    for (const DisplayRect display :
         {DisplayRect{10, 10, 10, 50}, DisplayRect{10, 10, 50, 10}, DisplayRect{50, 50, 10, 10}}) {
        Table drops{};
        int next = 0;
        EXPECT_FALSE(AddDropAt(drops, next, display, 100, 100, 10, 10, 1u));
        EXPECT_FALSE(AddDropAt(drops, next, display, 100, 100, 30, 30, 1u));
        EXPECT_EQ(next, 0);
    }
}

TEST(AddDropAtTest, EleventhClickReplacesTheFirstDrop) {
    const DisplayRect display{0, 0, 100, 100};
    Table drops{};
    int next = 0;
    for (int n = 0; n < 11; ++n) {
        ASSERT_TRUE(AddDropAt(drops, next, display, 100, 100, n, 2 * n, 100u + n));
    }
    EXPECT_EQ(next, 1);
    EXPECT_EQ(drops[0].x, 10.0);
    EXPECT_EQ(drops[0].y, 20.0);
    EXPECT_EQ(drops[0].tick, 110u);
    EXPECT_EQ(drops[1].x, 1.0);
}

TEST(AddDropAtTest, HugeRectanglesDoNotOverflow) {
    // (px - left) * W would overflow 32 bits in each of these; the cell must still be the true
    // quotient, inside the grid.
    struct Case {
        DisplayRect display;
        int px;
        int py;
        double gx;
        double gy;
    };
    const Case cases[] = {
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, INT_MAX - 1, INT_MIN, 199, 0},
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 0, -1, 100, 99},
        {{0, 0, 2000000000, 2000000000}, 1000000000, 1999999999, 100, 199},
        {{-5, -5, 100000000, 100000000}, 30000000, 50000000, 60, 100},
    };
    for (const Case& c : cases) {
        Table drops{};
        int next = 0;
        ASSERT_TRUE(AddDropAt(drops, next, c.display, 200, 200, c.px, c.py, 9u));
        EXPECT_EQ(drops[0].x, c.gx) << c.px;
        EXPECT_EQ(drops[0].y, c.gy) << c.py;
    }
}

TEST(ResetWaterTest, LeavesTheWaterAsANewProcessFindsIt) {
    std::fill(std::begin(g_drops), std::end(g_drops), RippleDrop{1, 3.0, 4.0, 77u});
    g_lastRainTick = 5000;
    g_rainInterval = 1200;
    int next = 6;
    ResetWater(next);
    for (const RippleDrop& drop : g_drops) {
        EXPECT_EQ(drop.active, 0);
        EXPECT_EQ(drop.x, 0.0);
        EXPECT_EQ(drop.y, 0.0);
        EXPECT_EQ(drop.tick, 0u);
    }
    EXPECT_EQ(next, 0);
    EXPECT_EQ(g_lastRainTick, 0u);
    EXPECT_EQ(g_rainInterval, 0u);
}

// Rain reads a scripted tick and rand, and each test starts from the first-ever rain state.
class MakeRainAtTest : public ::testing::Test {
protected:
    void SetUp() override { ResetWater(next); }

    TickSourceFn Ticks(std::vector<std::uint32_t> values) {
        ticks.assign(values.begin(), values.end());
        return [this] {
            log.push_back("tick");
            const std::uint32_t t = ticks.front();
            if (ticks.size() > 1) {
                ticks.pop_front();
            }
            return t;
        };
    }
    RandSourceFn Rands(std::vector<int> values) {
        rands.assign(values.begin(), values.end());
        return [this] {
            log.push_back("rand");
            const int r = rands.front();
            rands.pop_front();
            return r;
        };
    }

    Table drops{};
    int next = 0;
    std::deque<std::uint32_t> ticks;
    std::deque<int> rands;
    std::vector<std::string> log;
};

TEST_F(MakeRainAtTest, FirstCallRainsAtOnceInTheDrawnCell) {
    EXPECT_TRUE(
        MakeRainAt(drops, next, 100, 100, Ticks({5000, 5001, 5002}), Rands({400, 1234, 567})));
    EXPECT_EQ(g_lastRainTick, 5001u) << "the tick is read again after the test";
    EXPECT_EQ(g_rainInterval, 1100u);
    EXPECT_EQ(drops[0].active, 1);
    EXPECT_EQ(drops[0].x, 34.0);
    EXPECT_EQ(drops[0].y, 67.0);
    EXPECT_EQ(drops[0].tick, 5002u);
    EXPECT_EQ(next, 1);
    const std::vector<std::string> order = {"tick", "tick", "rand", "rand", "rand", "tick"};
    EXPECT_EQ(log, order);
}

TEST_F(MakeRainAtTest, RandomValuesAreTakenIntervalThenColumnThenRow) {
    ASSERT_TRUE(MakeRainAt(drops, next, 25, 50, Ticks({100}), Rands({32767, 24, 49})));
    EXPECT_EQ(g_rainInterval, 9191u);
    EXPECT_EQ(drops[0].x, 24.0);
    EXPECT_EQ(drops[0].y, 49.0);
    EXPECT_TRUE(rands.empty());
}

TEST_F(MakeRainAtTest, NoRainUntilMoreThanTheIntervalHasPassed) {
    g_lastRainTick = 10000;
    g_rainInterval = 1500;
    for (std::uint32_t t : {10000u, 10001u, 11000u, 11500u}) {
        log.clear();
        EXPECT_FALSE(MakeRainAt(drops, next, 100, 100, Ticks({t}), Rands({})));
        EXPECT_EQ(log, std::vector<std::string>{"tick"}) << "tick " << t;
        EXPECT_EQ(g_lastRainTick, 10000u);
        EXPECT_EQ(g_rainInterval, 1500u);
    }
    EXPECT_EQ(next, 0);
    EXPECT_TRUE(MakeRainAt(drops, next, 100, 100, Ticks({11501}), Rands({0, 1, 2})));
    EXPECT_EQ(g_lastRainTick, 11501u);
    EXPECT_EQ(g_rainInterval, 1000u);
}

TEST_F(MakeRainAtTest, IntervalIsMeasuredAcrossTheTickWrap) {
    g_lastRainTick = 0xFFFFFF00u;
    g_rainInterval = 1000;
    EXPECT_FALSE(MakeRainAt(drops, next, 100, 100, Ticks({0x100u}), Rands({})));
    EXPECT_TRUE(MakeRainAt(drops, next, 100, 100, Ticks({0x2E9u}), Rands({0, 0, 0})));
}

TEST_F(MakeRainAtTest, IntervalsAndCellsStayInRangeOverManyRains) {
    // A long run with every random value in turn, from both ends of the range.
    std::vector<int> values;
    for (int v = 0; v <= 32767; v += 7) {
        values.push_back(v);
        values.push_back(32767 - v);
        values.push_back(v / 2);
    }
    const RandSourceFn rand = Rands(values);
    std::uint32_t now = 0;
    while (rands.size() >= 3) {
        now += 10000;
        ASSERT_TRUE(MakeRainAt(drops, next, 75, 150, Ticks({now}), rand));
        ASSERT_GE(g_rainInterval, 1000u);
        ASSERT_LE(g_rainInterval, 9191u);
        const RippleDrop& drop =
            drops[static_cast<std::size_t>((next + kMaxDrops - 1) % kMaxDrops)];
        ASSERT_GE(drop.x, 0.0);
        ASSERT_LE(drop.x, 74.0);
        ASSERT_GE(drop.y, 0.0);
        ASSERT_LE(drop.y, 149.0);
    }
}

TEST_F(MakeRainAtTest, WithoutAGridNoRainIsDrawn) {
    for (const auto& [w, h] : {std::pair{0, 100}, std::pair{100, 0}, std::pair{-25, -25}}) {
        log.clear();
        EXPECT_FALSE(MakeRainAt(drops, next, w, h, Ticks({5000}), Rands({1, 2, 3})));
        EXPECT_TRUE(log.empty());
        EXPECT_EQ(g_lastRainTick, 0u);
        EXPECT_EQ(g_rainInterval, 0u);
    }
}

} // namespace

#include "ripple/RippleField.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Table = std::array<RippleDrop, kMaxDrops>;

constexpr unsigned char kUntouched = 0xAB;
constexpr std::uint16_t kCalm = 0x0010;
constexpr std::uint16_t kCalmTinted = 0x1510;

// A bottom-up 16-bit picture as the surface holds it: rows padded to four bytes, every byte
// filled beforehand so that a write where none belongs shows.
struct Picture {
    int width;
    int height;
    int stride;
    int rows;
    std::vector<unsigned char> bytes;

    Picture(int w, int h, int extraRows = 0)
        : width(w), height(h), stride((w * 2 + 3) & ~3), rows(h + extraRows),
          bytes(static_cast<std::size_t>(stride) * rows, kUntouched) {}

    void Render(const FieldOptions& options, std::uint32_t now, Table& drops) {
        SynthesizeField(width, height, options, now, drops, bytes.data(), stride, rows);
    }

    std::uint16_t PixelInMemory(int memoryRow, int column) const {
        std::uint16_t pixel;
        std::memcpy(&pixel, &bytes[static_cast<std::size_t>(stride) * memoryRow + 2 * column], 2);
        return pixel;
    }
    std::uint16_t Pixel(int column, int row) const { return PixelInMemory(rows - 1 - row, column); }
    int Level(int column, int row) const { return Pixel(column, row) & 31; }

    std::vector<int> RowLevels(int row) const {
        std::vector<int> levels;
        for (int j = 0; j < width; ++j) {
            levels.push_back(Level(j, row));
        }
        return levels;
    }
};

Table OneDrop(double x, double y, std::uint32_t tick) {
    Table drops{};
    drops[0] = RippleDrop{1, x, y, tick};
    return drops;
}

constexpr std::uint32_t kNow = 1000000;

TEST(RippleFieldTest, WorkedFramesMatchLevelForLevel) {
    struct Case {
        std::uint32_t tick;
        std::vector<int> row12;
    };
    const Case cases[] = {
        {999000, {21, 26, 27, 24, 17, 10, 4,  3,  7,  14, 23, 30, 31,
                  30, 23, 14, 7,  3,  4,  10, 17, 24, 27, 26, 21}},
        {995000, {18, 20, 20, 19, 17, 14, 11, 11, 12, 15, 19, 22, 22,
                  22, 19, 15, 12, 11, 11, 14, 17, 19, 20, 20, 18}},
    };
    for (const Case& c : cases) {
        Picture picture(25, 25);
        Table drops = OneDrop(12, 12, c.tick);
        picture.Render({}, kNow, drops);
        EXPECT_EQ(picture.RowLevels(12), c.row12) << "age " << kNow - c.tick;
    }
}

TEST(RippleFieldTest, YoungRingReachesOnlyCellsInsideItsFront) {
    Picture picture(25, 25);
    Table drops = OneDrop(12, 12, 999000);
    picture.Render({}, kNow, drops);
    const std::vector<int> row0 = {16, 16, 16, 16, 16, 16, 16, 16, 16, 19, 20, 21, 21,
                                   21, 20, 19, 16, 16, 16, 16, 16, 16, 16, 16, 16};
    EXPECT_EQ(picture.RowLevels(0), row0);
}

TEST(RippleFieldTest, CalmWaterIsLevelSixteenTintedOrNot) {
    struct Case {
        bool addColor;
        std::uint16_t pixel;
    };
    for (const Case c : {Case{false, kCalm}, Case{true, kCalmTinted}}) {
        Picture picture(25, 25);
        Table drops{};
        drops[4] = RippleDrop{0, 12, 12, kNow - 1000}; // a free slot is never drawn
        picture.Render({.addColor = c.addColor}, kNow, drops);
        for (int i = 0; i < 25; ++i) {
            for (int j = 0; j < 25; ++j) {
                ASSERT_EQ(picture.Pixel(j, i), c.pixel) << "cell " << j << "," << i;
            }
        }
    }
}

TEST(RippleFieldTest, LevelsClampAtBothEndsAndTintFollowsTheLevel) {
    // The worked drop's centre sums to 32; two coincident drops push its trough at column 7
    // (level 3 alone) far below level 0.
    Picture picture(25, 25);
    Table drops = OneDrop(12, 12, 999000);
    drops[1] = drops[0];
    picture.Render({.addColor = true}, kNow, drops);
    EXPECT_EQ(picture.Pixel(12, 12), 0x29FF);
    EXPECT_EQ(picture.Pixel(7, 12), 0x0000);
}

TEST(RippleFieldTest, SpectrumStripRunsFromLevelZeroToThirtyOneOverTheWater) {
    for (bool addColor : {false, true}) {
        Picture picture(100, 100);
        Table drops = OneDrop(5, 5, kNow - 3000); // water under the strip that it must replace
        picture.Render({.spectrum = true, .addColor = addColor}, kNow, drops);
        EXPECT_EQ(picture.Level(0, 0), 0);
        EXPECT_EQ(picture.Level(9, 99), 31);
        for (int i = 0; i < 100; ++i) {
            const int s = 32 * i / 100;
            const int red = addColor ? s / 3 : 0;
            const int green = addColor ? s / 2 : 0;
            const auto strip = static_cast<std::uint16_t>((red << 10) | (green << 5) | s);
            for (int j = 0; j < 10; ++j) {
                ASSERT_EQ(picture.Pixel(j, i), strip) << "cell " << j << "," << i;
            }
        }
        EXPECT_NE(picture.Level(10, 5), 16) << "the water resumes after the strip";
    }
}

TEST(RippleFieldTest, DropOfTheSameMillisecondReachesNoCell) {
    Picture picture(25, 25);
    Table drops = OneDrop(12, 12, kNow);
    picture.Render({}, kNow, drops);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(picture.RowLevels(i), std::vector<int>(25, 16)) << "row " << i;
    }
    EXPECT_EQ(drops[0].active, 1);
}

TEST(RippleFieldTest, AgeDampingStartsOnlyAfterTwoSeconds) {
    // Ages 2000 and 2001 differ only in the divisor (the front barely moves and the phase comes
    // from the tick), and these ticks put the centre's value just across a level boundary.
    struct Case {
        std::uint32_t now;
        int levelAt2000;
        int levelAt2001;
    };
    for (const Case c : {Case{1000070, 29, 28}, Case{1000312, 5, 6}}) {
        for (std::uint32_t age : {2000u, 2001u}) {
            Picture picture(25, 25);
            Table drops = OneDrop(12, 12, c.now - age);
            picture.Render({}, c.now, drops);
            EXPECT_EQ(picture.Level(12, 12), age == 2000u ? c.levelAt2000 : c.levelAt2001)
                << "now " << c.now << " age " << age;
        }
    }
}

TEST(RippleFieldTest, DropLivesAtFifteenSecondsAndRetiresAfter) {
    // At this tick the phase is near a whole turn, so the old drop's centre still shows.
    constexpr std::uint32_t now = 999960;
    for (bool drift : {false, true}) {
        Picture picture(25, 25);
        Table drops = OneDrop(12, 12, now - 15000);
        picture.Render({.drift = drift}, now, drops);
        EXPECT_EQ(drops[0].active, 1) << "drift " << drift;
        EXPECT_EQ(picture.Level(12, 12), 18) << "drift " << drift;
    }
    for (bool drift : {false, true}) {
        Picture picture(25, 25);
        Table drops = OneDrop(12, 12, now - 15001);
        picture.Render({.drift = drift}, now, drops);
        EXPECT_EQ(drops[0].active, 0) << "drift " << drift;
        EXPECT_EQ(picture.Level(12, 12), 16) << "drift " << drift;
        // Drift steps before the lifetime test, once, at the evaluation that retires the drop.
        EXPECT_EQ(drops[0].x, drift ? 12.0 + 0.00005 : 12.0);
        EXPECT_EQ(drops[0].y, drift ? 12.0 + 0.00002 : 12.0);
    }
}

TEST(RippleFieldTest, DriftMovesALiveDropOncePerEvaluatedCell) {
    Picture picture(100, 100);
    Table drops = OneDrop(50, 50, kNow - 1000);
    drops[3] = RippleDrop{1, 20, 70, kNow - 500};
    picture.Render({.drift = true}, kNow, drops);
    EXPECT_NEAR(drops[0].x, 50.5, 1e-9);
    EXPECT_NEAR(drops[0].y, 50.2, 1e-9);
    EXPECT_NEAR(drops[3].x, 20.5, 1e-9);
    EXPECT_NEAR(drops[3].y, 70.2, 1e-9);
    EXPECT_EQ(drops[1].x, 0.0) << "free slots stay where they are";
}

TEST(RippleFieldTest, EachCellMeasuresTheDropBeforeItsDriftStep) {
    // At this tick cell (6, 5) lies just below the boundary of level 25; measured from the drop's
    // position after its step, rather than before, it would cross it.
    constexpr std::uint32_t now = 1000009;
    Picture picture(25, 25);
    Table drops = OneDrop(12, 12, now - 1000);
    picture.Render({.drift = true}, now, drops);
    EXPECT_EQ(picture.Level(6, 5), 24);
}

TEST(RippleFieldTest, DropFromJustBeforeTheTickWrapIsYoungAfterIt) {
    Picture picture(25, 25);
    Table drops = OneDrop(12, 12, 0xFFFFFF00u);
    picture.Render({}, 0x100u, drops); // age 512 ms: front radius about 6.4 cells
    EXPECT_EQ(drops[0].active, 1);
    EXPECT_EQ(picture.Level(12, 12), 14);
    EXPECT_EQ(picture.Level(12, 5), 16);
}

TEST(RippleFieldTest, DropOutsideASmallerGridStillRingsIntoIt) {
    Picture young(25, 25);
    Table drops = OneDrop(80, 80, kNow - 1000);
    young.Render({}, kNow, drops);
    EXPECT_EQ(young.Level(24, 24), 16) << "a young ring has not arrived yet";

    Picture grown(25, 25);
    drops = OneDrop(80, 80, kNow - 10000);
    grown.Render({}, kNow, drops);
    int rippled = 0;
    for (int i = 0; i < 25; ++i) {
        for (int j = 0; j < 25; ++j) {
            rippled += grown.Level(j, i) != 16 ? 1 : 0;
        }
    }
    EXPECT_GT(rippled, 0);
    EXPECT_EQ(drops[0].x, 80.0);
    EXPECT_EQ(drops[0].y, 80.0);
}

TEST(RippleFieldTest, TopScreenRowIsTheLastRowInMemory) {
    Picture picture(25, 25, 3); // a buffer taller than the grid
    Table drops{};
    picture.Render({.spectrum = true}, kNow, drops);
    EXPECT_EQ(picture.PixelInMemory(27, 0), 0) << "screen row 0";
    EXPECT_EQ(picture.PixelInMemory(3, 0), 32 * 24 / 25) << "screen row 24";
    for (int memoryRow = 0; memoryRow < 3; ++memoryRow) {
        for (int b = 0; b < picture.stride; ++b) {
            ASSERT_EQ(picture.bytes[static_cast<std::size_t>(memoryRow * picture.stride + b)],
                      kUntouched)
                << "memory row " << memoryRow;
        }
    }
}

TEST(RippleFieldTest, RowPaddingIsLeftAlone) {
    Picture picture(25, 25); // 50 bytes of pixels in a 52-byte row
    ASSERT_EQ(picture.stride, 52);
    Table drops = OneDrop(12, 12, kNow - 1000);
    picture.Render({.spectrum = true, .addColor = true}, kNow, drops);
    for (int r = 0; r < picture.rows; ++r) {
        EXPECT_EQ(picture.bytes[static_cast<std::size_t>(r * 52 + 50)], kUntouched);
        EXPECT_EQ(picture.bytes[static_cast<std::size_t>(r * 52 + 51)], kUntouched);
    }
}

TEST(RippleFieldTest, GridThatDoesNotFitItsBufferIsRefusedWhole) {
    struct Case {
        const char* what;
        int width;
        int height;
        int stride;
        int rows;
    };
    const Case cases[] = {
        {"no rows", 25, 0, 52, 25},
        {"negative rows", 25, -3, 52, 25},
        {"rows wider than the stride", 27, 25, 52, 25},
        {"more rows than the buffer", 25, 26, 52, 25},
        {"no stride", 25, 25, 0, 25},
        {"buffer without rows", 25, 25, 52, 0},
    };
    for (const Case& c : cases) {
        // The buffer handed in sits inside a larger one, so a write before its start shows too.
        std::vector<unsigned char> bytes(52 * 40, kUntouched);
        unsigned char* const bits = bytes.data() + 52 * 5;
        Table drops = OneDrop(12, 12, kNow - 15001);
        drops[1] = RippleDrop{1, 3, 4, kNow - 1000};
        SynthesizeField(c.width, c.height, {.drift = true, .spectrum = true}, kNow, drops, bits,
                        c.stride, c.rows);
        EXPECT_EQ(bytes, std::vector<unsigned char>(52 * 40, kUntouched)) << c.what;
        EXPECT_EQ(drops[0].active, 1) << c.what << ": nothing evaluated, nothing retired";
        EXPECT_EQ(drops[1].x, 3.0) << c.what << ": nothing evaluated, nothing moved";
    }
}

TEST(RippleFieldTest, NullPixelMemoryIsIgnored) {
    Table drops = OneDrop(12, 12, kNow - 1000);
    SynthesizeField(25, 25, {.drift = true}, kNow, drops, nullptr, 52, 25);
    EXPECT_EQ(drops[0].x, 12.0);
}

TEST(RippleFieldTest, StripNarrowsToAGridNarrowerThanItself) {
    Picture picture(6, 4); // 12 bytes a row, no padding: the strip may not spill into row two
    std::vector<unsigned char> tail(8, kUntouched);
    picture.bytes.insert(picture.bytes.end(), tail.begin(), tail.end());
    Table drops{};
    picture.Render({.spectrum = true}, kNow, drops);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 6; ++j) {
            EXPECT_EQ(picture.Level(j, i), 32 * i / 4);
        }
    }
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), picture.bytes.end() - 8));
}

} // namespace

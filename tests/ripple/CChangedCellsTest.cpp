#include "ripple/CChangedCells.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// A bottom-up 16-bit frame with padded rows, as the surface holds it.
struct Frame {
    Frame(int w, int h) : width(w), height(h), stride((w * 2 + 3) & ~3) {
        words.assign(static_cast<std::size_t>(stride / 2) * static_cast<std::size_t>(h), 16);
    }
    // Picture row 0 is the top, the last row in memory.
    std::uint16_t& At(int x, int y) {
        return words[static_cast<std::size_t>(height - 1 - y) *
                         static_cast<std::size_t>(stride / 2) +
                     static_cast<std::size_t>(x)];
    }
    int width;
    int height;
    int stride;
    std::vector<std::uint16_t> words;
};

const std::vector<CellRect>& CompareWith(CChangedCells& changes, Frame& frame) {
    return changes.Compare(frame.words.data(), frame.stride, frame.width, frame.height);
}

bool Inside(const CellRect& r, int x, int y) {
    return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

TEST(CChangedCells, AFrameWithNothingToCompareWithHasChangedEverywhere) {
    CChangedCells changes;
    Frame frame(25, 25);
    ASSERT_EQ(CompareWith(changes, frame).size(), 1U);
    EXPECT_EQ(CompareWith(changes, frame).size(), 0U) << "the same frame again";
    // Padding is not picture: a change there is no change.
    frame.words[static_cast<std::size_t>(frame.stride / 2 - 1)] = 0;
    EXPECT_EQ(CompareWith(changes, frame).size(), 0U) << "a change in the padding";

    Frame larger(50, 50);
    const auto& whole = CompareWith(changes, larger);
    ASSERT_EQ(whole.size(), 1U);
    EXPECT_EQ(whole[0].right, 50);
    EXPECT_EQ(whole[0].bottom, 50);

    changes.Forget();
    EXPECT_EQ(CompareWith(changes, larger).size(), 1U) << "after Forget";
}

// One changed cell is reported within a small square round it, at the picture's row (memory is
// bottom-up), even in the ragged last tiles of a grid that is no multiple of the tile.
TEST(CChangedCells, OneChangedCellGivesOneSmallRectangleAroundIt) {
    const struct {
        int grid, x, y;
    } cases[] = {{25, 0, 0}, {25, 24, 24}, {25, 3, 20}, {200, 199, 0}, {200, 100, 57}};
    for (const auto& c : cases) {
        CChangedCells changes;
        Frame frame(c.grid, c.grid);
        CompareWith(changes, frame);
        frame.At(c.x, c.y) = 31;
        const auto& rects = CompareWith(changes, frame);
        ASSERT_EQ(rects.size(), 1U) << c.grid << " at " << c.x << ", " << c.y;
        const CellRect r = rects[0];
        EXPECT_TRUE(Inside(r, c.x, c.y)) << c.grid << " at " << c.x << ", " << c.y;
        EXPECT_LE(r.right - r.left, 8);
        EXPECT_LE(r.bottom - r.top, 8);
        EXPECT_LE(r.right, c.grid);
        EXPECT_LE(r.bottom, c.grid);
    }
}

// Rings and scattered specks: every changed cell lies in exactly one rectangle, within the grid,
// and there are only a few rectangles however the changes lie.
TEST(CChangedCells, EveryChangedCellIsInExactlyOneOfAFewRectangles) {
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        const int grid = 25 * (1 + static_cast<int>(random() % 8));
        CChangedCells changes;
        Frame frame(grid, grid);
        CompareWith(changes, frame);
        std::vector<std::vector<bool>> changed(static_cast<std::size_t>(grid),
                                               std::vector<bool>(static_cast<std::size_t>(grid)));
        const int rings = static_cast<int>(random() % 4);
        const int specks = round % 3 == 0 ? static_cast<int>(random() % 300) : 0;
        for (int k = 0; k < rings; ++k) {
            const int cx = static_cast<int>(random() % static_cast<unsigned>(grid));
            const int cy = static_cast<int>(random() % static_cast<unsigned>(grid));
            const int radius = 1 + static_cast<int>(random() % static_cast<unsigned>(grid));
            for (int y = 0; y < grid; ++y) {
                for (int x = 0; x < grid; ++x) {
                    const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                    if (d2 < radius * radius && (x + y) % 3 != 0) {
                        changed[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = true;
                    }
                }
            }
        }
        for (int k = 0; k < specks; ++k) {
            changed[random() % static_cast<unsigned>(grid)]
                   [random() % static_cast<unsigned>(grid)] = true;
        }
        for (int y = 0; y < grid; ++y) {
            for (int x = 0; x < grid; ++x) {
                if (changed[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]) {
                    frame.At(x, y) ^= 1;
                }
            }
        }
        const std::vector<CellRect> rects = CompareWith(changes, frame);
        EXPECT_LE(rects.size(), 25U) << "round " << round;
        for (const CellRect& r : rects) {
            ASSERT_TRUE(0 <= r.left && r.left < r.right && r.right <= grid && 0 <= r.top &&
                        r.top < r.bottom && r.bottom <= grid)
                << "round " << round;
        }
        for (int y = 0; y < grid; ++y) {
            for (int x = 0; x < grid; ++x) {
                int holders = 0;
                for (const CellRect& r : rects) {
                    holders += Inside(r, x, y) ? 1 : 0;
                }
                ASSERT_LE(holders, 1)
                    << "round " << round << ": rectangles overlap at " << x << ", " << y;
                if (changed[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]) {
                    ASSERT_EQ(holders, 1) << "round " << round << ": " << x << ", " << y;
                }
            }
        }
        EXPECT_EQ(CompareWith(changes, frame).size(), 0U) << "round " << round;
    }
}

} // namespace

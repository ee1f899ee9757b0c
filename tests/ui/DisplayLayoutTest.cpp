#include "ui/DisplayLayout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>

// Printing rectangles makes a failed comparison say where things went.
static std::ostream& operator<<(std::ostream& out, const RECT& rc) {
    return out << "(" << rc.left << ", " << rc.top << ")-(" << rc.right << ", " << rc.bottom << ")";
}

static bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

struct LayoutCase {
    const char* name;
    RECT frame; // before, dialog client coordinates
    int cx;
    int cy;
    BOOL stretch;
    int gridW;
    int gridH;
    RECT expectedFrame;
    RECT expectedDisplay;
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << c.name;
}

class DisplayLayoutCases : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(DisplayLayoutCases, PlacesFrameAndPicture) {
    const LayoutCase& c = GetParam();
    const DisplayLayout layout =
        ComputeDisplayLayout(c.frame, c.cx, c.cy, c.stretch, c.gridW, c.gridH);
    EXPECT_EQ(layout.frame, c.expectedFrame);
    EXPECT_EQ(layout.display, c.expectedDisplay);
}

// The frame's starting right and bottom edges never matter: only its top-left corner does.
constexpr RECT kFrameAt150x11{150, 11, 500, 400};

INSTANTIATE_TEST_SUITE_P(
    WorkedCases, DisplayLayoutCases,
    ::testing::Values(
        // 400 x 300: frame (150, 11)-(389, 289), inside (152, 13)-(387, 287), 235 x 274.
        LayoutCase{"CentredWhenTheGridFits", kFrameAt150x11, 400, 300, FALSE, 100, 100,
                   RECT{150, 11, 389, 289}, RECT{219, 100, 319, 200}},
        LayoutCase{"StretchFillsTheInside", kFrameAt150x11, 400, 300, TRUE, 100, 100,
                   RECT{150, 11, 389, 289}, RECT{152, 13, 387, 287}},
        LayoutCase{"StretchIgnoresTheGridSize", kFrameAt150x11, 400, 300, TRUE, 200, 200,
                   RECT{150, 11, 389, 289}, RECT{152, 13, 387, 287}},
        // 300 x 200: inside (152, 13)-(287, 187), 135 x 174; 150 does not fit across.
        LayoutCase{"PinnedLeftWhereTooWide", kFrameAt150x11, 300, 200, FALSE, 150, 150,
                   RECT{150, 11, 289, 189}, RECT{152, 25, 302, 175}},
        LayoutCase{"PinnedToTheCornerWhereTooBig", kFrameAt150x11, 300, 200, FALSE, 200, 200,
                   RECT{150, 11, 289, 189}, RECT{152, 13, 352, 213}},
        // A surplus of 5 pixels gives an offset of 2: the odd pixel stays right and below.
        LayoutCase{"SurplusOfFiveGivesTwo", RECT{10, 0, 0, 0}, 39, 29, FALSE, 20, 20,
                   RECT{10, 0, 39, 29}, RECT{14, 4, 34, 24}},
        // Check states other than exactly 1 count as unchecked.
        LayoutCase{"IndeterminateIsNotStretch", kFrameAt150x11, 400, 300, 2, 100, 100,
                   RECT{150, 11, 389, 289}, RECT{219, 100, 319, 200}},
        // A client area smaller than the margins: frame and inside come out empty or inverted,
        // and only the two offsets are clamped.
        LayoutCase{"EmptyFrameWhenTheClientIsTooSmall", kFrameAt150x11, 161, 22, FALSE, 25, 25,
                   RECT{150, 11, 150, 11}, RECT{152, 13, 177, 38}},
        LayoutCase{"InvertedInsideWithStretch", kFrameAt150x11, 100, 20, TRUE, 25, 25,
                   RECT{150, 11, 89, 9}, RECT{152, 13, 87, 7}},
        LayoutCase{"InvertedFrameKeepsThePictureAtTheCorner", kFrameAt150x11, 100, 20, FALSE, 100,
                   100, RECT{150, 11, 89, 9}, RECT{152, 13, 252, 113}},
        LayoutCase{"ZeroClientSize", RECT{5, 5, 50, 50}, 0, 0, TRUE, 25, 25, RECT{5, 5, -5, -5},
                   RECT{7, 7, -7, -7}},
        LayoutCase{"NegativeClientSize", RECT{5, 5, 50, 50}, -10, -20, FALSE, 25, 25,
                   RECT{5, 5, -15, -25}, RECT{7, 7, 32, 32}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

// The frame's edge, two pixels wide unless the window system draws it wider on a scaled screen.
TEST(DisplayLayout, InsideIsTheFramesBorderWithinTheFrameOnEverySide) {
    for (const int border : {kFrameBorder, 3, 4}) {
        const DisplayLayout layout =
            ComputeDisplayLayout(RECT{30, 20, 0, 0}, 640, 480, TRUE, 50, 50, border);
        EXPECT_EQ(layout.display.left - layout.frame.left, border);
        EXPECT_EQ(layout.display.top - layout.frame.top, border);
        EXPECT_EQ(layout.frame.right - layout.display.right, border);
        EXPECT_EQ(layout.frame.bottom - layout.display.bottom, border);
        // Right and bottom margins equal the distance from the top.
        EXPECT_EQ(640 - layout.frame.right, 20);
        EXPECT_EQ(480 - layout.frame.bottom, 20);
    }
}

TEST(DisplayLayout, NaturalSizeIsOnePixelPerCell) {
    for (int grid = 25; grid <= 200; grid += 25) {
        const DisplayLayout layout =
            ComputeDisplayLayout(RECT{123, 11, 0, 0}, 345, 231, FALSE, grid, grid);
        EXPECT_EQ(layout.display.right - layout.display.left, grid) << grid;
        EXPECT_EQ(layout.display.bottom - layout.display.top, grid) << grid;
    }
}

// A screen's scale rounded to whole device pixels per cell, halves up: 125 % keeps one pixel,
// 150 % and 175 % take two, as 200 % does. A window with no DPI of its own still gets one.
TEST(DisplayLayout, CellsAreTheScaleRoundedToWholeDevicePixels) {
    struct {
        UINT dpi;
        int pixels;
    } const cases[] = {{96, 1},  {120, 1}, {143, 1}, {144, 2}, {168, 2},
                       {192, 2}, {240, 3}, {288, 3}, {48, 1},  {0, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(CellPixels(c.dpi), c.pixels) << c.dpi << " dpi";
    }
}

} // namespace

// Whatever the sizes and the device pixel ratio, every device pixel that shows one of the cells
// lies within the client pixels the cells are said to be on, and those lie in the display.
TEST(DisplayLayout, CellsOnScreenCoverEveryDevicePixelShowingThem) {
    std::mt19937 random(3);
    auto pick = [&random](int low, int high) {
        return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
    };
    for (int round = 0; round < 3000; ++round) {
        const int grid = 25 * pick(1, 8);
        const RECT display{pick(-50, 300), pick(-50, 300), 0, 0};
        const RECT shown{display.left, display.top, display.left + pick(1, 4000),
                         display.top + pick(1, 2500)};
        const int from = pick(0, grid - 1);
        const int to = pick(from + 1, grid);
        const CellRect cells{from, from, to, to};
        const RECT on = CellsOnScreen(shown, grid, grid, cells);
        ASSERT_TRUE(on.left >= shown.left && on.right <= shown.right && on.left < on.right &&
                    on.top >= shown.top && on.bottom <= shown.bottom && on.top < on.bottom)
            << on << " outside " << shown;
        // The rows follow the rule of the columns.
        const RECT across = CellsOnScreen(RECT{shown.top, shown.left, shown.bottom, shown.right},
                                          grid, grid, CellRect{0, from, grid, to});
        ASSERT_EQ(across.top, on.left) << "rows " << from << ".." << to << " in " << shown;
        ASSERT_EQ(across.bottom, on.right) << "rows " << from << ".." << to << " in " << shown;
        for (const int ratio : {1, 2, 3}) {
            const std::int64_t size = std::int64_t{shown.right - shown.left} * ratio;
            for (std::int64_t j = 0; j < size; ++j) {
                const std::int64_t cell = j * grid / size;
                const std::int64_t client = shown.left + j / ratio;
                if (cell >= from && cell < to) {
                    ASSERT_TRUE(on.left <= client && client < on.right)
                        << "device pixel " << j << " at ratio " << ratio << " shows cell " << cell
                        << " of " << from << ".." << to << " outside " << on << " in " << shown;
                }
            }
        }
    }
    EXPECT_EQ(CellsOnScreen(RECT{10, 10, 10, 50}, 100, 100, CellRect{0, 0, 100, 100}),
              (RECT{0, 0, 0, 0}));
}

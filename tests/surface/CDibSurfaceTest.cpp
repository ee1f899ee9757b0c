#include "surface/CDibSurface.h"

#include "platform/gdi/PixelFormat.h"

#include "tests/surface/CBitmapTarget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

// The blue of the pattern that names each pixel by its place: red = column, green = row.
constexpr int kPatternBlue = 21;

WORD Pixel(int red, int green, int blue) {
    return static_cast<WORD>((red << 10) | (green << 5) | blue);
}

// The colour a 16-bit pixel must show as on a 32-bit device.
DWORD Widened(WORD pixel) {
    return WidenPixel(pixel);
}

WORD* PictureRow(CDibSurface& surface, int y) {
    // The picture's top row is the last row in memory.
    auto* bytes = static_cast<unsigned char*>(surface.m_pBits);
    return reinterpret_cast<WORD*>(bytes + (surface.Height() - 1 - y) * surface.Stride());
}

void PaintPlaces(CDibSurface& surface) {
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            PictureRow(surface, y)[x] = Pixel(x, y, kPatternBlue);
        }
    }
}

// Which picture pixel of the place pattern a colour shows, or nothing when it is no pixel of
// the pattern at all (a blend, or not drawn).
std::optional<std::pair<int, int>> PlaceOf(DWORD colour) {
    const int x = static_cast<int>((colour >> 19) & 31);
    const int y = static_cast<int>((colour >> 11) & 31);
    if (colour != Widened(Pixel(x, y, kPatternBlue))) {
        return std::nullopt;
    }
    return std::make_pair(x, y);
}

void ExpectEmpty(const CDibSurface& surface) {
    EXPECT_EQ(surface.m_pbmi, nullptr);
    EXPECT_EQ(surface.m_pBits, nullptr);
    EXPECT_EQ(surface.m_hBitmap, nullptr);
    EXPECT_EQ(surface.m_hMemDC, nullptr);
    EXPECT_EQ(surface.m_hOldBitmap, nullptr);
    EXPECT_EQ(surface.Width(), 0);
    EXPECT_EQ(surface.Height(), 0);
    EXPECT_EQ(surface.Stride(), 0);
}

// Sizes and the row padding they need.

struct SizeCase {
    const char* name;
    int cx;
    int cy;
    int stride;
    DWORD sizeImage;
};

void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.name;
}

class SurfaceSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SurfaceSizeTest, PadsRowsToWholeWordsAndSizesTheImage) {
    const SizeCase& c = GetParam();
    CDibSurface surface;
    ASSERT_EQ(surface.Create(c.cx, c.cy, 0), TRUE);
    EXPECT_EQ(surface.Width(), c.cx);
    EXPECT_EQ(surface.Height(), c.cy);
    EXPECT_EQ(surface.Stride(), c.stride);
    EXPECT_EQ(surface.m_pbmi->bmiHeader.biSizeImage, c.sizeImage);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SurfaceSizeTest,
                         ::testing::Values(SizeCase{"Grid25", 25, 25, 52, 1300},
                                           SizeCase{"Grid100", 100, 100, 200, 20000},
                                           SizeCase{"Grid200", 200, 200, 400, 80000},
                                           SizeCase{"OnePixel", 1, 1, 4, 4},
                                           SizeCase{"OddWidth3", 3, 2, 8, 16},
                                           SizeCase{"OddWidth7Tall", 7, 40, 16, 640}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SurfaceTest, NewSurfaceIsEmpty) {
    CDibSurface surface;
    ExpectEmpty(surface);
    EXPECT_EQ(surface.Fill(0x1234), FALSE);
}

TEST(SurfaceTest, CreateWritesEveryHeaderFieldAndZeroesTheRest) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
    const BITMAPINFOHEADER& header = surface.m_pbmi->bmiHeader;
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 25);
    EXPECT_EQ(header.biHeight, 25);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 16);
    EXPECT_EQ(header.biCompression, BI_RGB);
    EXPECT_EQ(header.biSizeImage, 1300u);
    EXPECT_EQ(header.biXPelsPerMeter, 0);
    EXPECT_EQ(header.biYPelsPerMeter, 0);
    EXPECT_EQ(header.biClrUsed, 0u);
    EXPECT_EQ(header.biClrImportant, 0u);
    const RGBQUAD& colour = surface.m_pbmi->bmiColors[0];
    EXPECT_EQ(colour.rgbBlue | colour.rgbGreen | colour.rgbRed | colour.rgbReserved, 0);
    EXPECT_NE(surface.m_pBits, nullptr);
    EXPECT_NE(surface.m_hBitmap, nullptr);
    EXPECT_NE(surface.m_hMemDC, nullptr);
}

// Filling.

TEST(SurfaceTest, CreateAndFillWriteEveryWordIncludingRowPadding) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(25, 25, 0xBEEF), TRUE);
    const auto* words = static_cast<const WORD*>(surface.m_pBits);
    EXPECT_EQ(std::count(words, words + 650, 0xBEEF), 650);
    ASSERT_EQ(surface.Fill(0x1234), TRUE);
    EXPECT_EQ(std::count(words, words + 650, 0x1234), 650);
}

// Sizes that cannot be made.

struct BadSizeCase {
    const char* name;
    int cx;
    int cy;
};

void PrintTo(const BadSizeCase& c, std::ostream* os) {
    *os << c.name;
}

class SurfaceBadSizeTest : public ::testing::TestWithParam<BadSizeCase> {};

TEST_P(SurfaceBadSizeTest, FailsAndLeavesEveryMemberNull) {
    CDibSurface surface;
    EXPECT_EQ(surface.Create(GetParam().cx, GetParam().cy, 0), FALSE);
    ExpectEmpty(surface);
}

TEST_P(SurfaceBadSizeTest, EmptiesASurfaceThatExisted) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
    EXPECT_EQ(surface.Create(GetParam().cx, GetParam().cy, 0), FALSE);
    ExpectEmpty(surface);
}

INSTANTIATE_TEST_SUITE_P(BadSizes, SurfaceBadSizeTest,
                         ::testing::Values(BadSizeCase{"ZeroWidth", 0, 10},
                                           BadSizeCase{"NegativeHeight", 10, -1},
                                           BadSizeCase{"BothZero", 0, 0},
                                           BadSizeCase{"BothNegative", -5, -5},
                                           BadSizeCase{"StrideOverflows", INT_MAX, 1},
                                           BadSizeCase{"HeightTooLarge", 1, INT_MAX},
                                           BadSizeCase{"ImageOverflows", 46341, 46341}),
                         [](const auto& info) { return std::string(info.param.name); });

// Releasing.

TEST(SurfaceTest, FreeAndRecreateAtEverySize) {
    CDibSurface surface;
    for (int size = 25; size <= 200; size += 25) {
        ASSERT_EQ(surface.Create(size, size, 0), TRUE);
        EXPECT_EQ(surface.Width(), size);
        EXPECT_NE(surface.m_hMemDC, nullptr);
    }
    surface.Free();
    ExpectEmpty(surface);
    surface.Free();
    ExpectEmpty(surface);
    ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
}

// Copying to a device.

constexpr DWORD kUntouched = CBitmapTarget::kUntouched;

TEST(SurfaceBlitTest, NullRectanglesCopyUnscaledToTheOrigin) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
    PaintPlaces(surface);
    CBitmapTarget target(40, 30);
    surface.Blit(target.Dc(), nullptr, nullptr);
    for (int y = 0; y < target.Height(); ++y) {
        for (int x = 0; x < target.Width(); ++x) {
            const DWORD expected =
                x < 25 && y < 25 ? Widened(Pixel(x, y, kPatternBlue)) : kUntouched;
            ASSERT_EQ(target.At(x, y), expected) << "at " << x << "," << y;
        }
    }
}

TEST(SurfaceBlitTest, TopRowOfThePictureLandsAtTheTop) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(4, 2, 0), TRUE);
    const WORD red = Pixel(31, 0, 0);
    const WORD blue = Pixel(0, 0, 31);
    std::fill_n(PictureRow(surface, 0), 4, red);
    std::fill_n(PictureRow(surface, 1), 4, blue);
    // Memory starts with the bottom row.
    EXPECT_EQ(static_cast<const WORD*>(surface.m_pBits)[0], blue);
    CBitmapTarget target(4, 2);
    surface.Blit(target.Dc(), nullptr, nullptr);
    EXPECT_EQ(target.At(0, 0), 0xFF0000u);
    EXPECT_EQ(target.At(3, 1), 0x0000FFu);
}

TEST(SurfaceBlitTest, EveryChannelValueShowsExactly) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(32, 32, 0), TRUE);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            // Bit 15 is set in every other pixel: it means nothing and must show nowhere.
            PictureRow(surface, y)[x] =
                static_cast<WORD>(Pixel(x, y, (x + y) % 32) | (x % 2) << 15);
        }
    }
    CBitmapTarget target(32, 32);
    surface.Blit(target.Dc(), nullptr, nullptr);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(target.At(x, y), Widened(Pixel(x, y, (x + y) % 32)))
                << "at " << x << "," << y;
        }
    }
}

TEST(SurfaceBlitTest, SourceRectangleCopiesThatPartOnly) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
    PaintPlaces(surface);
    CBitmapTarget target(20, 20);
    const RECT dest = {2, 3, 12, 13};
    const RECT src = {5, 6, 15, 16};
    surface.Blit(target.Dc(), &dest, &src);
    EXPECT_EQ(target.At(2, 3), Widened(Pixel(5, 6, kPatternBlue)));
    EXPECT_EQ(target.At(11, 12), Widened(Pixel(14, 15, kPatternBlue)));
    EXPECT_EQ(target.At(1, 3), kUntouched);
    EXPECT_EQ(target.At(12, 12), kUntouched);
}

TEST(SurfaceBlitTest, LeavesTheTargetInColorOnColorMode) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
    CBitmapTarget target(25, 25);
    surface.Blit(target.Dc(), nullptr, nullptr);
    EXPECT_EQ(SetStretchBltMode(target.Dc()->m_hDC, 1), COLORONCOLOR);
}

TEST(SurfaceBlitTest, NullTargetOrEmptySurfaceDoesNothing) {
    CDibSurface surface;
    CBitmapTarget target(30, 30);
    surface.Blit(target.Dc(), nullptr, nullptr);
    ASSERT_EQ(surface.Create(25, 25, 0x7FFF), TRUE);
    surface.Blit(nullptr, nullptr, nullptr);
    CDC noDevice;
    surface.Blit(&noDevice, nullptr, nullptr);
    surface.Free();
    surface.Blit(target.Dc(), nullptr, nullptr);
    EXPECT_TRUE(target.IsUntouched());
}

// Rectangles with nothing in them. StretchBlt would mirror the picture into an inverted one.
struct EmptyRectCase {
    const char* name;
    RECT dest;
    RECT src;
};

void PrintTo(const EmptyRectCase& c, std::ostream* os) {
    *os << c.name;
}

class SurfaceEmptyRectTest : public ::testing::TestWithParam<EmptyRectCase> {};

TEST_P(SurfaceEmptyRectTest, DrawsNothing) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(25, 25, 0x7FFF), TRUE);
    CBitmapTarget target(40, 40);
    surface.Blit(target.Dc(), &GetParam().dest, &GetParam().src);
    EXPECT_TRUE(target.IsUntouched());
}

constexpr RECT kWhole = {0, 0, 25, 25};
constexpr RECT kInside = {5, 5, 30, 30};

INSTANTIATE_TEST_SUITE_P(
    EmptyRectangles, SurfaceEmptyRectTest,
    ::testing::Values(EmptyRectCase{"ZeroWidth", {5, 5, 5, 20}, kWhole},
                      EmptyRectCase{"ZeroHeight", {5, 5, 20, 5}, kWhole},
                      EmptyRectCase{"Inverted", {20, 20, 5, 5}, kWhole},
                      EmptyRectCase{"NegativeHeight", {5, 5, 20, -3}, kWhole},
                      EmptyRectCase{"WiderThanAnInt", {INT_MIN, 0, INT_MAX, 20}, kWhole},
                      EmptyRectCase{"EmptySource", kInside, {0, 5, 25, 5}},
                      EmptyRectCase{"InvertedSource", kInside, {25, 0, 0, 25}}),
    [](const auto& info) { return std::string(info.param.name); });

// A destination reaching past the target's edges: what lies on the target is what the whole
// copy shows there, at the same scale, and nothing else is written.
TEST(SurfaceBlitTest, DestinationPartlyOffTheTargetIsClippedAtTheSameScale) {
    constexpr int kWidth = 8;
    constexpr int kHeight = 6;
    constexpr int kFree = 8; // where the whole copy stands, clear of every edge
    CDibSurface surface;
    ASSERT_EQ(surface.Create(5, 3, 0), TRUE);
    PaintPlaces(surface);
    CBitmapTarget whole(kWidth + 2 * kFree, kHeight + 2 * kFree);
    const RECT free = {kFree, kFree, kFree + kWidth, kFree + kHeight};
    surface.Blit(whole.Dc(), &free, nullptr);
    for (const POINT at : {POINT{-3, -2}, POINT{3, 2}, POINT{-1, 4}, POINT{-kWidth, 0}}) {
        CBitmapTarget target(6, 4);
        const RECT dest = {at.x, at.y, at.x + kWidth, at.y + kHeight};
        surface.Blit(target.Dc(), &dest, nullptr);
        for (int y = 0; y < target.Height(); ++y) {
            for (int x = 0; x < target.Width(); ++x) {
                const bool inside =
                    x >= dest.left && x < dest.right && y >= dest.top && y < dest.bottom;
                const DWORD expected =
                    inside ? whole.At(x - at.x + kFree, y - at.y + kFree) : kUntouched;
                ASSERT_EQ(target.At(x, y), expected)
                    << "placed at " << at.x << "," << at.y << ", at " << x << "," << y;
            }
        }
    }
}

// Scaling: each destination pixel is a whole source pixel, whole rows and columns repeat or
// drop, order is kept and the picture keeps its corners.

struct ScaleCase {
    const char* name;
    int srcW;
    int srcH;
    int destW;
    int destH;
};

void PrintTo(const ScaleCase& c, std::ostream* os) {
    *os << c.name;
}

class SurfaceScaleTest : public ::testing::TestWithParam<ScaleCase> {};

// How often each source index shows along one axis of the destination.
void ExpectEvenSpread(const std::map<int, int>& uses, int srcSize, int destSize, const char* axis) {
    if (destSize >= srcSize) {
        EXPECT_EQ(static_cast<int>(uses.size()), srcSize) << axis << ": a source line was lost";
        for (const auto& [source, count] : uses) {
            EXPECT_GE(count, destSize / srcSize) << axis << " " << source;
            EXPECT_LE(count, (destSize + srcSize - 1) / srcSize) << axis << " " << source;
        }
        return;
    }
    EXPECT_EQ(static_cast<int>(uses.size()), destSize) << axis << ": a source line was repeated";
    int previous = -1;
    for (const auto& [source, count] : uses) {
        if (previous >= 0) {
            EXPECT_GE(source - previous, srcSize / destSize) << axis << " " << source;
            EXPECT_LE(source - previous, (srcSize + destSize - 1) / destSize)
                << axis << " " << source;
        }
        previous = source;
    }
}

TEST_P(SurfaceScaleTest, CopiesWholePixelsInOrderWithoutBlending) {
    const ScaleCase& c = GetParam();
    constexpr int kLeft = 3;
    constexpr int kTop = 4;
    CDibSurface surface;
    ASSERT_EQ(surface.Create(c.srcW, c.srcH, 0), TRUE);
    PaintPlaces(surface);
    CBitmapTarget target(kLeft + c.destW + 5, kTop + c.destH + 5);
    const RECT dest = {kLeft, kTop, kLeft + c.destW, kTop + c.destH};
    surface.Blit(target.Dc(), &dest, nullptr);

    std::map<int, int> columnOf; // destination column -> source column
    std::map<int, int> rowOf;    // destination row -> source row
    for (int y = 0; y < target.Height(); ++y) {
        for (int x = 0; x < target.Width(); ++x) {
            const bool inside =
                x >= kLeft && x < kLeft + c.destW && y >= kTop && y < kTop + c.destH;
            if (!inside) {
                ASSERT_EQ(target.At(x, y), kUntouched) << "outside at " << x << "," << y;
                continue;
            }
            const auto place = PlaceOf(target.At(x, y));
            ASSERT_TRUE(place.has_value()) << "not a source pixel at " << x << "," << y;
            // One source column per destination column and one source row per destination row.
            ASSERT_EQ(columnOf.try_emplace(x, place->first).first->second, place->first);
            ASSERT_EQ(rowOf.try_emplace(y, place->second).first->second, place->second);
        }
    }

    std::map<int, int> columnUses;
    std::map<int, int> rowUses;
    int previous = -1;
    for (const auto& [x, source] : columnOf) {
        EXPECT_GE(source, previous) << "columns out of order at " << x;
        previous = source;
        ++columnUses[source];
    }
    previous = -1;
    for (const auto& [y, source] : rowOf) {
        EXPECT_GE(source, previous) << "rows out of order at " << y;
        previous = source;
        ++rowUses[source];
    }
    // Each edge shows one of the source lines that would be dropped into its pixel, the top row
    // of the picture at the top: exactly the first and last lines when enlarging.
    const int columnsPerPixel = (c.srcW + c.destW - 1) / c.destW;
    const int rowsPerPixel = (c.srcH + c.destH - 1) / c.destH;
    EXPECT_LT(columnOf.at(kLeft), columnsPerPixel);
    EXPECT_GE(columnOf.at(kLeft + c.destW - 1), c.srcW - columnsPerPixel);
    EXPECT_LT(rowOf.at(kTop), rowsPerPixel) << "the picture's top row must be at the top";
    EXPECT_GE(rowOf.at(kTop + c.destH - 1), c.srcH - rowsPerPixel);
    ExpectEvenSpread(columnUses, c.srcW, c.destW, "columns");
    ExpectEvenSpread(rowUses, c.srcH, c.destH, "rows");
}

INSTANTIATE_TEST_SUITE_P(Scales, SurfaceScaleTest,
                         ::testing::Values(ScaleCase{"Unscaled", 25, 25, 25, 25},
                                           ScaleCase{"Enlarge3x", 10, 10, 30, 30},
                                           ScaleCase{"Enlarge2_5x", 10, 10, 25, 25},
                                           ScaleCase{"Shrink2_5x", 25, 25, 10, 10},
                                           ScaleCase{"ShrinkSlightly", 25, 25, 24, 23},
                                           ScaleCase{"WideAndShort", 20, 8, 7, 30},
                                           ScaleCase{"OneToMany", 1, 1, 9, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

// Which source column each destination column shows, as Windows' own GDI picks them: these rows
// were read back from its StretchBlt under Wine, and the tests run there against it too.
TEST(SurfaceBlitTest, StretchPicksTheSourcePixelsWindowsPicks) {
    struct Pick {
        int srcW;
        std::vector<int> columns;
    };
    const Pick picks[] = {
        {10, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4, 4, 5, 5, 6, 6, 6, 7, 7, 8, 8, 8, 9, 9}},
        {7, {0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3,
             3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 5, 6, 6, 6, 6}},
        {4, {0, 0, 1, 2, 2, 3}},
        {25, {2, 4, 7, 9, 12, 14, 17, 19, 22, 24}},
        {25,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
        {12, {1, 4, 6, 9, 11}},
        {6, {1, 2, 4, 5}},
    };
    for (const Pick& pick : picks) {
        const int destW = static_cast<int>(pick.columns.size());
        CDibSurface surface;
        ASSERT_EQ(surface.Create(pick.srcW, 1, 0), TRUE);
        PaintPlaces(surface);
        CBitmapTarget target(destW, 1);
        const RECT dest = {0, 0, destW, 1};
        surface.Blit(target.Dc(), &dest, nullptr);
        for (int x = 0; x < destW; ++x) {
            const auto place = PlaceOf(target.At(x, 0));
            ASSERT_TRUE(place.has_value()) << pick.srcW << " to " << destW << " at " << x;
            EXPECT_EQ(place->first, pick.columns[static_cast<std::size_t>(x)])
                << pick.srcW << " to " << destW << " at " << x;
        }
    }
}

} // namespace

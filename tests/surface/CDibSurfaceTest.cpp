#include "surface/CDibSurface.h"

#include "platform/winqt/GdiQt.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

namespace {

// Qt never makes this colour from a 16-bit pixel (5-bit channels widen to 0, 8, 16, ...), so a
// pixel that still has it was not drawn.
const QRgb kUntouched = qRgb(1, 2, 3);
// The blue of the pattern that names each pixel by its place: red = column, green = row.
constexpr int kPatternBlue = 21;

WORD Pixel(int red, int green, int blue) {
    return static_cast<WORD>((red << 10) | (green << 5) | blue);
}

// The colour a 16-bit pixel must show as on a 32-bit device: each channel widened from 5 bits
// to 8 by repeating its top bits, as every exact conversion does.
QRgb Widened(WORD pixel) {
    auto widen = [](int five) { return (five << 3) | (five >> 2); };
    return qRgb(widen((pixel >> 10) & 31), widen((pixel >> 5) & 31), widen(pixel & 31));
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
std::optional<std::pair<int, int>> PlaceOf(QRgb colour) {
    const int x = qRed(colour) >> 3;
    const int y = qGreen(colour) >> 3;
    if (colour != Widened(Pixel(x, y, kPatternBlue))) {
        return std::nullopt;
    }
    return std::make_pair(x, y);
}

// An offscreen image with a painter DC over it, as a window's paint event would give.
class ImageTarget {
public:
    explicit ImageTarget(int width, int height, QImage::Format format = QImage::Format_RGB32)
        : m_image(width, height, format) {
        m_image.fill(kUntouched);
        m_painter.begin(&m_image);
        m_dc.m_hDC = CreatePainterDC(&m_painter);
    }
    ~ImageTarget() { Finish(); }

    CDC* Dc() { return &m_dc; }

    const QImage& Finish() {
        if (m_dc.m_hDC != nullptr) {
            ReleasePainterDC(m_dc.m_hDC);
            m_dc.m_hDC = nullptr;
        }
        if (m_painter.isActive()) {
            m_painter.end();
        }
        return m_image;
    }

private:
    QImage m_image;
    QPainter m_painter;
    CDC m_dc;
};

bool IsUntouched(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kUntouched) {
                return false;
            }
        }
    }
    return true;
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

class SurfaceTest : public ::testing::Test {
protected:
    void TearDown() override {
        FailNextDibSections(0);
        FailNextMemoryDCs(0);
    }
};

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

TEST_F(SurfaceTest, NewSurfaceIsEmpty) {
    CDibSurface surface;
    ExpectEmpty(surface);
    EXPECT_EQ(surface.Fill(0x1234), FALSE);
}

TEST_F(SurfaceTest, CreateWritesEveryHeaderFieldAndZeroesTheRest) {
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

TEST_F(SurfaceTest, CreateAndFillWriteEveryWordIncludingRowPadding) {
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
    const int before = LiveGdiHandleCount();
    CDibSurface surface;
    EXPECT_EQ(surface.Create(GetParam().cx, GetParam().cy, 0), FALSE);
    ExpectEmpty(surface);
    EXPECT_EQ(LiveGdiHandleCount(), before);
}

TEST_P(SurfaceBadSizeTest, EmptiesASurfaceThatExisted) {
    const int before = LiveGdiHandleCount();
    CDibSurface surface;
    ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
    EXPECT_EQ(surface.Create(GetParam().cx, GetParam().cy, 0), FALSE);
    ExpectEmpty(surface);
    EXPECT_EQ(LiveGdiHandleCount(), before);
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

TEST_F(SurfaceTest, FreeRecreateAndDestroyGiveBackEveryHandle) {
    const int before = LiveGdiHandleCount();
    {
        CDibSurface surface;
        for (int size = 25; size <= 200; size += 25) {
            ASSERT_EQ(surface.Create(size, size, 0), TRUE);
            EXPECT_EQ(surface.Width(), size);
            EXPECT_EQ(LiveGdiHandleCount(), before + 2) << "a bitmap and its memory DC";
        }
        surface.Free();
        ExpectEmpty(surface);
        EXPECT_EQ(LiveGdiHandleCount(), before);
        surface.Free();
        ExpectEmpty(surface);
        ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
    }
    EXPECT_EQ(LiveGdiHandleCount(), before);
}

// Failures injected into the graphics calls.

TEST_F(SurfaceTest, FailedBitmapLeavesTheSurfaceEmptyAndTheNextCreateWorks) {
    const int before = LiveGdiHandleCount();
    CDibSurface surface;
    FailNextDibSections(2);
    EXPECT_EQ(surface.Create(25, 25, 0), FALSE);
    ExpectEmpty(surface);
    EXPECT_EQ(surface.Create(50, 50, 0), FALSE);
    ExpectEmpty(surface);
    EXPECT_EQ(LiveGdiHandleCount(), before);
    EXPECT_EQ(surface.Create(75, 75, 0), TRUE);
    EXPECT_EQ(surface.Width(), 75);
    EXPECT_NE(surface.m_pBits, nullptr);
}

TEST_F(SurfaceTest, WithoutAMemoryDcTheSurfaceExistsButBlitDrawsNothing) {
    const int before = LiveGdiHandleCount();
    CDibSurface surface;
    FailNextMemoryDCs(1);
    ASSERT_EQ(surface.Create(25, 25, 0x7FFF), TRUE);
    EXPECT_EQ(surface.m_hMemDC, nullptr);
    EXPECT_NE(surface.m_pBits, nullptr);
    EXPECT_EQ(surface.Fill(0x001F), TRUE);
    ImageTarget target(40, 40);
    surface.Blit(target.Dc(), nullptr, nullptr);
    EXPECT_TRUE(IsUntouched(target.Finish()));
    surface.Free();
    EXPECT_EQ(LiveGdiHandleCount(), before);
}

// Copying to a device.

class SurfaceBlitTest : public SurfaceTest {};

TEST_F(SurfaceBlitTest, NullRectanglesCopyUnscaledToTheOrigin) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
    PaintPlaces(surface);
    ImageTarget target(40, 30);
    surface.Blit(target.Dc(), nullptr, nullptr);
    const QImage& image = target.Finish();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb expected =
                x < 25 && y < 25 ? Widened(Pixel(x, y, kPatternBlue)) : kUntouched;
            ASSERT_EQ(image.pixel(x, y), expected) << "at " << x << "," << y;
        }
    }
}

TEST_F(SurfaceBlitTest, TopRowOfThePictureLandsAtTheTop) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(4, 2, 0), TRUE);
    const WORD red = Pixel(31, 0, 0);
    const WORD blue = Pixel(0, 0, 31);
    std::fill_n(PictureRow(surface, 0), 4, red);
    std::fill_n(PictureRow(surface, 1), 4, blue);
    // Memory starts with the bottom row.
    EXPECT_EQ(static_cast<const WORD*>(surface.m_pBits)[0], blue);
    ImageTarget target(4, 2);
    surface.Blit(target.Dc(), nullptr, nullptr);
    const QImage& image = target.Finish();
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(3, 1), qRgb(0, 0, 255));
}

TEST_F(SurfaceBlitTest, EveryChannelValueShowsExactlyOnEachCommonDeviceFormat) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(32, 32, 0), TRUE);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            PictureRow(surface, y)[x] = Pixel(x, y, (x + y) % 32);
        }
    }
    for (QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied}) {
        ImageTarget target(32, 32, format);
        surface.Blit(target.Dc(), nullptr, nullptr);
        const QImage& image = target.Finish();
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                ASSERT_EQ(image.pixel(x, y), Widened(Pixel(x, y, (x + y) % 32)))
                    << "format " << format << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(SurfaceBlitTest, SourceRectangleCopiesThatPartOnly) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
    PaintPlaces(surface);
    ImageTarget target(20, 20);
    const RECT dest = {2, 3, 12, 13};
    const RECT src = {5, 6, 15, 16};
    surface.Blit(target.Dc(), &dest, &src);
    const QImage& image = target.Finish();
    EXPECT_EQ(image.pixel(2, 3), Widened(Pixel(5, 6, kPatternBlue)));
    EXPECT_EQ(image.pixel(11, 12), Widened(Pixel(14, 15, kPatternBlue)));
    EXPECT_EQ(image.pixel(1, 3), kUntouched);
    EXPECT_EQ(image.pixel(12, 12), kUntouched);
}

TEST_F(SurfaceBlitTest, LeavesTheTargetInColorOnColorMode) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
    ImageTarget target(25, 25);
    surface.Blit(target.Dc(), nullptr, nullptr);
    EXPECT_EQ(SetStretchBltMode(target.Dc()->m_hDC, 1), COLORONCOLOR);
}

TEST_F(SurfaceBlitTest, NullTargetOrEmptySurfaceDoesNothing) {
    CDibSurface surface;
    ImageTarget target(30, 30);
    surface.Blit(target.Dc(), nullptr, nullptr);
    ASSERT_EQ(surface.Create(25, 25, 0x7FFF), TRUE);
    surface.Blit(nullptr, nullptr, nullptr);
    CDC noDevice;
    surface.Blit(&noDevice, nullptr, nullptr);
    surface.Free();
    surface.Blit(target.Dc(), nullptr, nullptr);
    EXPECT_TRUE(IsUntouched(target.Finish()));
}

struct EmptyDestCase {
    const char* name;
    RECT dest;
};

void PrintTo(const EmptyDestCase& c, std::ostream* os) {
    *os << c.name;
}

class SurfaceEmptyDestTest : public ::testing::TestWithParam<EmptyDestCase> {};

TEST_P(SurfaceEmptyDestTest, DrawsNothing) {
    CDibSurface surface;
    ASSERT_EQ(surface.Create(25, 25, 0x7FFF), TRUE);
    ImageTarget target(40, 40);
    surface.Blit(target.Dc(), &GetParam().dest, nullptr);
    EXPECT_TRUE(IsUntouched(target.Finish()));
}

INSTANTIATE_TEST_SUITE_P(EmptyDestinations, SurfaceEmptyDestTest,
                         ::testing::Values(EmptyDestCase{"ZeroWidth", {5, 5, 5, 20}},
                                           EmptyDestCase{"ZeroHeight", {5, 5, 20, 5}},
                                           EmptyDestCase{"Inverted", {20, 20, 5, 5}},
                                           EmptyDestCase{"NegativeHeight", {5, 5, 20, -3}},
                                           EmptyDestCase{"WiderThanAnInt",
                                                         {INT_MIN, 0, INT_MAX, 20}}),
                         [](const auto& info) { return std::string(info.param.name); });

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
    ImageTarget target(kLeft + c.destW + 5, kTop + c.destH + 5);
    const RECT dest = {kLeft, kTop, kLeft + c.destW, kTop + c.destH};
    surface.Blit(target.Dc(), &dest, nullptr);
    const QImage& image = target.Finish();

    std::map<int, int> columnOf; // destination column -> source column
    std::map<int, int> rowOf;    // destination row -> source row
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool inside =
                x >= kLeft && x < kLeft + c.destW && y >= kTop && y < kTop + c.destH;
            if (!inside) {
                ASSERT_EQ(image.pixel(x, y), kUntouched) << "outside at " << x << "," << y;
                continue;
            }
            const auto place = PlaceOf(image.pixel(x, y));
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
    EXPECT_EQ(rowOf.at(kTop), 0) << "the picture's top row must be at the top";
    EXPECT_EQ(columnOf.at(kLeft), 0);
    if (c.destW >= c.srcW) {
        EXPECT_EQ(columnOf.at(kLeft + c.destW - 1), c.srcW - 1);
    }
    if (c.destH >= c.srcH) {
        EXPECT_EQ(rowOf.at(kTop + c.destH - 1), c.srcH - 1);
    }
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

} // namespace

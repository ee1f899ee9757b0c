#include "platform/gdi/PixelFormat.h"
#include "platform/winapi/wingdi.h"
#include "platform/winqt/paint/GdiQt.h"
#include "tests/platform/CGdiHandleTest.h"
#include "tests/surface/CBitmapTarget.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTransform>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>
#include <string>

namespace {

// Never made from a 16-bit pixel (5-bit channels widen to 0, 8, 16, ...): a pixel that still
// shows it was not drawn.
const QRgb kUntouched = qRgb(1, 2, 3);
constexpr DWORD kSrcPaint = 0x00EE0086; // a raster operation other than a plain copy

WORD Pixel(int red, int green, int blue) {
    return static_cast<WORD>((red << 10) | (green << 5) | blue);
}

QRgb Widened(WORD pixel) {
    return 0xFF000000u | WidenPixel(pixel);
}

// The colour that names a picture pixel by its place.
QRgb PlaceColour(int x, int y) {
    return Widened(Pixel(x, y, 9));
}

BITMAPINFO Header(LONG width, LONG height) {
    return CBitmapTarget::Header(width, height, 16);
}

// A bitmap painted with its places, selected into a memory DC, as the surface holds it.
class MemoryBitmap {
public:
    MemoryBitmap(int width, int height) : m_nWidth(width), m_nHeight(height) {
        const BITMAPINFO info = Header(width, height);
        m_hBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &m_pBits, nullptr, 0);
        m_hDC = CreateCompatibleDC(nullptr);
        SelectObject(m_hDC, m_hBitmap);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Row(y)[x] = Pixel(x, y, 9);
            }
        }
    }
    ~MemoryBitmap() {
        DeleteDC(m_hDC);
        DeleteObject(m_hBitmap);
    }
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;

    // The picture's row y, counted from the top; memory starts with the bottom row.
    WORD* Row(int y) {
        const int stride = (m_nWidth * 2 + 3) & ~3;
        return reinterpret_cast<WORD*>(static_cast<std::uint8_t*>(m_pBits) +
                                       (m_nHeight - 1 - y) * stride);
    }

    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    void* m_pBits = nullptr;

private:
    int m_nWidth;
    int m_nHeight;
};

// An offscreen image and a painter DC over it.
class ImageTarget {
public:
    ImageTarget(int width, int height) : m_image(width, height, QImage::Format_RGB32) {
        m_image.fill(kUntouched);
        m_painter.begin(&m_image);
        m_hDC = CreatePainterDC(&m_painter);
    }
    ~ImageTarget() { Finish(); }

    QPainter& Painter() { return m_painter; }

    const QImage& Finish() {
        ReleasePainterDC(m_hDC);
        m_hDC = nullptr;
        if (m_painter.isActive()) {
            m_painter.end();
        }
        return m_image;
    }

    HDC m_hDC = nullptr;

private:
    QImage m_image;
    QPainter m_painter;
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

using GdiTest = CGdiHandleTest;

// Which bitmaps CreateDIBSection makes.

// Headers CreateDIBSection refuses: the field each case spoils and the value it is given.
struct RefusedHeaderCase {
    const char* name;
    LONG BITMAPINFOHEADER::*field;
    LONG value;
};

void PrintTo(const RefusedHeaderCase& c, std::ostream* os) {
    *os << c.name;
}

class DibHeaderTest : public ::testing::TestWithParam<RefusedHeaderCase> {};

TEST_P(DibHeaderTest, IsRefusedWithNullBits) {
    const int before = LiveGdiHandleCount();
    BITMAPINFO info = Header(10, 10);
    info.bmiHeader.*GetParam().field = GetParam().value;
    void* bits = &info;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    EXPECT_EQ(LiveGdiHandleCount(), before);
}

INSTANTIATE_TEST_SUITE_P(
    RefusedHeaders, DibHeaderTest,
    ::testing::Values(RefusedHeaderCase{"TopDown", &BITMAPINFOHEADER::biHeight, -10},
                      RefusedHeaderCase{"ZeroWidth", &BITMAPINFOHEADER::biWidth, 0},
                      RefusedHeaderCase{"ZeroHeight", &BITMAPINFOHEADER::biHeight, 0},
                      RefusedHeaderCase{"WiderThanAnyImage", &BITMAPINFOHEADER::biWidth, INT_MAX},
                      RefusedHeaderCase{"TallerThanAnyImage", &BITMAPINFOHEADER::biHeight,
                                        INT_MAX / 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiTest, OtherFormatsAndSourcesAreRefusedWithNullBits) {
    auto refused = [](BITMAPINFO info, UINT usage, void* section) {
        void* bits = &info;
        HBITMAP bitmap = CreateDIBSection(nullptr, &info, usage, &bits, section, 0);
        return bitmap == nullptr && bits == nullptr;
    };
    auto with = [](auto edit) {
        BITMAPINFO info = Header(10, 10);
        edit(info.bmiHeader);
        return info;
    };
    const BITMAPINFO good = Header(10, 10);
    EXPECT_TRUE(refused(with([](auto& h) { h.biBitCount = 8; }), DIB_RGB_COLORS, nullptr));
    EXPECT_TRUE(refused(with([](auto& h) { h.biBitCount = 24; }), DIB_RGB_COLORS, nullptr));
    EXPECT_TRUE(refused(with([](auto& h) { h.biBitCount = 32; }), DIB_RGB_COLORS, nullptr))
        << "32 bits are made top-down only";
    EXPECT_TRUE(refused(with([](auto& h) { h.biCompression = 3; }), DIB_RGB_COLORS, nullptr));
    EXPECT_TRUE(refused(with([](auto& h) { h.biSize = 12; }), DIB_RGB_COLORS, nullptr));
    EXPECT_TRUE(refused(with([](auto& h) { h.biPlanes = 2; }), DIB_RGB_COLORS, nullptr));
    EXPECT_TRUE(refused(good, 1, nullptr)) << "palette indices";
    int mapping = 0;
    EXPECT_TRUE(refused(good, DIB_RGB_COLORS, &mapping)) << "a file mapping";
    void* bits = &mapping;
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
}

TEST_F(GdiTest, DibSectionMemoryStartsBlackAndCoversEveryPaddedRow) {
    const BITMAPINFO info = Header(25, 3);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(bits, nullptr);
    auto* bytes = static_cast<std::uint8_t*>(bits);
    for (int i = 0; i < 52 * 3; ++i) {
        ASSERT_EQ(bytes[i], 0) << "byte " << i;
    }
    std::memset(bytes, 0xAB, 52 * 3);
    EXPECT_EQ(DeleteObject(bitmap), TRUE);
}

TEST_F(GdiTest, FaultHooksFailTheNextCallsThenStop) {
    const BITMAPINFO info = Header(4, 4);
    void* bits = nullptr;
    FailNextDibSections(2);
    FailNextMemoryDCs(1);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(CreateCompatibleDC(nullptr), nullptr);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(bitmap, nullptr);
    EXPECT_NE(bits, nullptr);
    EXPECT_NE(dc, nullptr);
    DeleteDC(dc);
    DeleteObject(bitmap);

    FailNextDibSections(5);
    FailNextMemoryDCs(5);
    FailNextDibSections(0);
    FailNextMemoryDCs(0);
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(bitmap, nullptr) << "zero turns the hook off";
    EXPECT_NE(dc, nullptr) << "zero turns the hook off";
    DeleteDC(dc);
    DeleteObject(bitmap);
}

// Selecting and deleting.

TEST_F(GdiTest, SelectObjectHandsBackWhatTheDcHeldBefore) {
    MemoryBitmap a(2, 2);
    const BITMAPINFO info = Header(3, 3);
    HBITMAP b = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(dc, b), nullptr) << "a fresh memory DC holds nothing";
    EXPECT_EQ(SelectObject(dc, b), b) << "selecting again is allowed";
    EXPECT_EQ(SelectObject(dc, a.m_hBitmap), nullptr) << "a bitmap held by another DC is refused";
    EXPECT_EQ(SelectObject(dc, nullptr), b);
    EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
    EXPECT_EQ(SelectObject(nullptr, b), nullptr);
    EXPECT_EQ(DeleteDC(dc), TRUE);
    EXPECT_EQ(DeleteObject(b), TRUE);
}

TEST_F(GdiTest, StaleHandlesAreRefusedNotFollowed) {
    const BITMAPINFO info = Header(3, 3);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_EQ(DeleteObject(bitmap), TRUE);
    EXPECT_EQ(DeleteObject(bitmap), FALSE);
    EXPECT_EQ(SelectObject(dc, bitmap), nullptr);
    ASSERT_EQ(DeleteDC(dc), TRUE);
    EXPECT_EQ(DeleteDC(dc), FALSE);
    EXPECT_EQ(SetStretchBltMode(dc, COLORONCOLOR), 0);
    EXPECT_EQ(DeleteDC(nullptr), FALSE);
    EXPECT_EQ(DeleteObject(nullptr), FALSE);
}

TEST_F(GdiTest, BitmapSelectedIntoALiveDcIsNotDeleted) {
    const BITMAPINFO info = Header(3, 3);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    EXPECT_EQ(DeleteObject(bitmap), FALSE);
    EXPECT_EQ(DeleteDC(dc), TRUE) << "deleting the DC lets go of its bitmap";
    EXPECT_EQ(DeleteObject(bitmap), TRUE);
}

TEST_F(GdiTest, PainterDcsAndMemoryDcsEndOnlyTheirOwnWay) {
    QImage image(4, 4, QImage::Format_RGB32);
    QPainter painter(&image);
    EXPECT_EQ(CreatePainterDC(nullptr), nullptr);
    HDC painterDC = CreatePainterDC(&painter);
    HDC memoryDC = CreateCompatibleDC(nullptr);
    ASSERT_NE(painterDC, nullptr);
    MemoryBitmap bitmap(2, 2);
    SelectObject(bitmap.m_hDC, nullptr);
    EXPECT_EQ(SelectObject(painterDC, bitmap.m_hBitmap), nullptr) << "a painter DC holds no bitmap";
    EXPECT_EQ(DeleteDC(painterDC), FALSE);
    ReleasePainterDC(memoryDC);
    ReleasePainterDC(nullptr);
    EXPECT_EQ(DeleteDC(memoryDC), TRUE);
    ReleasePainterDC(painterDC);
    EXPECT_TRUE(painter.isActive()) << "the painter belongs to its caller";
}

// Stretch modes.

TEST_F(GdiTest, StretchModeIsRecordedPerDcAndStartsAsBlackOnWhite) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetStretchBltMode(first, COLORONCOLOR), 1);
    EXPECT_EQ(SetStretchBltMode(first, COLORONCOLOR), COLORONCOLOR);
    EXPECT_EQ(SetStretchBltMode(second, 2), 1);
    EXPECT_EQ(SetStretchBltMode(first, 0), 0) << "no such mode";
    EXPECT_EQ(SetStretchBltMode(first, 5), 0) << "no such mode";
    EXPECT_EQ(SetStretchBltMode(first, 4), COLORONCOLOR) << "refused modes change nothing";
    EXPECT_EQ(SetStretchBltMode(nullptr, COLORONCOLOR), 0);
    DeleteDC(first);
    DeleteDC(second);
}

// Copies StretchBlt refuses, leaving the target as it was.

struct RefusedBlitCase {
    const char* name;
    int wDest;
    int hDest;
    int wSrc;
    int hSrc;
    DWORD rop;
};

void PrintTo(const RefusedBlitCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusedBlitTest : public ::testing::TestWithParam<RefusedBlitCase> {};

TEST_P(RefusedBlitTest, DrawsNothing) {
    const RefusedBlitCase& c = GetParam();
    MemoryBitmap source(8, 8);
    ImageTarget target(10, 10);
    EXPECT_EQ(
        StretchBlt(target.m_hDC, 1, 1, c.wDest, c.hDest, source.m_hDC, 0, 0, c.wSrc, c.hSrc, c.rop),
        FALSE);
    EXPECT_TRUE(IsUntouched(target.Finish()));
}

INSTANTIATE_TEST_SUITE_P(
    RefusedBlits, RefusedBlitTest,
    ::testing::Values(RefusedBlitCase{"ZeroDestWidth", 0, 8, 8, 8, SRCCOPY},
                      RefusedBlitCase{"NegativeDestHeight", 8, -8, 8, 8, SRCCOPY},
                      RefusedBlitCase{"NegativeSourceWidth", 8, 8, -8, 8, SRCCOPY},
                      RefusedBlitCase{"ZeroSourceHeight", 8, 8, 8, 0, SRCCOPY},
                      RefusedBlitCase{"MostNegativeSizes", INT_MIN, INT_MIN, INT_MIN, INT_MIN,
                                      SRCCOPY},
                      RefusedBlitCase{"OtherRasterOperation", 8, 8, 8, 8, kSrcPaint}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiTest, BlitNeedsAPainterDcAboveAMemoryDcWithABitmap) {
    MemoryBitmap source(8, 8);
    HDC empty = CreateCompatibleDC(nullptr);
    ImageTarget target(10, 10);
    const HDC t = target.m_hDC;
    EXPECT_EQ(StretchBlt(nullptr, 0, 0, 8, 8, source.m_hDC, 0, 0, 8, 8, SRCCOPY), FALSE);
    EXPECT_EQ(StretchBlt(empty, 0, 0, 8, 8, source.m_hDC, 0, 0, 8, 8, SRCCOPY), FALSE);
    EXPECT_EQ(StretchBlt(t, 0, 0, 8, 8, t, 0, 0, 8, 8, SRCCOPY), FALSE);
    EXPECT_EQ(StretchBlt(t, 0, 0, 8, 8, empty, 0, 0, 8, 8, SRCCOPY), FALSE);
    EXPECT_EQ(StretchBlt(t, 0, 0, 8, 8, nullptr, 0, 0, 8, 8, SRCCOPY), FALSE);
    EXPECT_TRUE(IsUntouched(target.Finish()));
    DeleteDC(empty);
}

TEST_F(GdiTest, BlitThroughAnEndedPainterIsRefused) {
    MemoryBitmap source(4, 4);
    ImageTarget target(4, 4);
    target.Painter().end();
    EXPECT_EQ(StretchBlt(target.m_hDC, 0, 0, 4, 4, source.m_hDC, 0, 0, 4, 4, SRCCOPY), FALSE);
    EXPECT_TRUE(IsUntouched(target.Finish()));
}

// Copies into a memory DC's 32-bit bitmap. Only the copy the surface makes is made: a 16-bit
// picture's rectangle that lies on it, in COLORONCOLOR mode. Anything else would come out
// otherwise on Windows (combined, mirrored or in part), so it is refused with nothing drawn.

TEST_F(GdiTest, CopiesIntoABitmapThatWindowsWouldMakeOtherwiseAreRefused) {
    MemoryBitmap source(8, 8);
    CBitmapTarget target(10, 10);
    const HDC t = target.Dc()->m_hDC;
    const HDC s = source.m_hDC;
    EXPECT_EQ(StretchBlt(t, 0, 0, 4, 4, s, 0, 0, 8, 8, SRCCOPY), FALSE) << "BLACKONWHITE mode";
    SetStretchBltMode(t, COLORONCOLOR);
    EXPECT_EQ(StretchBlt(t, 8, 0, -8, 8, s, 0, 0, 8, 8, SRCCOPY), FALSE) << "mirrored";
    EXPECT_EQ(StretchBlt(t, 0, 0, 8, 8, s, -1, 0, 8, 8, SRCCOPY), FALSE) << "off the picture";
    EXPECT_EQ(StretchBlt(t, 0, 0, 8, 8, s, 0, 1, 8, 8, SRCCOPY), FALSE) << "off the picture";
    EXPECT_EQ(StretchBlt(t, 0, 0, 8, 8, t, 0, 0, 8, 8, SRCCOPY), FALSE) << "from 32 bits";
    SetStretchBltMode(s, COLORONCOLOR);
    EXPECT_EQ(StretchBlt(s, 0, 0, 8, 8, s, 0, 0, 8, 8, SRCCOPY), FALSE) << "into 16 bits";
    EXPECT_TRUE(target.IsUntouched());
    ImageTarget device(10, 10);
    EXPECT_EQ(StretchBlt(device.m_hDC, 0, 0, 8, 8, t, 0, 0, 8, 8, SRCCOPY), FALSE)
        << "a device shows 16-bit pictures only";
    EXPECT_TRUE(IsUntouched(device.Finish()));
}

TEST_F(GdiTest, CopyIntoABitmapWritesOnlyWhatLiesOnIt) {
    MemoryBitmap source(10, 10);
    CBitmapTarget target(50, 50);
    const HDC t = target.Dc()->m_hDC;
    SetStretchBltMode(t, COLORONCOLOR);
    EXPECT_EQ(StretchBlt(t, INT_MIN, 0, INT_MAX, 10, source.m_hDC, 0, 0, 10, 10, SRCCOPY), TRUE);
    EXPECT_EQ(StretchBlt(t, 0, 50, 10, 10, source.m_hDC, 0, 0, 10, 10, SRCCOPY), TRUE);
    EXPECT_TRUE(target.IsUntouched());
    // A destination far larger than the bitmap costs no more than the bitmap's own pixels.
    EXPECT_EQ(StretchBlt(t, 0, 0, INT_MAX, INT_MAX, source.m_hDC, 0, 0, 10, 10, SRCCOPY), TRUE);
    EXPECT_EQ(target.At(0, 0) | 0xFF000000u, PlaceColour(0, 0));
    EXPECT_EQ(target.At(49, 49) | 0xFF000000u, PlaceColour(0, 0));
}

// Source rectangles reaching past the bitmap.

TEST_F(GdiTest, SourcePartlyOutsideTheBitmapDrawsOnlyTheInsidePart) {
    MemoryBitmap source(10, 10);
    ImageTarget target(15, 15);
    EXPECT_EQ(StretchBlt(target.m_hDC, 0, 0, 15, 15, source.m_hDC, -5, -5, 15, 15, SRCCOPY), TRUE);
    const QImage& image = target.Finish();
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 15; ++x) {
            const QRgb expected = x >= 5 && y >= 5 ? PlaceColour(x - 5, y - 5) : kUntouched;
            ASSERT_EQ(image.pixel(x, y), expected) << "at " << x << "," << y;
        }
    }
}

TEST_F(GdiTest, ClippedSourceKeepsItsScale) {
    MemoryBitmap source(10, 10);
    ImageTarget target(20, 20);
    // Twice the size: source columns 5..14 would fill 20 columns, but only 5..9 exist.
    StretchBlt(target.m_hDC, 0, 0, 20, 20, source.m_hDC, 5, 0, 10, 10, SRCCOPY);
    const QImage& image = target.Finish();
    for (int x = 0; x < 20; ++x) {
        const QRgb expected = x < 10 ? PlaceColour(5 + x / 2, 0) : kUntouched;
        EXPECT_EQ(image.pixel(x, 0), expected) << "column " << x;
    }
}

TEST_F(GdiTest, SourceWhollyOutsideTheBitmapDrawsNothing) {
    MemoryBitmap source(10, 10);
    ImageTarget target(10, 10);
    EXPECT_EQ(StretchBlt(target.m_hDC, 0, 0, 10, 10, source.m_hDC, 10, 0, 10, 10, SRCCOPY), TRUE);
    EXPECT_EQ(
        StretchBlt(target.m_hDC, 0, 0, 10, 10, source.m_hDC, INT_MIN, INT_MIN, 10, 10, SRCCOPY),
        TRUE);
    EXPECT_TRUE(IsUntouched(target.Finish()));
}

// Destinations far larger than the device, or far off it.

TEST_F(GdiTest, HugeDestinationCostsNoMoreThanTheDevice) {
    MemoryBitmap source(10, 10);
    ImageTarget target(50, 50);
    EXPECT_EQ(StretchBlt(target.m_hDC, 0, 0, INT_MAX, INT_MAX, source.m_hDC, 0, 0, 10, 10, SRCCOPY),
              TRUE);
    const QImage& image = target.Finish();
    EXPECT_EQ(image.pixel(0, 0), PlaceColour(0, 0));
    EXPECT_EQ(image.pixel(49, 49), PlaceColour(0, 0));
}

TEST_F(GdiTest, DestinationsOffTheDeviceDrawNothing) {
    MemoryBitmap source(10, 10);
    ImageTarget target(20, 20);
    StretchBlt(target.m_hDC, INT_MAX - 5, 0, INT_MAX, 10, source.m_hDC, 0, 0, 10, 10, SRCCOPY);
    StretchBlt(target.m_hDC, INT_MIN, 0, INT_MAX, 10, source.m_hDC, 0, 0, 10, 10, SRCCOPY);
    StretchBlt(target.m_hDC, 0, 20, 10, 10, source.m_hDC, 0, 0, 10, 10, SRCCOPY);
    EXPECT_TRUE(IsUntouched(target.Finish()));
}

// Painters that were set up for something else.

TEST_F(GdiTest, ScaledSmoothTranslucentPainterStillCopiesWholePixels) {
    MemoryBitmap source(4, 4);
    ImageTarget target(8, 8);
    QPainter& painter = target.Painter();
    painter.scale(2, 2);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setOpacity(0.5);
    EXPECT_EQ(StretchBlt(target.m_hDC, 0, 0, 4, 4, source.m_hDC, 0, 0, 4, 4, SRCCOPY), TRUE);
    EXPECT_TRUE(painter.testRenderHint(QPainter::SmoothPixmapTransform)) << "state restored";
    EXPECT_EQ(painter.opacity(), 0.5) << "state restored";
    EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_SourceOver);
    const QImage& image = target.Finish();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            ASSERT_EQ(image.pixel(x, y), PlaceColour(x / 2, y / 2)) << "at " << x << "," << y;
        }
    }
}

TEST_F(GdiTest, PainterTranslationAndClipAreHonoured) {
    MemoryBitmap source(10, 10);
    ImageTarget target(12, 12);
    QPainter& painter = target.Painter();
    painter.translate(-3, 4);
    painter.setClipRect(0, 0, 10, 5);
    StretchBlt(target.m_hDC, 0, 0, 10, 10, source.m_hDC, 0, 0, 10, 10, SRCCOPY);
    const QImage& image = target.Finish();
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            // Logical (x + 3, y - 4), clipped to the top five rows of the picture.
            const bool shown = x < 7 && y >= 4 && y < 9;
            const QRgb expected = shown ? PlaceColour(x + 3, y - 4) : kUntouched;
            ASSERT_EQ(image.pixel(x, y), expected) << "at " << x << "," << y;
        }
    }
}

// A paint of a few changed patches: each rectangle of the clip gets exactly what a copy of the
// whole would put there, and nothing outside them changes, whether the copy goes straight into
// the image's pixels or through the painter, moved or scaled.
TEST_F(GdiTest, EveryRectangleOfAClipRegionShowsWhatTheWholeCopyWould) {
    const QRegion clip = QRegion(2, 1, 9, 4) + QRegion(2, 5, 3, 6) + QRegion(14, 12, 5, 3);
    const struct {
        QImage::Format format;
        QTransform transform;
    } cases[] = {
        {QImage::Format_RGB32, {}},
        {QImage::Format_ARGB32_Premultiplied, QTransform::fromTranslate(3, -2)},
        {QImage::Format_RGBX8888, {}},
        {QImage::Format_RGB32, QTransform::fromScale(2, 2)},
    };
    MemoryBitmap source(7, 5);
    for (const auto& c : cases) {
        auto copy = [&](bool clipped) {
            QImage image(24, 20, c.format);
            image.fill(QColor(kUntouched));
            QPainter painter(&image);
            painter.setTransform(c.transform);
            if (clipped) {
                painter.setClipRegion(clip);
            }
            HDC hdc = CreatePainterDC(&painter);
            StretchBlt(hdc, 1, 0, 19, 16, source.m_hDC, 0, 0, 7, 5, SRCCOPY);
            ReleasePainterDC(hdc);
            painter.end();
            return image.convertToFormat(QImage::Format_RGB32);
        };
        const QImage whole = copy(false);
        const QImage patches = copy(true);
        const QRegion shown = c.transform.map(clip);
        for (int y = 0; y < whole.height(); ++y) {
            for (int x = 0; x < whole.width(); ++x) {
                const QRgb expected = shown.contains(QPoint(x, y)) ? whole.pixel(x, y) : kUntouched;
                ASSERT_EQ(patches.pixel(x, y), expected)
                    << "format " << c.format << ", at " << x << "," << y;
            }
        }
    }
}

TEST_F(GdiTest, RepeatedCopiesShowTheBitmapAsItIsNowAtEachSize) {
    // The copy keeps its scaled rows between paints; a changed picture or a new size must never
    // show what an earlier paint left there.
    MemoryBitmap source(4, 4);
    for (int size : {8, 12, 8, 8}) {
        source.Row(1)[2] = Pixel(size, 31 - size, 3);
        ImageTarget target(size, size);
        StretchBlt(target.m_hDC, 0, 0, size, size, source.m_hDC, 0, 0, 4, 4, SRCCOPY);
        const QImage& image = target.Finish();
        const int scale = size / 4;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const int column = x * 4 / size;
                const int row = y * 4 / size;
                const QRgb expected = column == 2 && row == 1 ? Widened(Pixel(size, 31 - size, 3))
                                                              : PlaceColour(column, row);
                ASSERT_EQ(image.pixel(x, y), expected)
                    << "size " << size << " scale " << scale << " at " << x << "," << y;
            }
        }
    }
}

// A window's copy against a memory DC's: the same stretch rule picks the same source pixels, so
// every pixel must agree, on every device format, however the picture is scaled or placed.

struct MappingCase {
    const char* name;
    int bitmapW;
    int bitmapH;
    RECT src;  // left, top, width, height
    RECT dest; // left, top, width, height
};

void PrintTo(const MappingCase& c, std::ostream* os) {
    *os << c.name;
}

class StretchMappingTest : public ::testing::TestWithParam<MappingCase> {};

TEST_P(StretchMappingTest, WindowShowsWhatAMemoryDcHoldsOnEveryDeviceFormat) {
    const MappingCase& c = GetParam();
    MemoryBitmap source(c.bitmapW, c.bitmapH);
    std::mt19937 random(5);
    for (int y = 0; y < c.bitmapH; ++y) {
        for (int x = 0; x < c.bitmapW; ++x) {
            // Every bit pattern, the ignored top bit included.
            source.Row(y)[x] = static_cast<WORD>(random());
        }
    }
    const int width = c.dest.left + c.dest.right + 3;
    const int height = c.dest.top + c.dest.bottom + 3;
    CBitmapTarget memory(width, height);
    SetStretchBltMode(memory.Dc()->m_hDC, COLORONCOLOR);
    ASSERT_EQ(StretchBlt(memory.Dc()->m_hDC, c.dest.left, c.dest.top, c.dest.right, c.dest.bottom,
                         source.m_hDC, c.src.left, c.src.top, c.src.right, c.src.bottom, SRCCOPY),
              TRUE);
    QImage held(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            held.setPixel(x, y, memory.At(x, y));
        }
    }
    for (QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied,
          QImage::Format_RGB16, QImage::Format_RGB888, QImage::Format_RGBX8888,
          QImage::Format_RGB555}) {
        QImage window(width, height, format);
        window.fill(QColor(kUntouched));
        {
            QPainter painter(&window);
            HDC hdc = CreatePainterDC(&painter);
            StretchBlt(hdc, c.dest.left, c.dest.top, c.dest.right, c.dest.bottom, source.m_hDC,
                       c.src.left, c.src.top, c.src.right, c.src.bottom, SRCCOPY);
            ReleasePainterDC(hdc);
        }
        const QImage expected = held.convertToFormat(format);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(window.pixel(x, y), expected.pixel(x, y))
                    << "format " << format << " at " << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mappings, StretchMappingTest,
    ::testing::Values(
        MappingCase{"Unscaled", 13, 9, {0, 0, 13, 9}, {0, 0, 13, 9}},
        MappingCase{"EnlargeThreeTimesAtAnOddPlace", 10, 10, {0, 0, 10, 10}, {3, 7, 30, 30}},
        MappingCase{"EnlargeByANonWholeFactor", 25, 25, {0, 0, 25, 25}, {1, 2, 97, 61}},
        MappingCase{"ShrinkByANonWholeFactor", 50, 50, {0, 0, 50, 50}, {5, 0, 21, 17}},
        MappingCase{"ShrinkOneWayEnlargeTheOther", 40, 12, {0, 0, 40, 12}, {2, 3, 15, 55}},
        MappingCase{"OddSourceRectangle", 30, 30, {7, 5, 11, 19}, {4, 1, 50, 23}},
        MappingCase{"ScreenSizedFromTheLargestGrid", 200, 200, {0, 0, 200, 200}, {0, 0, 641, 357}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

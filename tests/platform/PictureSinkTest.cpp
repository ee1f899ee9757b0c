#include "platform/gdi/PixelFormat.h"
#include "platform/winapi/wingdi.h"
#include "platform/winqt/paint/GdiQt.h"
#include "platform/winqt/picture/CWaylandPicture.h"
#include "platform/winqt/picture/CXPictureWindow.h"
#include "platform/winqt/session/WaylandSession.h"
#include "tests/surface/CBitmapTarget.h"

#include <QBackingStore>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

// Every sink that can run here is handed the same copies, frame after frame, and must show the
// same device pixels inside the areas it was asked to bring up to date: each the bitmap pixel
// that the axis maps give it. The painter's sink runs anywhere; the X server's runs under an X
// server (QT_QPA_PLATFORM=xcb), the Wayland one under a compositor, and each skips elsewhere.

namespace {

const QSize kDevice(64, 48);           // the window's device pixels
constexpr int kBitmapWidth = 12;       // the picture's pixels, across
constexpr int kBitmapHeight = 10;      // and down
constexpr int kFrames = 3;             // the last repeats the one before it
constexpr unsigned kChangedShare = 3;  // one pixel in this many changes between frames
const QRgb kUntouched = qRgb(1, 2, 3); // never widened from a 5-5-5 pixel

// count device pixels from first, showing sourceCount source pixels stretched or shrunk.
AxisMap Stretch(int first, int count, int sourceCount) {
    AxisMap map;
    map.first = first;
    for (int at = 0; at < count; ++at) {
        map.sources.push_back(at * sourceCount / count);
    }
    return map;
}

struct Copy {
    const char* name;
    AxisMap columns;
    AxisMap rows;
    std::vector<QRect> areas; // device pixels of the window
};

std::vector<Copy> Copies() {
    return {
        {"one to one",
         Stretch(4, kBitmapWidth, kBitmapWidth),
         Stretch(3, kBitmapHeight, kBitmapHeight),
         {QRect(QPoint(0, 0), kDevice)}},
        {"enlarged unevenly, areas cutting cells",
         Stretch(2, 57, kBitmapWidth),
         Stretch(5, 41, kBitmapHeight),
         {QRect(9, 7, 14, 11), QRect(25, 20, 30, 40)}},
        {"shrunk",
         Stretch(30, 8, kBitmapWidth),
         Stretch(20, 6, kBitmapHeight),
         {QRect(0, 0, 40, 48), QRect(36, 22, 28, 26)}},
    };
}

QRgb Widened(std::uint16_t pixel) {
    return 0xFF000000u | WidenPixel(pixel);
}

// A 16-bit bitmap as the surface makes it, rows bottom-up.
class CBitmap {
public:
    CBitmap() {
        const BITMAPINFO info = CBitmapTarget::Header(kBitmapWidth, kBitmapHeight, 16);
        m_hBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &m_pBits, nullptr, 0);
    }
    ~CBitmap() { DeleteObject(m_hBitmap); }
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    std::uint16_t& At(int x, int y) {
        const int stride = (kBitmapWidth * 2 + 3) & ~3;
        return reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(m_pBits) +
                                                (kBitmapHeight - 1 - y) * stride)[x];
    }

    HBITMAP m_hBitmap = nullptr;

private:
    void* m_pBits = nullptr;
};

// The first device pixel inside the areas that does not show its bitmap pixel, described; empty
// when there is none.
std::string FirstWrongPixel(const QImage& shown, CBitmap& bitmap, const Copy& copy) {
    for (const QRect& area : copy.areas) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const auto column = static_cast<std::size_t>(x - copy.columns.first);
                const auto row = static_cast<std::size_t>(y - copy.rows.first);
                if (column >= copy.columns.sources.size() || row >= copy.rows.sources.size()) {
                    continue;
                }
                const QRgb want = Widened(
                    bitmap.At(copy.columns.sources[column], copy.rows.sources[row]) & 0x7FFF);
                const QRgb got = shown.pixel(x, y) | 0xFF000000;
                if (got != want) {
                    return "(" + std::to_string(x) + ", " + std::to_string(y) + ") shows " +
                           QColor(got).name().toStdString() + ", not " +
                           QColor(want).name().toStdString();
                }
            }
        }
    }
    return {};
}

// The sink that draws through a painter, here onto an image.
class CPainterTarget {
public:
    static std::string Missing() { return {}; }
    CPainterTarget() : m_image(kDevice, QImage::Format_RGB32) { m_image.fill(kUntouched); }
    void Show(HBITMAP bitmap, const Copy& copy) {
        QPainter painter(&m_image);
        PaintPicture(painter, QTransform(), bitmap, copy.columns, copy.rows, copy.areas);
    }
    QImage Shown() const { return m_image; }

private:
    QImage m_image;
};

// A top-level window of the device's size, shown and exposed.
class CWindow {
public:
    CWindow() {
        m_widget.setFixedSize(kDevice);
        m_widget.move(0, 0);
        m_widget.show();
        m_bExposed = QTest::qWaitForWindowExposed(&m_widget);
    }
    // As the program's windows end.
    ~CWindow() { HideEndingWindow(&m_widget); }
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;
    QWidget m_widget;
    bool m_bExposed = false;
};

// The X server's fills, read back from the server.
class CXTarget : public CWindow {
public:
    static std::string Missing() {
        return QGuiApplication::platformName() == QStringLiteral("xcb")
                   ? std::string()
                   : "no X server: run under one with QT_QPA_PLATFORM=xcb";
    }
    CXTarget() : m_pSink(CXPictureWindow::Create(&m_widget)) {}
    void Show(HBITMAP bitmap, const Copy& copy) {
        ASSERT_TRUE(m_bExposed && m_pSink != nullptr);
        ASSERT_TRUE(m_pSink->Show(bitmap, copy.columns, copy.rows, copy.areas));
    }
    // The window's pixels as the server holds them, the picture's window inside it included;
    // the server answers after it has carried out every fill sent before.
    QImage Shown() const {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t* connection = x11->connection();
        std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
            xcb_get_image_reply(connection,
                                xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP,
                                              static_cast<xcb_drawable_t>(m_widget.winId()), 0, 0,
                                              static_cast<std::uint16_t>(kDevice.width()),
                                              static_cast<std::uint16_t>(kDevice.height()), ~0U),
                                nullptr),
            &std::free);
        QImage shown(kDevice, QImage::Format_RGB32);
        const auto bytes = static_cast<std::size_t>(shown.sizeInBytes());
        if (image == nullptr || image->depth != 24 ||
            static_cast<std::size_t>(xcb_get_image_data_length(image.get())) != bytes) {
            ADD_FAILURE() << "the server's pixels are not 24-bit colour, four bytes a pixel";
            return {};
        }
        std::memcpy(shown.bits(), xcb_get_image_data(image.get()), bytes);
        return shown;
    }

private:
    std::unique_ptr<CXPictureWindow> m_pSink;
};

// The Wayland sink's copy into Qt's backing store, which Qt hands the compositor.
class CWaylandTarget : public CWindow {
public:
    static std::string Missing() {
        return QGuiApplication::platformName().startsWith(QStringLiteral("wayland"))
                   ? std::string()
                   : "no Wayland compositor: run under one with QT_QPA_PLATFORM=wayland";
    }
    CWaylandTarget() : m_pSink(CWaylandPicture::Create(&m_widget)) {}
    void Show(HBITMAP bitmap, const Copy& copy) {
        ASSERT_TRUE(m_bExposed && m_pSink != nullptr)
            << "no sink: the compositor must draw title bars (QT_WAYLAND_DISABLE_WINDOWDECORATION)";
        ASSERT_TRUE(m_pSink->Show(bitmap, copy.columns, copy.rows, copy.areas));
    }
    QImage Shown() const { return *static_cast<QImage*>(m_widget.backingStore()->paintDevice()); }

private:
    std::unique_ptr<CWaylandPicture> m_pSink;
};

class CTargetNames {
public:
    template <typename Target> static std::string GetName(int index) {
        return std::vector<std::string>{"Painter", "X", "Wayland"}.at(
            static_cast<std::size_t>(index));
    }
};

template <typename Target> class PictureSink : public ::testing::Test {};
using Targets = ::testing::Types<CPainterTarget, CXTarget, CWaylandTarget>;
TYPED_TEST_SUITE(PictureSink, Targets, CTargetNames);

TYPED_TEST(PictureSink, ShowsEveryDevicePixelsBitmapPixelInsideTheAreasFrameAfterFrame) {
    if (const std::string missing = TypeParam::Missing(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    std::mt19937 random(17);
    for (const Copy& copy : Copies()) {
        TypeParam target;
        CBitmap bitmap;
        for (int frame = 0; frame < kFrames; ++frame) {
            for (int y = 0; y < kBitmapHeight; ++y) {
                for (int x = 0; x < kBitmapWidth; ++x) {
                    if (frame == 0 || (frame < kFrames - 1 && random() % kChangedShare == 0)) {
                        bitmap.At(x, y) = static_cast<std::uint16_t>(random());
                    }
                }
            }
            target.Show(bitmap.m_hBitmap, copy);
            ASSERT_FALSE(::testing::Test::HasFatalFailure());
            EXPECT_EQ(FirstWrongPixel(target.Shown(), bitmap, copy), "")
                << copy.name << ", frame " << frame;
        }
    }
}

} // namespace

// The water on a scaled screen. CTest runs this file once for each of several QT_SCALE_FACTOR
// values, set before the application object is made; at each, the picture in the dialog's
// screenshot must be the surface stretched onto device pixels as Windows' GDI stretches it, and
// a click on any device pixel of the picture must drop its stone on the cell the dialog's own
// arithmetic gives that pixel (the cell drawn there, but for a pixel at a stretched cell's edge).

#include "ui/CRippleDlg.h"

#include "platform/gdi/GdiHandles.h"
#include "res/resource.h"
#include "ripple/DropSources.h"
#include "ripple/RandomSource.h"
#include "ripple/RippleDrop.h"
#include "tests/platform/QtWnd.h"
#include "tests/platform/SessionHooks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::uint32_t kTick = 999000;
constexpr int kSpectrumWidth = 10; // the strip's columns keep what the renderer drew

struct ScaledCase {
    const char* name;
    int grid;
    bool stretch;
    QSize client; // logical
};

void PrintTo(const ScaledCase& c, std::ostream* os) {
    *os << c.name;
}

double ScaleFromEnvironment() {
    const char* value = std::getenv("QT_SCALE_FACTOR");
    return value == nullptr ? 1.0 : std::atof(value);
}

QRgb ScreenColour(WORD pixel) {
    QImage one(1, 1, QImage::Format_RGB555);
    std::memcpy(one.bits(), &pixel, sizeof pixel);
    return one.pixel(0, 0) | 0xFF000000;
}

long Round(double value) {
    return std::lround(std::floor(value + 0.5));
}

class ScaledDisplayTest : public ::testing::TestWithParam<ScaledCase> {
protected:
    void SetUp() override {
        std::fill(std::begin(g_drops), std::end(g_drops), RippleDrop{});
        SetTickSource([] { return kTick; });
        SetRandSource([] { return 0; });
        ASSERT_TRUE(m_dlg.Create(IDD_MAIN));
        m_pClient = WidgetOf(&m_dlg);
        ASSERT_NE(m_pClient, nullptr);
    }

    void TearDown() override {
        if (IsWindow(m_dlg.m_hWnd)) {
            m_dlg.DestroyWindow();
        }
        SetTickSource({});
        SetRandSource({});
    }

    void Check(int nID) {
        auto* box = qobject_cast<QAbstractButton*>(DialogItemWidget(&m_dlg, nID));
        ASSERT_NE(box, nullptr);
        box->click();
    }

    // Neighbouring cells always differ, so that a cell drawn one device pixel too far shows.
    void PaintPattern() {
        auto* bytes = static_cast<std::uint8_t*>(m_dlg.m_surface.m_pBits);
        const int height = m_dlg.m_surface.Height();
        for (int row = 0; row < height; ++row) {
            auto* words =
                reinterpret_cast<WORD*>(bytes + (height - 1 - row) * m_dlg.m_surface.Stride());
            for (int column = kSpectrumWidth; column < m_dlg.m_surface.Width(); ++column) {
                words[column] = static_cast<WORD>(((column & 31) << 10) | ((row & 31) << 5) | 9);
            }
        }
    }

    WORD SurfacePixel(int column, int row) {
        const auto* bytes = static_cast<const std::uint8_t*>(m_dlg.m_surface.m_pBits);
        WORD pixel = 0;
        std::memcpy(&pixel,
                    bytes + (m_dlg.m_surface.Height() - 1 - row) * m_dlg.m_surface.Stride() +
                        2 * column,
                    sizeof pixel);
        return pixel;
    }

    // Sends a press at the position Qt reports for the device pixel (x, y), then the cell of
    // the drop it made.
    QPoint ClickDevicePixel(int x, int y, double scale) {
        const QPointF position(x / scale, y / scale);
        QMouseEvent press(QEvent::MouseButtonPress, position, m_pClient->mapToGlobal(position),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_pClient, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, position, m_pClient->mapToGlobal(position),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(m_pClient, &release);
        const RippleDrop& drop = g_drops[(m_dlg.m_nNextDrop + kMaxDrops - 1) % kMaxDrops];
        return {static_cast<int>(drop.x), static_cast<int>(drop.y)};
    }

    // Checks that the picture in shot, whose pixels are the window's device pixels times zoom, is
    // the surface stretched onto them by the graphics layer's one source-pixel rule, and returns
    // where it lies.
    QRect ExpectPicture(const QImage& shot, double zoom, const ScaledCase& c) {
        const RECT& rc = m_dlg.m_rcDisplay;
        // Edges go to the nearest pixel boundary; at one pixel per cell the picture keeps its
        // length rounded, wherever it stands.
        const int left = static_cast<int>(Round(rc.left * zoom));
        const int top = static_cast<int>(Round(rc.top * zoom));
        const bool natural = rc.right - rc.left == c.grid;
        const int width =
            static_cast<int>(natural ? Round(c.grid * zoom) : Round(rc.right * zoom) - left);
        const int height =
            static_cast<int>(natural ? Round(c.grid * zoom) : Round(rc.bottom * zoom) - top);
        int wrong = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const QRgb want = ScreenColour(
                    SurfacePixel(static_cast<int>(StretchedSource(x, c.grid, width)),
                                 static_cast<int>(StretchedSource(y, c.grid, height))));
                const QRgb seen = shot.pixel(left + x, top + y) | 0xFF000000;
                if (seen != want && wrong++ < 5) {
                    ADD_FAILURE() << "at zoom " << zoom << " pixel (" << left + x << ", " << top + y
                                  << ") shows " << std::hex << seen << ", not " << want;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
        return {left, top, width, height};
    }

    CRippleDlg m_dlg;
    QWidget* m_pClient = nullptr;
};

TEST_P(ScaledDisplayTest, PictureIsTheNearestNeighbourMappingAndClicksHitTheCellShown) {
    const ScaledCase& c = GetParam();
    // Without the variable every run would quietly be one at scale 1.
    ASSERT_NE(std::getenv("QT_SCALE_FACTOR"), nullptr) << "each run names its scale";
    const double scale = ScaleFromEnvironment();
    ASSERT_DOUBLE_EQ(m_pClient->devicePixelRatio(), scale) << "the scale factor did not take";
    m_pClient->window()->resize(c.client);
    ASSERT_EQ(m_dlg.SetGridSize(c.grid, c.grid), TRUE);
    if (c.stretch) {
        Check(IDC_STRETCH);
    }
    Check(IDC_SPECTRUM);
    m_dlg.SendMessage(WM_TIMER, 2, 0);
    PaintPattern();

    if (!c.stretch) {
        // Every cell the same block of whole device pixels: the scale rounded, halves up.
        const long cellPixels = std::max(1L, Round(scale));
        EXPECT_EQ(m_dlg.m_rcDisplay.right - m_dlg.m_rcDisplay.left, c.grid * cellPixels);
        EXPECT_EQ(m_dlg.m_rcDisplay.bottom - m_dlg.m_rcDisplay.top, c.grid * cellPixels);
    }

    const QImage shot = m_pClient->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.width(), Round(m_pClient->width() * scale));
    const QRect picture = ExpectPicture(shot, 1, c);
    const int left = picture.left();
    const int top = picture.top();
    const int width = picture.width();
    const int height = picture.height();
    ASSERT_GE(width, c.grid) << "the picture must not be shrunk for the click checks";

    if (c.stretch) {
        // The frame's sunken edge touches the picture on every side: no gap, no overlap.
        const QPalette& colours = DialogItemWidget(&m_dlg, IDC_FRAME)->palette();
        const QRgb shadow = colours.shadow().color().rgb();
        const QRgb midlight = colours.midlight().color().rgb();
        EXPECT_EQ(shot.pixel(left - 1, top + height / 2), shadow);
        EXPECT_EQ(shot.pixel(left + width / 2, top - 1), shadow);
        EXPECT_EQ(shot.pixel(left + width, top + height / 2), midlight);
        EXPECT_EQ(shot.pixel(left + width / 2, top + height), midlight);
    }

    // Every device pixel of the middle row and the middle column.
    for (int x = 0; x < width; ++x) {
        const QPoint cell = ClickDevicePixel(left + x, top + height / 2, scale);
        ASSERT_EQ(cell, QPoint(x * c.grid / width, (height / 2) * c.grid / height))
            << "click on device column " << left + x;
    }
    for (int y = 0; y < height; ++y) {
        const QPoint cell = ClickDevicePixel(left + width / 2, top + y, scale);
        ASSERT_EQ(cell, QPoint((width / 2) * c.grid / width, y * c.grid / height))
            << "click on device row " << top + y;
    }

    // The window moved to a screen of another scale paints there from nothing it kept.
    const double otherScale = scale + 0.75;
    QImage moved(static_cast<int>(Round(m_pClient->width() * otherScale)),
                 static_cast<int>(Round(m_pClient->height() * otherScale)), QImage::Format_RGB32);
    moved.setDevicePixelRatio(otherScale);
    m_pClient->render(&moved);
    ExpectPicture(moved, otherScale / scale, c);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ScaledDisplayTest,
    ::testing::Values(ScaledCase{"Natural100", 100, false, QSize(433, 311)},
                      ScaledCase{"Natural75AtAnOddPlace", 75, false, QSize(402, 290)},
                      ScaledCase{"Natural25", 25, false, QSize(377, 251)},
                      ScaledCase{"Stretched100", 100, true, QSize(433, 311)},
                      ScaledCase{"Stretched50IntoAnOddFrame", 50, true, QSize(381, 267)}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

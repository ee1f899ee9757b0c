#include "ui/CRippleDlg.h"

#include "res/IconImage.h"
#include "res/resource.h"
#include "ripple/DropSources.h"
#include "ripple/RandomSource.h"
#include "ripple/RippleDrop.h"
#include "ripple/RippleField.h"
#include "tests/platform/QtWnd.h"
#include "tests/platform/SessionHooks.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

using Table = std::array<RippleDrop, kMaxDrops>;

constexpr std::uint32_t kStartTick = 999000; // far from zero, so that rain may fall at once
constexpr WORD kCalm = 0x0010;               // level 16, no tint
constexpr WORD kCalmTinted = 0x1510;         // level 16 with red 5 and green 8
constexpr int kFrameBorder = 2;              // the picture sits this far inside the frame
constexpr int kWaitMs = 5000;

// What the screen shows for a 16-bit surface pixel, by Qt's own conversion of the format.
QRgb ScreenColour(WORD pixel) {
    QImage one(1, 1, QImage::Format_RGB555);
    std::memcpy(one.bits(), &pixel, sizeof pixel);
    return one.pixel(0, 0) & 0xFFFFFF;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& rc) {
    return "(" + std::to_string(rc.left) + ", " + std::to_string(rc.top) + ")-(" +
           std::to_string(rc.right) + ", " + std::to_string(rc.bottom) + ")";
}

Table CopyOfDrops() {
    Table table{};
    std::copy(std::begin(g_drops), std::end(g_drops), table.begin());
    return table;
}

bool SameDrops(const Table& a, const Table& b) {
    for (int k = 0; k < kMaxDrops; ++k) {
        if (a[k].active != b[k].active || a[k].x != b[k].x || a[k].y != b[k].y ||
            a[k].tick != b[k].tick) {
            return false;
        }
    }
    return true;
}

// A dialog whose OK and Cancel record that Enter and Escape reached them, then do what the
// dialog's own do.
class CProbeRippleDlg : public CRippleDlg {
public:
    int m_nOkCalls = 0;
    int m_nCancelCalls = 0;

protected:
    void OnOK() override {
        ++m_nOkCalls;
        CRippleDlg::OnOK();
    }
    void OnCancel() override {
        ++m_nCancelCalls;
        CRippleDlg::OnCancel();
    }
};

// Every test starts from a fresh process state: no drops, no rain yet, a tick and a random
// source under the test's control. The dialog's own 100 ms timer keeps running; with the tick
// held still its frames equal the ones the tests deliver with WM_TIMER, except under Drift,
// whose checks take the table and the frame with no event processed in between.
class CRippleDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWater(m_dlg.m_nNextDrop);
        SetTickSource([this] { return m_tick; });
        SetRandSource([this] { return NextRand(); });
    }

    void TearDown() override {
        if (IsWindow(m_dlg.m_hWnd)) {
            m_dlg.DestroyWindow();
        }
        SetTickSource({});
        SetRandSource({});
    }

    void Open() {
        ASSERT_TRUE(m_dlg.Create(IDD_MAIN));
        m_pClient = WidgetOf(&m_dlg);
        ASSERT_NE(m_pClient, nullptr);
    }

    int NextRand() {
        if (m_rands.empty()) {
            return 0;
        }
        const int value = m_rands.front();
        m_rands.pop_front();
        return value;
    }

    void Tick() { m_dlg.SendMessage(WM_TIMER, 2, 0); }

    QWidget* Item(int nID) {
        QWidget* pWidget = DialogItemWidget(&m_dlg, nID);
        EXPECT_NE(pWidget, nullptr) << "control " << nID;
        return pWidget;
    }

    // Clicks at a point of the dialog's client area on whatever widget is there, as a mouse
    // would.
    void ClickAt(int x, int y) {
        const QPoint point(x, y);
        QWidget* pTarget = m_pClient->childAt(point);
        if (pTarget == nullptr) {
            pTarget = m_pClient;
        }
        QTest::mouseClick(pTarget, Qt::LeftButton, {}, pTarget->mapFrom(m_pClient, point));
    }

    void ClickBox(int nID) {
        QWidget* pBox = Item(nID);
        QTest::mouseClick(pBox, Qt::LeftButton, {}, QPoint(4, pBox->height() / 2));
    }

    // The inside of the frame control's border, in client pixels, from the widget itself.
    RECT FrameInside() {
        QWidget* pFrame = Item(IDC_FRAME);
        const QPoint topLeft = pFrame->mapTo(m_pClient, QPoint(0, 0));
        return {topLeft.x() + kFrameBorder, topLeft.y() + kFrameBorder,
                topLeft.x() + pFrame->width() - kFrameBorder,
                topLeft.y() + pFrame->height() - kFrameBorder};
    }

    // Where the picture must be when shown at one pixel per cell.
    RECT CentredIn(const RECT& inner, int grid) {
        const int ox = std::max(0, ((inner.right - inner.left) - grid) / 2);
        const int oy = std::max(0, ((inner.bottom - inner.top) - grid) / 2);
        return {inner.left + ox, inner.top + oy, inner.left + ox + grid, inner.top + oy + grid};
    }

    WORD SurfacePixel(int column, int row) {
        const auto* pBytes = static_cast<const std::uint8_t*>(m_dlg.m_surface.m_pBits);
        const int memoryRow = m_dlg.m_surface.Height() - 1 - row;
        WORD pixel = 0;
        std::memcpy(&pixel, pBytes + memoryRow * m_dlg.m_surface.Stride() + 2 * column,
                    sizeof pixel);
        return pixel;
    }

    // The grid's pixels, top row first.
    std::vector<WORD> SurfacePixels() {
        std::vector<WORD> pixels;
        for (int row = 0; row < m_dlg.m_surface.Height(); ++row) {
            for (int column = 0; column < m_dlg.m_surface.Width(); ++column) {
                pixels.push_back(SurfacePixel(column, row));
            }
        }
        return pixels;
    }

    // The frame the synthesis gives for these drops, in the same order as SurfacePixels.
    static std::vector<WORD> Expected(int grid, const FieldOptions& options, std::uint32_t now,
                                      Table drops) {
        const int stride = (grid * 2 + 3) & ~3;
        std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride) * grid, 0);
        SynthesizeField(grid, grid, options, now, drops, bits.data(), stride, grid);
        std::vector<WORD> pixels;
        for (int row = 0; row < grid; ++row) {
            for (int column = 0; column < grid; ++column) {
                WORD pixel = 0;
                std::memcpy(&pixel, bits.data() + (grid - 1 - row) * stride + 2 * column,
                            sizeof pixel);
                pixels.push_back(pixel);
            }
        }
        return pixels;
    }

    QImage Screen() { return m_pClient->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // At one pixel per cell, every pixel of the display rectangle shows its cell.
    void ExpectScreenShowsSurface() {
        const QImage screen = Screen();
        const RECT& rc = m_dlg.m_rcDisplay;
        int wrong = 0;
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) {
                const QRgb want = ScreenColour(SurfacePixel(x - rc.left, y - rc.top));
                if ((screen.pixel(x, y) & 0xFFFFFF) != want && wrong++ < 5) {
                    ADD_FAILURE() << "screen (" << x << ", " << y << ") shows " << std::hex
                                  << (screen.pixel(x, y) & 0xFFFFFF) << ", not " << want;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    void ExpectScreenUniform(const RECT& rc, WORD pixel) {
        const QImage screen = Screen();
        const QRgb want = ScreenColour(pixel);
        int wrong = 0;
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) {
                wrong += (screen.pixel(x, y) & 0xFFFFFF) != want ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0) << "pixels of " << Describe(rc) << " not showing " << std::hex << pixel;
    }

    std::uint32_t m_tick = kStartTick;
    std::deque<int> m_rands;
    CRippleDlg m_dlg;
    QWidget* m_pClient = nullptr;
};

TEST_F(CRippleDlgTest, StartsAt100x100BlackUntilTheFirstTickThenCalm) {
    // Water left by an earlier dialog in this process: opening must start from clear water, so
    // the live drop would show in the first frame and the stale schedule would hold off rain.
    g_drops[4] = {1, 50.0, 50.0, m_tick - 1000};
    g_lastRainTick = m_tick;
    g_rainInterval = 5000;
    m_dlg.m_nNextDrop = 7;
    Open();
    EXPECT_EQ(g_drops[4].active, 0);
    EXPECT_EQ(g_lastRainTick, 0u);
    EXPECT_EQ(g_rainInterval, 0u);
    auto* pList = qobject_cast<QComboBox*>(Item(IDC_SIZE));
    ASSERT_NE(pList, nullptr);
    EXPECT_EQ(pList->currentText().toStdString(), "100 x 100");
    EXPECT_EQ(pList->count(), 8);
    EXPECT_EQ(m_dlg.m_nGridW, 100);
    EXPECT_EQ(m_dlg.m_nGridH, 100);
    EXPECT_EQ(m_dlg.m_surface.Width(), 100);
    EXPECT_EQ(m_dlg.m_surface.Height(), 100);
    EXPECT_EQ(m_dlg.m_nNextDrop, 0);
    for (int nID : {IDC_RAIN, IDC_DRIFT, IDC_ADDCOLOR, IDC_SPECTRUM, IDC_STRETCH}) {
        auto* pBox = qobject_cast<QAbstractButton*>(Item(nID));
        ASSERT_NE(pBox, nullptr);
        EXPECT_FALSE(pBox->isChecked()) << "box " << nID;
    }
    const RECT centred = CentredIn(FrameInside(), 100);
    EXPECT_TRUE(SameRect(m_dlg.m_rcDisplay, centred))
        << Describe(m_dlg.m_rcDisplay) << " is not centred in the frame at " << Describe(centred);

    EXPECT_EQ(SurfacePixels(), std::vector<WORD>(100 * 100, 0));
    ExpectScreenUniform(m_dlg.m_rcDisplay, 0);

    // The dialog's own timer brings the first frame.
    ASSERT_TRUE(QTest::qWaitFor([this] { return SurfacePixel(0, 0) != 0; }, kWaitMs));
    EXPECT_EQ(SurfacePixels(), std::vector<WORD>(100 * 100, kCalm));
    ExpectScreenUniform(m_dlg.m_rcDisplay, kCalm);
}

TEST_F(CRippleDlgTest, ClickInsideGivesTheSynthesisedFrameOfThatDropAtTheNextTick) {
    Open();
    Tick();
    const RECT rc = m_dlg.m_rcDisplay;
    ClickAt(rc.left + 30, rc.top + 40);

    Table expectedDrops{};
    expectedDrops[0] = {1, 30.0, 40.0, kStartTick};
    EXPECT_TRUE(SameDrops(CopyOfDrops(), expectedDrops));
    EXPECT_EQ(m_dlg.m_nNextDrop, 1);
    EXPECT_EQ(SurfacePixels(), std::vector<WORD>(100 * 100, kCalm))
        << "the picture changes only at the next tick";

    m_tick = kStartTick + 1000;
    Tick();
    EXPECT_EQ(SurfacePixels(), Expected(100, {}, m_tick, expectedDrops));
    // A drop one second old seen at tick 1000000: the ring's levels along its row, centred on
    // the clicked cell.
    const std::vector<WORD> ring = {21, 26, 27, 24, 17, 10, 4,  3,  7,  14, 23, 30, 31,
                                    30, 23, 14, 7,  3,  4,  10, 17, 24, 27, 26, 21};
    std::vector<WORD> row;
    for (int column = 30 - 12; column <= 30 + 12; ++column) {
        row.push_back(SurfacePixel(column, 40));
    }
    EXPECT_EQ(row, ring);
    ExpectScreenShowsSurface();
}

TEST_F(CRippleDlgTest, ClickOutsideTheDisplayRectangleDoesNothing) {
    Open();
    const RECT rc = m_dlg.m_rcDisplay;
    const int midX = (rc.left + rc.right) / 2;
    const int midY = (rc.top + rc.bottom) / 2;
    const QPoint outside[] = {{rc.right, midY},
                              {rc.left - 1, midY},
                              {midX, rc.top - 1},
                              {midX, rc.bottom},
                              {rc.right + 20, rc.bottom + 20}};
    for (const QPoint& point : outside) {
        ClickAt(point.x(), point.y());
    }
    EXPECT_TRUE(SameDrops(CopyOfDrops(), Table{}));
    EXPECT_EQ(m_dlg.m_nNextDrop, 0);
    m_tick += 1000;
    Tick();
    EXPECT_EQ(SurfacePixels(), std::vector<WORD>(100 * 100, kCalm));
}

TEST_F(CRippleDlgTest, EachPictureOptionBoxChangesTheNextFrame) {
    struct Case {
        const char* name;
        int nID;
        FieldOptions options;
    };
    const Case cases[] = {
        {"Drift", IDC_DRIFT, {true, false, false}},
        {"Spectrum", IDC_SPECTRUM, {false, true, false}},
        {"Add Color", IDC_ADDCOLOR, {false, false, true}},
    };
    Open();
    const RECT rc = m_dlg.m_rcDisplay;
    ClickAt(rc.left + 50, rc.top + 50);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClickBox(c.nID);
        m_tick += 500;
        const Table before = CopyOfDrops();
        Tick();
        EXPECT_EQ(SurfacePixels(), Expected(100, c.options, m_tick, before));
        EXPECT_NE(SurfacePixels(), Expected(100, {}, m_tick, before)) << "the box shows";
        ExpectScreenShowsSurface();
        ClickBox(c.nID);
    }
}

TEST_F(CRippleDlgTest, OptionBoxesActAsTheirDescriptionsSay) {
    Open();
    ClickBox(IDC_ADDCOLOR);
    Tick();
    EXPECT_EQ(SurfacePixels(), std::vector<WORD>(100 * 100, kCalmTinted)) << "Add Color";
    ClickBox(IDC_ADDCOLOR);

    ClickBox(IDC_SPECTRUM);
    Tick();
    for (int row : {0, 3, 4, 50, 99}) {
        const WORD level = static_cast<WORD>(32 * row / 100);
        EXPECT_EQ(SurfacePixel(0, row), level) << "Spectrum, row " << row;
        EXPECT_EQ(SurfacePixel(9, row), level) << "Spectrum, row " << row;
        EXPECT_EQ(SurfacePixel(10, row), kCalm) << "Spectrum, row " << row;
    }
    ClickBox(IDC_SPECTRUM);

    const RECT rc = m_dlg.m_rcDisplay;
    ClickAt(rc.left + 50, rc.top + 50);
    ClickBox(IDC_DRIFT);
    const Table before = CopyOfDrops();
    Tick();
    EXPECT_NEAR(g_drops[0].x, before[0].x + 0.5, 1e-9) << "Drift: half a cell right a frame";
    EXPECT_NEAR(g_drops[0].y, before[0].y + 0.2, 1e-9) << "Drift: a fifth of a cell down";
}

TEST_F(CRippleDlgTest, RainFallsInTheDrawnCellsWhileItsBoxIsChecked) {
    Open();
    m_rands = {400, 1234, 567, 0, 5, 6};
    ClickBox(IDC_RAIN);
    Tick();
    ASSERT_EQ(g_drops[0].active, 1) << "the first tick with Rain rains at once";
    EXPECT_EQ(g_drops[0].x, 34.0);
    EXPECT_EQ(g_drops[0].y, 67.0);
    EXPECT_EQ(g_drops[0].tick, kStartTick);
    EXPECT_EQ(g_rainInterval, 1100u);

    m_tick = kStartTick + 1100;
    Tick();
    EXPECT_EQ(g_drops[1].active, 0) << "no rain within the interval";
    m_tick = kStartTick + 1101;
    Tick();
    ASSERT_EQ(g_drops[1].active, 1) << "rain once more than the interval has passed";
    EXPECT_EQ(g_drops[1].x, 5.0);
    EXPECT_EQ(g_drops[1].y, 6.0);
    EXPECT_EQ(m_dlg.m_nNextDrop, 2);

    ClickBox(IDC_RAIN);
    m_rands = {0, 7, 8};
    m_tick += 20000;
    Tick();
    EXPECT_EQ(g_drops[2].active, 0) << "no rain with the box unchecked";
    EXPECT_EQ(m_rands.size(), 3u);
}

TEST_F(CRippleDlgTest, SizeListRecreatesTheSurfaceAndKeepsTheDrops) {
    Open();
    const RECT rc = m_dlg.m_rcDisplay;
    ClickAt(rc.left + 20, rc.top + 10);
    ClickAt(rc.left + 80, rc.top + 80);
    Tick();
    const Table drops = CopyOfDrops();

    auto* pList = qobject_cast<QComboBox*>(Item(IDC_SIZE));
    ASSERT_NE(pList, nullptr);
    pList->setFocus();
    QTest::keyClick(pList, Qt::Key_Home);
    ASSERT_EQ(pList->currentText().toStdString(), "25 x 25");

    EXPECT_EQ(m_dlg.m_nGridW, 25);
    EXPECT_EQ(m_dlg.m_nGridH, 25);
    EXPECT_EQ(m_dlg.m_surface.Width(), 25);
    EXPECT_EQ(m_dlg.m_surface.Height(), 25);
    EXPECT_EQ(SurfacePixels(), std::vector<WORD>(25 * 25, 0)) << "a new surface starts black";
    EXPECT_TRUE(SameDrops(CopyOfDrops(), drops));
    const RECT centred = CentredIn(FrameInside(), 25);
    EXPECT_TRUE(SameRect(m_dlg.m_rcDisplay, centred))
        << Describe(m_dlg.m_rcDisplay) << " is not centred in the frame at " << Describe(centred);

    // The drop at (80, 80) lies outside the small grid and still sends its rings into it.
    m_tick += 6000;
    const Table before = CopyOfDrops();
    Tick();
    EXPECT_EQ(SurfacePixels(), Expected(25, {}, m_tick, before));
    ExpectScreenShowsSurface();

    QTest::keyClick(pList, Qt::Key_End);
    ASSERT_EQ(pList->currentText().toStdString(), "200 x 200");
    EXPECT_EQ(m_dlg.m_surface.Width(), 200);
    EXPECT_EQ(m_dlg.m_nGridH, 200);
}

TEST_F(CRippleDlgTest, StretchFillsTheFrameAndUncheckingCentresAgain) {
    Open();
    ClickBox(IDC_STRETCH);
    const RECT inner = FrameInside();
    EXPECT_TRUE(SameRect(m_dlg.m_rcDisplay, inner))
        << Describe(m_dlg.m_rcDisplay) << " does not fill the frame's inside " << Describe(inner);
    Tick();
    ExpectScreenUniform(m_dlg.m_rcDisplay, kCalm);

    // A click maps through the stretched rectangle: its middle is the grid's middle.
    const int width = inner.right - inner.left;
    const int height = inner.bottom - inner.top;
    ClickAt(inner.left + width / 2, inner.top + height / 2);
    EXPECT_EQ(g_drops[0].x, static_cast<double>((width / 2) * 100 / width));
    EXPECT_EQ(g_drops[0].y, static_cast<double>((height / 2) * 100 / height));

    ClickBox(IDC_STRETCH);
    EXPECT_TRUE(SameRect(m_dlg.m_rcDisplay, CentredIn(FrameInside(), 100)));
}

TEST_F(CRippleDlgTest, ResizingMovesTheFrameAndRecentresThePicture) {
    Open();
    QWidget* pWindow = m_pClient->window();
    QWidget* pFrame = Item(IDC_FRAME);
    const QPoint frameTopLeft = pFrame->mapTo(m_pClient, QPoint(0, 0));
    const QSize grow = pWindow->size() + QSize(160, 120);
    pWindow->resize(grow);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            RECT client;
            m_dlg.GetClientRect(&client);
            return client.right == m_pClient->width() && m_pClient->width() > 300 &&
                   pFrame->mapTo(m_pClient, QPoint(0, 0)).x() + pFrame->width() ==
                       client.right - frameTopLeft.y();
        },
        kWaitMs));

    RECT client;
    m_dlg.GetClientRect(&client);
    EXPECT_EQ(pFrame->mapTo(m_pClient, QPoint(0, 0)), frameTopLeft) << "the frame keeps its corner";
    EXPECT_EQ(frameTopLeft.x() + pFrame->width(), client.right - frameTopLeft.y());
    EXPECT_EQ(frameTopLeft.y() + pFrame->height(), client.bottom - frameTopLeft.y());
    EXPECT_TRUE(SameRect(m_dlg.m_rcDisplay, CentredIn(FrameInside(), 100)));
    Tick();
    ExpectScreenUniform(m_dlg.m_rcDisplay, kCalm);

    ClickBox(IDC_STRETCH);
    EXPECT_TRUE(SameRect(m_dlg.m_rcDisplay, FrameInside()));
}

TEST_F(CRippleDlgTest, SystemMenuEndsWithTheAboutItem) {
    Open();
    QMenu* pMenu = OpenSystemMenu(&m_dlg);
    ASSERT_NE(pMenu, nullptr);
    const QList<QAction*> actions = pMenu->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
    EXPECT_EQ(actions.back()->text().toStdString(), "&About Ondeline...");
    pMenu->close();
}

TEST_F(CRippleDlgTest, MinimisedWindowShowsTheIconCentred) {
    Open();
    m_pClient->window()->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_dlg.IsIconic() == TRUE; }, kWaitMs));

    const IconGroup* pGroup = FindIconGroup(IDR_MAINFRAME);
    ASSERT_NE(pGroup, nullptr);
    const IconImage* pLarge = nullptr;
    for (const IconImage& image : pGroup->images) {
        if (image.width == GetSystemMetrics(SM_CXICON)) {
            pLarge = &image;
        }
    }
    ASSERT_NE(pLarge, nullptr);

    const QImage screen = Screen();
    const int x0 = (screen.width() - pLarge->width + 1) / 2;
    const int y0 = (screen.height() - pLarge->height + 1) / 2;
    int opaque = 0;
    int wrong = 0;
    for (int y = 0; y < pLarge->height; ++y) {
        for (int x = 0; x < pLarge->width; ++x) {
            const int index = IconPixelIndex(*pLarge, x, y);
            if (index < 0) {
                continue;
            }
            ++opaque;
            const QRgb want = pLarge->palette[static_cast<std::size_t>(index)] & 0xFFFFFF;
            wrong += (screen.pixel(x0 + x, y0 + y) & 0xFFFFFF) != want ? 1 : 0;
        }
    }
    EXPECT_GT(opaque, 0);
    EXPECT_EQ(wrong, 0) << "of " << opaque << " icon pixels";
    EXPECT_EQ(reinterpret_cast<HICON>(m_dlg.SendMessage(WM_QUERYDRAGICON)), m_dlg.m_hIcon);
}

// The modal dialog, as the application runs it: Enter and Escape reach OK and Cancel and leave
// it open; the window's close ends it with IDOK.
TEST(CRippleDlgModalTest, EnterAndEscapeLeaveItOpenAndCloseEndsIt) {
    CProbeRippleDlg dlg;
    bool openAfterKeys = false;
    bool shown = false;
    PostToUi([&] {
        QWidget* pClient = WidgetOf(&dlg);
        shown = pClient != nullptr &&
                QTest::qWaitFor([&] { return pClient->window()->isVisible(); }, kWaitMs);
        if (!shown) {
            return;
        }
        QWidget* pBox = DialogItemWidget(&dlg, IDC_RAIN);
        pBox->setFocus();
        QTest::keyClick(pBox, Qt::Key_Return);
        QTest::keyClick(pBox, Qt::Key_Escape);
        QTest::keyClick(pClient, Qt::Key_Enter);
        QApplication::processEvents();
        openAfterKeys = IsWindow(dlg.m_hWnd) == TRUE && pClient->window()->isVisible();
        pClient->window()->close();
    });
    const int result = dlg.DoModal();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(openAfterKeys);
    EXPECT_EQ(dlg.m_nOkCalls, 2);
    EXPECT_EQ(dlg.m_nCancelCalls, 1);
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(IsWindow(dlg.m_hWnd));
}

} // namespace

// Left alone, the water is calm for hours; those frames are not drawn again, yet what the
// surface holds after every tick is exactly the frame the synthesis gives at that tick.
TEST_F(CRippleDlgTest, EveryTickShowsTheSynthesisedFrameWhetherOrNotItWasDrawnAgain) {
    Open();
    FieldOptions options;
    const auto expectTickMatchesSynthesis = [&](const std::string& step) {
        const std::vector<WORD> want = Expected(m_dlg.m_nGridW, options, m_tick, CopyOfDrops());
        // The table as the same frame leaves it, from a frame drawn aside.
        Table after = CopyOfDrops();
        std::vector<std::uint8_t> aside(static_cast<std::size_t>(m_dlg.m_surface.Stride()) *
                                        m_dlg.m_nGridH);
        SynthesizeField(m_dlg.m_nGridW, m_dlg.m_nGridH, options, m_tick, after, aside.data(),
                        m_dlg.m_surface.Stride(), m_dlg.m_nGridH);
        Tick();
        EXPECT_EQ(SurfacePixels(), want) << step;
        EXPECT_TRUE(SameDrops(CopyOfDrops(), after)) << step;
    };

    expectTickMatchesSynthesis("first frame");
    m_tick += 100;
    expectTickMatchesSynthesis("calm again");
    ClickBox(IDC_SPECTRUM);
    options.spectrum = true;
    expectTickMatchesSynthesis("spectrum on");
    ClickBox(IDC_ADDCOLOR);
    options.addColor = true;
    expectTickMatchesSynthesis("colour on");
    const RECT& rc = m_dlg.m_rcDisplay;
    ClickAt(rc.left + 40, rc.top + 60);
    for (std::uint32_t age : {0u, 100u, 1000u, 14999u, 15000u, 15001u, 15100u, 40000u}) {
        m_tick = g_drops[0].tick + age;
        expectTickMatchesSynthesis("drop aged " + std::to_string(age));
    }
    ClickBox(IDC_ADDCOLOR);
    options.addColor = false;
    expectTickMatchesSynthesis("colour off after the drop retired");
}

TEST_F(CRippleDlgTest, CalmWaterIsNotDrawnAgainUntilSomethingChanges) {
    Open();
    Tick();
    // A mark no frame would leave shows whether the next tick drew the frame again.
    const auto mark = [&] { static_cast<std::uint8_t*>(m_dlg.m_surface.m_pBits)[0] = 0xAB; };
    const auto drawnAgain = [&] {
        return static_cast<std::uint8_t*>(m_dlg.m_surface.m_pBits)[0] != 0xAB;
    };

    mark();
    m_tick += 5000;
    Tick();
    EXPECT_FALSE(drawnAgain()) << "a calm frame was drawn again";

    ClickBox(IDC_SPECTRUM);
    Tick();
    EXPECT_TRUE(drawnAgain()) << "turning Spectrum on did not draw a frame";

    mark();
    const RECT& rc = m_dlg.m_rcDisplay;
    ClickAt(rc.left + 10, rc.top + 10);
    Tick();
    EXPECT_TRUE(drawnAgain()) << "a new drop did not draw a frame";

    m_tick += 20000;
    Tick(); // retires the drop
    mark();
    Tick();
    EXPECT_FALSE(drawnAgain()) << "calm water after the drop retired was drawn again";

    auto* pList = qobject_cast<QComboBox*>(Item(IDC_SIZE));
    ASSERT_NE(pList, nullptr);
    QTest::keyClick(pList, Qt::Key_Home);
    ASSERT_EQ(m_dlg.m_nGridW, 25);
    mark();
    Tick();
    EXPECT_TRUE(drawnAgain()) << "a new surface was not drawn";
}

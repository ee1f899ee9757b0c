#include "ui/CRippleDlg.h"

#include "platform/winqt/paint/GdiQt.h"
#include "res/resource.h"
#include "ripple/DropSources.h"
#include "ripple/RandomSource.h"
#include "ripple/RippleDrop.h"
#include "ripple/RippleField.h"
#include "tests/platform/GdiHooks.h"
#include "tests/platform/QtWnd.h"
#include "tests/platform/SessionHooks.h"
#include "tests/reliability/AllocationFaults.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

// The surface cannot always be made: its pixel memory, its header or its memory DC may fail.
// The dialog must then go on without a picture, draw nothing and rain nothing, and make the
// surface again at the next size chosen.

namespace {

using Table = std::array<RippleDrop, kMaxDrops>;

constexpr std::uint32_t kStartTick = 2000000;
constexpr WORD kCalm = 0x0010; // level 16, no tint
constexpr std::size_t kHeaderBytes = sizeof(BITMAPINFO);
constexpr int kSmallGrid = 25;  // the list's first item
constexpr int kLargeGrid = 200; // the list's last item

std::size_t PixelBytes(int grid) {
    return static_cast<std::size_t>((grid * 2 + 3) & ~3) * static_cast<std::size_t>(grid);
}

Table CopyOfDrops() {
    Table table{};
    std::copy(std::begin(g_drops), std::end(g_drops), table.begin());
    return table;
}

bool SameDrops(const Table& a, const Table& b) {
    return std::equal(a.begin(), a.end(), b.begin(), [](const RippleDrop& x, const RippleDrop& y) {
        return x.active == y.active && x.x == y.x && x.y == y.y && x.tick == y.tick;
    });
}

// One way of taking the surface's memory away at its next creation.
struct Fault {
    const char* name;
    std::function<void(int grid)> arm;
};

const Fault kFaults[] = {
    {"DibSection", [](int) { FailNextDibSections(1); }},
    {"PixelAllocation", [](int grid) { FailNextAllocationsOf(PixelBytes(grid), 1); }},
    {"HeaderAllocation", [](int) { FailNextAllocationsOf(kHeaderBytes, 1); }},
};

class DialogFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWater(m_dlg.m_nNextDrop);
        SetTickSource([this] { return m_tick; });
        SetRandSource([this] {
            ++m_nRandCalls;
            return 1234;
        });
        m_nHandlesBefore = LiveGdiHandleCount();
    }

    void TearDown() override {
        FailNextDibSections(0);
        FailNextMemoryDCs(0);
        FailNextAllocationsOf(0, 0);
        if (IsWindow(m_dlg.m_hWnd)) {
            m_dlg.DestroyWindow();
        }
        m_dlg.m_surface.Free();
        EXPECT_EQ(LiveGdiHandleCount(), m_nHandlesBefore) << "graphics handles left behind";
        SetTickSource({});
        SetRandSource({});
    }

    void Open() {
        ASSERT_TRUE(m_dlg.Create(IDD_MAIN));
        m_pClient = WidgetOf(&m_dlg);
        ASSERT_NE(m_pClient, nullptr);
        // Only the test's ticks: the dialog's own timer is put off for weeks.
        m_dlg.SetTimer(2, 0x7FFFFFFF, nullptr);
    }

    void Tick() { m_dlg.SendMessage(WM_TIMER, 2, 0); }

    QWidget* Item(int nID) { return DialogItemWidget(&m_dlg, nID); }

    void ChooseSize(Qt::Key key) {
        auto* pList = qobject_cast<QComboBox*>(Item(IDC_SIZE));
        ASSERT_NE(pList, nullptr);
        QTest::keyClick(pList, key);
    }

    void CheckBox(int nID) {
        auto* pBox = qobject_cast<QAbstractButton*>(Item(nID));
        ASSERT_NE(pBox, nullptr);
        if (!pBox->isChecked()) {
            QTest::mouseClick(pBox, Qt::LeftButton, {}, QPoint(4, pBox->height() / 2));
        }
        ASSERT_TRUE(pBox->isChecked());
    }

    bool SurfaceEmpty() const {
        const CDibSurface& s = m_dlg.m_surface;
        return s.m_pbmi == nullptr && s.m_pBits == nullptr && s.m_hBitmap == nullptr &&
               s.m_hMemDC == nullptr && s.m_hOldBitmap == nullptr;
    }

    std::vector<WORD> SurfacePixels() const {
        const CDibSurface& s = m_dlg.m_surface;
        std::vector<WORD> pixels;
        for (int row = 0; row < s.Height(); ++row) {
            for (int column = 0; column < s.Width(); ++column) {
                WORD pixel = 0;
                std::memcpy(&pixel,
                            static_cast<const std::uint8_t*>(s.m_pBits) + row * s.Stride() +
                                2 * column,
                            sizeof pixel);
                pixels.push_back(pixel);
            }
        }
        return pixels;
    }

    // The display rectangle, as far as it lies in the client area, shows nothing but the
    // dialog's own background.
    void ExpectNothingDrawnInThePicture() {
        const QImage screen = m_pClient->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRgb background = m_pClient->palette().color(QPalette::Window).rgb() & 0xFFFFFF;
        const RECT& rc = m_dlg.m_rcDisplay;
        int drawn = 0;
        int seen = 0;
        for (int y = std::max<int>(rc.top, 0); y < std::min<int>(rc.bottom, screen.height()); ++y) {
            for (int x = std::max<int>(rc.left, 0); x < std::min<int>(rc.right, screen.width());
                 ++x) {
                ++seen;
                drawn += (screen.pixel(x, y) & 0xFFFFFF) != background ? 1 : 0;
            }
        }
        EXPECT_GT(seen, 0);
        EXPECT_EQ(drawn, 0) << "pixels of the picture drawn without a surface to draw";
    }

    std::uint32_t m_tick = kStartTick;
    int m_nRandCalls = 0;
    int m_nHandlesBefore = 0;
    CRippleDlg m_dlg;
    QWidget* m_pClient = nullptr;
};

class SurfaceFaultTest : public DialogFaultTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(SurfaceFaultTest, NoSurfaceMeansNoPictureNoRainAndTheNextSizeTriesAgain) {
    const Fault& fault = GetParam();
    Open();
    const RECT& rc = m_dlg.m_rcDisplay;
    QTest::mouseClick(m_pClient, Qt::LeftButton, {}, QPoint(rc.left + 50, rc.top + 50));
    CheckBox(IDC_RAIN);
    CheckBox(IDC_DRIFT);
    Tick();
    ASSERT_EQ(m_dlg.m_surface.Width(), 100);
    const int handlesWithSurface = LiveGdiHandleCount();

    fault.arm(kSmallGrid);
    ChooseSize(Qt::Key_Home);
    EXPECT_EQ(PendingAllocationFaults(), 0) << "the allocation asked to fail was never made";
    EXPECT_EQ(m_dlg.m_nGridW, kSmallGrid);
    EXPECT_TRUE(SurfaceEmpty()) << "a surface that could not be made kept some of its parts";
    EXPECT_LT(LiveGdiHandleCount(), handlesWithSurface) << "the old surface was not given back";

    // Time goes on; with Rain and Drift on, the table would change at every frame.
    const Table drops = CopyOfDrops();
    const int randCalls = m_nRandCalls;
    for (int i = 0; i < 50; ++i) {
        m_tick += 100 + 997 * static_cast<std::uint32_t>(i);
        Tick();
    }
    EXPECT_TRUE(SameDrops(CopyOfDrops(), drops)) << "frames were rendered without a surface";
    EXPECT_EQ(m_nRandCalls, randCalls) << "it rained without a surface";
    m_pClient->repaint();
    ExpectNothingDrawnInThePicture();

    ChooseSize(Qt::Key_End);
    ASSERT_EQ(m_dlg.m_surface.Width(), kLargeGrid) << "the next size did not try again";
    ASSERT_EQ(m_dlg.m_surface.Height(), kLargeGrid);
    EXPECT_EQ(SurfacePixels(), std::vector<WORD>(kLargeGrid * kLargeGrid, 0)) << "new is black";
    m_tick += 100;
    Table expectedDrops = CopyOfDrops();
    std::vector<std::uint8_t> expected(PixelBytes(kLargeGrid));
    SynthesizeField(kLargeGrid, kLargeGrid, FieldOptions{true, false, false}, m_tick, expectedDrops,
                    expected.data(), (kLargeGrid * 2 + 3) & ~3, kLargeGrid);
    Tick();
    EXPECT_EQ(std::memcmp(m_dlg.m_surface.m_pBits, expected.data(), expected.size()), 0)
        << "the first frame after the failure is not the synthesis of the drops";
    EXPECT_GT(m_nRandCalls, randCalls) << "rain did not resume with the surface";
}

INSTANTIATE_TEST_SUITE_P(Faults, SurfaceFaultTest, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<Fault>& info) {
                             return std::string(info.param.name);
                         });

// The very first surface, made while the dialog initialises, fails: the window still opens and
// runs, and the list brings the picture.
TEST_F(DialogFaultTest, TheDialogOpensWithoutASurfaceAndTheListBringsIt) {
    FailNextDibSections(1);
    Open();
    EXPECT_EQ(m_dlg.m_nGridW, 100);
    EXPECT_TRUE(SurfaceEmpty());
    CheckBox(IDC_RAIN);
    for (int i = 0; i < 20; ++i) {
        m_tick += 100;
        Tick();
    }
    EXPECT_EQ(m_nRandCalls, 0) << "it rained without a surface";
    EXPECT_TRUE(SameDrops(CopyOfDrops(), Table{}));
    m_pClient->repaint();
    ExpectNothingDrawnInThePicture();

    ChooseSize(Qt::Key_Up);
    ASSERT_EQ(m_dlg.m_surface.Width(), 75);
    Tick();
    EXPECT_EQ(SurfacePixels(), std::vector<WORD>(75 * 75, kCalm));
}

// Several sizes in a row fail; each is tried, none leaves anything behind, the next works.
TEST_F(DialogFaultTest, EverySizeTriesAgainHoweverManyFailedBefore) {
    Open();
    const int handlesWithSurface = LiveGdiHandleCount();
    FailNextDibSections(3);
    for (const Qt::Key key : {Qt::Key_Home, Qt::Key_Down, Qt::Key_Down}) {
        ChooseSize(key);
        EXPECT_TRUE(SurfaceEmpty()) << "grid " << m_dlg.m_nGridW;
        Tick();
    }
    EXPECT_EQ(m_dlg.m_nGridW, 75);
    ChooseSize(Qt::Key_Down);
    ASSERT_EQ(m_dlg.m_surface.Width(), 100);
    EXPECT_EQ(LiveGdiHandleCount(), handlesWithSurface);
    Tick();
    EXPECT_EQ(SurfacePixels(), std::vector<WORD>(100 * 100, kCalm));
}

// Without its memory DC the surface still takes frames, but nothing can be copied from it: the
// picture is not drawn, and nothing breaks. The next size brings the picture back.
TEST_F(DialogFaultTest, WithoutAMemoryDcFramesAreMadeButNotShown) {
    Open();
    FailNextMemoryDCs(1);
    ChooseSize(Qt::Key_Home);
    ASSERT_NE(m_dlg.m_surface.m_pBits, nullptr);
    EXPECT_EQ(m_dlg.m_surface.m_hMemDC, nullptr);
    m_tick += 100;
    Tick();
    EXPECT_EQ(SurfacePixels(), std::vector<WORD>(25 * 25, kCalm));
    m_pClient->repaint();
    ExpectNothingDrawnInThePicture();

    ChooseSize(Qt::Key_Down);
    ASSERT_NE(m_dlg.m_surface.m_hMemDC, nullptr);
    Tick();
    const QImage screen = m_pClient->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const RECT& rc = m_dlg.m_rcDisplay;
    // Calm water, level 16 of blue, widened to eight bits.
    EXPECT_EQ(screen.pixel(rc.left, rc.top) & 0xFFFFFF,
              qRgb(0, 0, (16 << 3) | (16 >> 2)) & 0xFFFFFFu);
}

} // namespace

// The real program on a Wayland desktop (sway, headless) at several output scales, driven as a
// person drives it: a pointer, a keyboard and the compositor's own commands. The screenshots,
// in device pixels, are kept in the build folder.

#include "CChildProcess.h"
#include "CWaylandSession.h"
#include "WaitUntil.h"
#include "WaterPicture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <memory>
#include <string>

using namespace std::chrono_literals;

namespace {
const int kStartGrid = 100;
const auto kWindowTimeout = 30s;
const auto kPictureTimeout = 15s;
const std::string kMainTitle = "Ondeline";
const std::string kAboutTitle = "About Ondeline";
// How far the resize takes the window in, in logical pixels.
const QSize kShrink(100, 80);

// "Wayland200-StretchMakesTheWaterFillTheFrame" for the test at scale 2.
std::string TestName() {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const auto slash = name.find('/');
    const std::string scale = name.substr(slash + 1);
    return "Wayland" + scale.substr(scale.find_first_of("0123456789")) + "-" +
           name.substr(0, slash);
}

std::string Criteria(const std::string& title) {
    return "[title=\"^" + title + "$\"]";
}
} // namespace

class WaylandProgram : public ::testing::TestWithParam<double> {
protected:
    void SetUp() override {
        m_session = std::make_unique<CWaylandSession>(ONDELINE_ARTIFACT_DIR, GetParam());
        ASSERT_TRUE(m_session->Ready()) << m_session->Failure();
        m_program = std::make_unique<CChildProcess>(std::vector<std::string>{ONDELINE_PROGRAM},
                                                    m_session->ClientEnvironment());
        ASSERT_TRUE(m_session->WaitForWindow(kMainTitle, kWindowTimeout))
            << "no window titled Ondeline appeared; " << m_program->Describe();
    }

    void TearDown() override {
        m_program.reset();
        m_session.reset();
    }

    double Scale() const { return GetParam(); }
    // The compositor resamples a window whose output has a fractional scale, so that the edges
    // of what it shows blend with their neighbours by a device pixel or so.
    int Slack() const { return Scale() == std::floor(Scale()) ? 0 : 2; }
    int Device(int logical) const { return static_cast<int>(std::lround(logical * Scale())); }

    // The main window's inside, in logical pixels of the output.
    QRect Window() const {
        return m_session->WaitForWindow(kMainTitle, kWindowTimeout).value_or(QRect());
    }

    QImage Shot(const std::string& name) {
        return m_session->Screenshot(Window(), TestName() + "-" + name);
    }

    WaterPicture WaitForWater(const std::string& name,
                              const std::function<bool(const WaterPicture&)>& fits,
                              QRgb calm = kCalmWater) {
        WaterPicture picture;
        WaitUntil(
            [&] {
                picture = FindCalmWater(Shot(name), calm);
                return fits(picture);
            },
            kPictureTimeout);
        return picture;
    }

    bool IsNatural(const WaterPicture& p, int grid = kStartGrid) const {
        const int side = Device(grid);
        return std::abs(p.calmBounds.width() - side) <= Slack() &&
               std::abs(p.calmBounds.height() - side) <= Slack() &&
               p.calmCount == p.calmBounds.width() * p.calmBounds.height();
    }

    bool IsStretched(const WaterPicture& p) const {
        return p.calmBounds.width() > Device(kStartGrid) + Slack() &&
               p.calmCount == p.calmBounds.width() * p.calmBounds.height();
    }

    WaterPicture WaitForNatural(const std::string& name) {
        return WaitForWater(name, [this](const WaterPicture& p) { return IsNatural(p); });
    }

    WaterPicture WaitForStretched(const std::string& name) {
        return WaitForWater(name, [this](const WaterPicture& p) { return IsStretched(p); });
    }

    void Type(const std::vector<std::string>& keys) {
        const CWaylandSession::Result result = m_session->Type(keys);
        EXPECT_TRUE(result.Succeeded()) << result.Describe();
    }

    void Sway(const std::string& command) {
        const CWaylandSession::Result result = m_session->Sway(command);
        EXPECT_TRUE(result.Succeeded()) << result.Describe();
    }

    // Focus starts on the first check box, Rain; Tab walks the controls in template order.
    void ToggleStretch() { Type({"-k", "Tab", "-k", "space"}); }

    // Opens the window menu with the keys, picks its last item and closes the About box that
    // opens with Return.
    void OpenAndCloseTheAboutBoxWith(const std::vector<std::string>& keys) {
        const QImage before = Shot("before");
        Type(keys);
        // Keys meant for the menu reach the window instead until the menu holds the keyboard,
        // which it does once it is shown.
        ASSERT_TRUE(WaitUntil([&] { return Shot("menu") != before; }, kPictureTimeout))
            << "the window menu did not open";
        // The added item ends the menu; Up from the top wraps round to it.
        Type({"-k", "Up", "-k", "Return"});
        const std::optional<QRect> about =
            m_session->WaitForWindow(kAboutTitle, kWindowTimeout, CWaylandSession::Focused);
        ASSERT_TRUE(about) << "the About box did not open, or did not take the keyboard";
        m_session->Screenshot(*about, TestName() + "-about");
        Type({"-k", "Return"});
        EXPECT_TRUE(WaitUntil([&] { return !m_session->WaitForWindow(kAboutTitle, 0s); }, 10s));
        EXPECT_TRUE(m_program->Running());
    }

    std::unique_ptr<CWaylandSession> m_session;
    std::unique_ptr<CChildProcess> m_program;
};

TEST_P(WaylandProgram, OpensWithCalmWaterAtOneLogicalPixelPerCell) {
    const WaterPicture calm = WaitForNatural("calm");
    EXPECT_TRUE(IsNatural(calm)) << "calm water of " << calm.calmBounds.width() << " x "
                                 << calm.calmBounds.height() << " device pixels, " << calm.calmCount
                                 << " of them calm";
    std::cout << "scale " << Scale() << ": window " << Device(Window().width()) << " x "
              << Device(Window().height()) << ", natural water " << calm.calmBounds.width() << " x "
              << calm.calmBounds.height() << " at " << calm.calmBounds.x() << ", "
              << calm.calmBounds.y() << " device pixels\n";
}

// Space acts on the focused control at once; only with the focus on Rain does Tab then reach
// Stretch.
TEST_P(WaylandProgram, KeyboardFocusStartsOnTheFirstCheckBox) {
    WaitForNatural("calm");
    Type({"-k", "space", "-k", "Tab", "-k", "space"});
    const WaterPicture stretched = WaitForWater("stretched", [this](const WaterPicture& p) {
        return p.calmBounds.width() > Device(kStartGrid) + Slack();
    });
    EXPECT_GT(stretched.calmBounds.width(), Device(kStartGrid) + Slack());
}

TEST_P(WaylandProgram, AClickStartsRingsCentredOnTheClickedCell) {
    const WaterPicture calm = WaitForNatural("calm");
    ASSERT_TRUE(IsNatural(calm));
    const QPoint cell(45, 55);
    // The cell's centre, in device pixels of the window and of the output.
    const QPointF centre =
        QPointF(calm.calmBounds.topLeft()) +
        QPointF(cell.x() + 0.5, cell.y() + 0.5) * calm.calmBounds.width() / kStartGrid;
    const QPoint pixel(static_cast<int>(centre.x()), static_cast<int>(centre.y()));
    const QRect window = Window();
    const CWaylandSession::Result click =
        m_session->Click(pixel + QPoint(Device(window.x()), Device(window.y())));
    ASSERT_TRUE(click.Succeeded()) << click.Describe();

    const int radius = Device(20);
    const QRect near(pixel - QPoint(radius, radius), QSize(2 * radius + 1, 2 * radius + 1));
    QImage rings;
    ASSERT_TRUE(WaitUntil(
        [&] {
            rings = Shot("rings");
            return CountDisturbedPixels(rings, near) > near.width() * near.height() / 4;
        },
        kPictureTimeout))
        << "no rings appeared around the click";
    const QPointF middle = DisturbanceCentre(rings, near);
    const double cellSize = calm.calmBounds.width() / double(kStartGrid);
    EXPECT_LE(std::abs(middle.x() - centre.x()), cellSize / 2 + Slack())
        << "rings centred at x " << middle.x() << " for a click at " << centre.x();
    EXPECT_LE(std::abs(middle.y() - centre.y()), cellSize / 2 + Slack())
        << "rings centred at y " << middle.y() << " for a click at " << centre.y();
    // Where the compositor shows the window's own pixels, each cell is one block of them.
    if (Slack() == 0) {
        bool uniform = false;
        CellsOf(rings, calm.calmBounds, kStartGrid, uniform);
        EXPECT_TRUE(uniform) << "a cell shows more than one colour";
    }
}

TEST_P(WaylandProgram, StretchMakesTheWaterFillTheFrame) {
    WaitForNatural("natural");
    ToggleStretch();
    const WaterPicture stretched = WaitForStretched("stretched");
    ASSERT_TRUE(IsStretched(stretched));
    const QRect water = stretched.calmBounds;
    const QImage shot = Shot("frame");
    // The frame keeps equal margins on its top, right and bottom; the water fills its inside.
    EXPECT_NEAR(shot.width() - (water.right() + 1), water.top(), Slack());
    EXPECT_NEAR(shot.height() - (water.bottom() + 1), water.top(), Slack());
    std::cout << "scale " << Scale() << ": window " << shot.width() << " x " << shot.height()
              << ", stretched water " << water.width() << " x " << water.height() << " at "
              << water.x() << ", " << water.y() << " device pixels\n";
}

TEST_P(WaylandProgram, ResizingTheWindowMovesTheFrameWithIt) {
    WaitForNatural("natural");
    ToggleStretch();
    const WaterPicture before = WaitForStretched("before");
    ASSERT_TRUE(IsStretched(before));
    const QSize smaller = Window().size() - kShrink;
    Sway(Criteria(kMainTitle) + " floating enable, resize set width " +
         std::to_string(smaller.width()) + " px height " + std::to_string(smaller.height()) +
         " px");
    const QSize expected =
        before.calmBounds.size() - QSize(Device(kShrink.width()), Device(kShrink.height()));
    const WaterPicture after = WaitForWater("after", [&](const WaterPicture& p) {
        return IsStretched(p) && std::abs(p.calmBounds.width() - expected.width()) <= Slack() &&
               std::abs(p.calmBounds.height() - expected.height()) <= Slack();
    });
    EXPECT_NEAR(after.calmBounds.left(), before.calmBounds.left(), Slack());
    EXPECT_NEAR(after.calmBounds.top(), before.calmBounds.top(), Slack());
    EXPECT_NEAR(after.calmBounds.width(), expected.width(), Slack());
    EXPECT_NEAR(after.calmBounds.height(), expected.height(), Slack());
}

TEST_P(WaylandProgram, TheKeyboardsWindowMenuOpensTheAboutBox) {
    WaitForNatural("calm");
    OpenAndCloseTheAboutBoxWith({"-M", "shift", "-k", "F10", "-m", "shift"});
}

// With Rain on, the frames go through buffers of the program's own, which its end must give
// back: under the sanitizers, one left behind fails the status.
TEST_P(WaylandProgram, ClosingTheWindowEndsTheProgramWithStatusZero) {
    WaitForNatural("calm");
    Type({"-k", "space"});
    ASSERT_TRUE(WaitUntil([&] { return !IsNatural(FindCalmWater(Shot("rain"))); }, kPictureTimeout))
        << "no rain fell";
    Sway(Criteria(kMainTitle) + " kill");
    EXPECT_EQ(m_program->WaitForExit(10s), 0) << m_program->Describe();
}

TEST_P(WaylandProgram, LosingTheCompositorEndsTheProgramWithStatusOne) {
    WaitForNatural("calm");
    m_session->KillCompositor();
    EXPECT_EQ(m_program->WaitForExit(10s), 1) << m_program->Describe();
    EXPECT_NE(m_program->Errors().find("Wayland"), std::string::npos) << m_program->Errors();
}

// On a seat without a pointer, Qt lists the keyboard among its input devices only at the first
// key, after its application object was made; the program crashed at its end after any key.
TEST(WaylandKeyboardOnly, ClosingTheWindowAfterAKeyEndsTheProgramWithStatusZero) {
    CWaylandSession session(ONDELINE_ARTIFACT_DIR, 1.0, CWaylandSession::Seat::KeyboardOnly);
    ASSERT_TRUE(session.Ready()) << session.Failure();
    CChildProcess program({ONDELINE_PROGRAM}, session.ClientEnvironment());
    ASSERT_TRUE(session.WaitForWindow(kMainTitle, kWindowTimeout, CWaylandSession::Focused))
        << "the window did not take the keyboard; " << program.Describe();
    EXPECT_TRUE(session.Type({"-k", "Tab"}).Succeeded());
    EXPECT_TRUE(session.Sway(Criteria(kMainTitle) + " kill").Succeeded());
    EXPECT_EQ(program.WaitForExit(10s), 0) << program.Describe();
}

// The rest of the keys the README lists, which do not depend on the scale, at one scale only.
class WaylandKeys : public WaylandProgram {};

TEST_P(WaylandKeys, ShiftTabGoesBackFromTheFirstBoxToTheLast) {
    WaitForNatural("calm");
    // From Rain back round to Add Color, which tints the water.
    Type({"-M", "shift", "-k", "Tab", "-m", "shift", "-k", "space"});
    const WaterPicture tinted = WaitForWater(
        "tinted", [this](const WaterPicture& p) { return IsNatural(p); }, kCalmTintedWater);
    EXPECT_TRUE(IsNatural(tinted));
}

TEST_P(WaylandKeys, DownAndUpStepThroughTheSizes) {
    WaitForNatural("start");
    Type({"-k", "Tab", "-k", "Tab", "-k", "Tab", "-k", "Down"});
    const auto fitsGrid = [this](int grid) {
        return [this, grid](const WaterPicture& p) { return IsNatural(p, grid); };
    };
    EXPECT_TRUE(IsNatural(WaitForWater("larger", fitsGrid(125)), 125));
    Type({"-k", "Up", "-k", "Up"});
    EXPECT_TRUE(IsNatural(WaitForWater("smaller", fitsGrid(75)), 75));
}

// Keys are taken in turn, so once Stretch has acted, Enter and Escape have been taken too.
TEST_P(WaylandKeys, EnterAndEscapeLeaveTheWindowOpen) {
    WaitForNatural("calm");
    Type({"-k", "Return", "-k", "Escape", "-k", "Tab", "-k", "space"});
    EXPECT_TRUE(IsStretched(WaitForStretched("stretched")));
    EXPECT_TRUE(m_program->Running());
    EXPECT_TRUE(m_session->WaitForWindow(kMainTitle, 0s));
}

// sway leaves Alt+Space to the program, as desktops without a window menu of their own do.
TEST_P(WaylandKeys, TheMenuKeyAndAltSpaceOpenTheWindowMenu) {
    WaitForNatural("calm");
    OpenAndCloseTheAboutBoxWith({"-k", "Menu"});
    OpenAndCloseTheAboutBoxWith({"-M", "alt", "-k", "space", "-m", "alt"});
}

INSTANTIATE_TEST_SUITE_P(Scale1, WaylandKeys, ::testing::Values(1.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                             return "Scale" + std::to_string(std::lround(info.param * 100));
                         });

INSTANTIATE_TEST_SUITE_P(Scales, WaylandProgram, ::testing::Values(1.0, 2.0, 1.5),
                         [](const ::testing::TestParamInfo<double>& info) {
                             return "Scale" + std::to_string(std::lround(info.param * 100));
                         });

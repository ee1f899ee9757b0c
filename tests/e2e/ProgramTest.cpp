// The real program in a real X server, driven as a person drives it: the mouse, the keyboard
// and the window manager. The screenshots each test takes are kept in the build folder.

#include "CChildProcess.h"
#include "CXSession.h"
#include "WaterPicture.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

using namespace std::chrono_literals;

namespace {
const int kStartGrid = 100;
const int kSmallestGrid = 25;
const auto kWindowTimeout = 30s;
const auto kPictureTimeout = 15s;

// The test's name, with a parametrised test's scale in it, as a file name.
std::string TestName() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
}
} // namespace

class OndelineProgram : public ::testing::Test {
protected:
    // The QT_SCALE_FACTOR the program runs at: device pixels per logical pixel.
    virtual double Scale() const { return 1.0; }
    // A length of logical pixels in device pixels, as the program rounds it.
    int Device(int logical) const { return static_cast<int>(std::lround(logical * Scale())); }
    // Device pixels across a cell at natural size: the scale rounded, halves up, at least one.
    int CellPixels() const { return std::max(1, static_cast<int>(std::lround(Scale()))); }
    // A grid's length at natural size, in device pixels.
    int Natural(int grid) const { return grid * CellPixels(); }

    static void SetUpTestSuite() { s_session = new CXSession(ONDELINE_ARTIFACT_DIR); }
    static void TearDownTestSuite() {
        delete s_session;
        s_session = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(s_session->Ready())
            << "no X server with a window manager could be started: " << s_session->Failure();
        m_program = std::make_unique<CChildProcess>(
            std::vector<std::string>{ONDELINE_PROGRAM},
            std::vector<std::string>{
                s_session->DisplayVariable(), "QT_QPA_PLATFORM=xcb",
                "WAYLAND_DISPLAY=", "QT_SCALE_FACTOR=" + QString::number(Scale()).toStdString()});
        m_window = s_session->WaitForWindow("Ondeline", kWindowTimeout);
        ASSERT_FALSE(m_window.empty())
            << "no window titled Ondeline appeared; " << m_program->Describe()
            << s_session->DescribeWindows("Ondeline", m_program->Pid());
        Run("xdotool windowactivate --sync " + m_window);
    }

    void TearDown() override { m_program.reset(); }

    // Runs a command that must succeed: a failed xdotool fails the test and says why.
    CXSession::Result Run(const std::string& command) {
        CXSession::Result result = s_session->Run(command);
        EXPECT_TRUE(result.Succeeded()) << result.Describe();
        return result;
    }

    QImage Shot(const std::string& name) {
        return s_session->Screenshot(m_window, TestName() + "-" + name);
    }

    // Waits until the calm water seen in the window fits the test, and returns that picture.
    WaterPicture WaitForWater(const std::string& name,
                              const std::function<bool(const WaterPicture&)>& fits,
                              QRgb calm = kCalmWater) {
        WaterPicture picture;
        CXSession::WaitUntil(
            [&] {
                picture = FindCalmWater(Shot(name), calm);
                return fits(picture);
            },
            kPictureTimeout);
        return picture;
    }

    // Calm water of grid x grid cells at its natural size.
    WaterPicture WaitForCalmGrid(const std::string& name, int grid) {
        const int size = Natural(grid);
        return WaitForWater(name, [size](const WaterPicture& p) {
            return p.calmCount == size * size && p.calmBounds.size() == QSize(size, size);
        });
    }

    // Clicks the middle of a cell of the picture and waits for its rings, which must be drawn
    // in uniform blocks of device pixels, one per cell, and be symmetric about that cell; gives
    // the screenshot of them.
    QImage ExpectRingsCentredOn(const QRect& picture, QPoint cell, int radius) {
        const QPoint at = CellCentre(picture, kStartGrid, cell);
        ClickAt(at);
        QImage rings;
        const int near = Device(radius);
        const bool appeared = CXSession::WaitUntil(
            [&] {
                rings = Shot("rings");
                return CountDisturbedPixels(rings, QRect(at - QPoint(near, near),
                                                         QSize(2 * near + 1, 2 * near + 1))) >
                       Device(20) * Device(20);
            },
            kPictureTimeout);
        EXPECT_TRUE(appeared) << "no rings appeared around the click";
        bool uniform = false;
        const QImage cells = CellsOf(rings, picture, kStartGrid, uniform);
        EXPECT_TRUE(uniform) << "a cell is not one uniform block of device pixels";
        EXPECT_TRUE(IsMirrorSymmetricAbout(cells, cell.x(), cell.y(), radius));
        return rings;
    }

    // Keys go to the focused window as a person types them: events aimed at a window with
    // --window are synthetic, and Qt stops taking keys after them.
    void Key(const std::string& keys) {
        Run("xdotool windowactivate --sync " + m_window);
        Run("xdotool key " + keys);
    }

    void ClickAt(QPoint point, int button = 1) {
        Run("xdotool mousemove --window " + m_window + " " + std::to_string(point.x()) + " " +
            std::to_string(point.y()) + " click " + std::to_string(button));
    }

    QSize ClientSize() {
        const std::string geometry = Run("xdotool getwindowgeometry --shell " + m_window).output;
        auto value = [&](const std::string& key) {
            const auto at = geometry.find(key + "=");
            return at == std::string::npos ? -1 : std::stoi(geometry.substr(at + key.size() + 1));
        };
        return {value("WIDTH"), value("HEIGHT")};
    }

    // Focus starts on the first check box, Rain; Tab walks the controls in template order.
    void ToggleStretch() { Key("Tab space"); }

    static CXSession* s_session;
    std::unique_ptr<CChildProcess> m_program;
    std::string m_window;
};

CXSession* OndelineProgram::s_session = nullptr;

// The same program on a scaled screen, as QT_SCALE_FACTOR makes it: the dialog keeps its layout
// in logical pixels and the water follows it in device pixels.
class OndelineProgramScaled : public OndelineProgram, public ::testing::WithParamInterface<double> {
protected:
    double Scale() const override { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(Scales, OndelineProgramScaled, ::testing::Values(1.0, 1.5, 2.0),
                         [](const auto& info) {
                             return "Scale" + std::to_string(std::lround(info.param * 100));
                         });

TEST_P(OndelineProgramScaled, OpensWithCalmWaterAtItsNaturalSize) {
    const WaterPicture calm = WaitForCalmGrid("calm", kStartGrid);
    EXPECT_EQ(calm.calmCount, Natural(kStartGrid) * Natural(kStartGrid));
}

// At natural size every cell of the rings is the same square of whole device pixels, on a
// fractional scale too.
TEST_P(OndelineProgramScaled, AClickStartsRingsCentredOnTheClickedCell) {
    const WaterPicture calm = WaitForCalmGrid("calm", kStartGrid);
    ASSERT_EQ(calm.calmCount, Natural(kStartGrid) * Natural(kStartGrid));
    const QImage rings = ExpectRingsCentredOn(calm.calmBounds, QPoint(45, 55), 20);
    EXPECT_EQ(CellSizeOf(rings, calm.calmBounds), QSize(CellPixels(), CellPixels()));
}

TEST_P(OndelineProgramScaled, StretchMakesTheWaterFillTheFrame) {
    const WaterPicture natural = WaitForCalmGrid("natural", kStartGrid);
    ToggleStretch();
    const WaterPicture stretched = WaitForWater("stretched", [&](const WaterPicture& p) {
        return p.calmBounds.width() > natural.calmBounds.width();
    });
    const QSize client = ClientSize();
    const QRect water = stretched.calmBounds;
    ASSERT_GT(water.width(), natural.calmBounds.width());
    // The frame keeps equal margins on its top, right and bottom; the water fills its inside.
    // Each margin is rounded to device pixels by itself, so on a fractional scale two may
    // differ by one.
    const int slack = Scale() == std::floor(Scale()) ? 0 : 1;
    EXPECT_LE(std::abs(client.width() - (water.right() + 1) - water.top()), slack);
    EXPECT_LE(std::abs(client.height() - (water.bottom() + 1) - water.top()), slack);
    EXPECT_EQ(stretched.calmCount, water.width() * water.height());
    // The sunken edge touches the water on every side, darker above and left than below and
    // right.
    const QImage shot = Shot("stretched");
    const QRgb above = shot.pixel(water.center().x(), water.top() - 1);
    const QRgb below = shot.pixel(water.center().x(), water.bottom() + 1);
    EXPECT_EQ(shot.pixel(water.left() - 1, water.center().y()), above);
    EXPECT_EQ(shot.pixel(water.right() + 1, water.center().y()), below);
    EXPECT_LT(qGray(above), qGray(below));
    ExpectRingsCentredOn(water, QPoint(30, 40), 15);
}

// The keys the README lists, each seen to do what it says.
TEST_F(OndelineProgram, ShiftTabGoesBackFromTheFirstBoxToTheLast) {
    WaitForCalmGrid("calm", kStartGrid);
    // From Rain back round to Add Color, which tints the water.
    Key("shift+Tab space");
    const WaterPicture tinted = WaitForWater(
        "tinted", [](const WaterPicture& p) { return p.calmCount == kStartGrid * kStartGrid; },
        kCalmTintedWater);
    EXPECT_EQ(tinted.calmCount, kStartGrid * kStartGrid);
}

TEST_F(OndelineProgram, DownAndUpStepThroughTheSizes) {
    WaitForCalmGrid("start", kStartGrid);
    Key("Tab Tab Tab Down");
    EXPECT_EQ(WaitForCalmGrid("larger", 125).calmCount, 125 * 125);
    Key("Up Up");
    EXPECT_EQ(WaitForCalmGrid("smaller", 75).calmCount, 75 * 75);
}

// Keys are taken in turn, so once Stretch has acted, Enter and Escape have been taken too.
TEST_F(OndelineProgram, EnterAndEscapeLeaveTheWindowOpen) {
    WaitForCalmGrid("calm", kStartGrid);
    Key("Return Escape Tab space");
    const WaterPicture stretched = WaitForWater(
        "stretched", [](const WaterPicture& p) { return p.calmBounds.width() > kStartGrid; });
    EXPECT_GT(stretched.calmBounds.width(), kStartGrid);
    EXPECT_TRUE(m_program->Running());
    EXPECT_FALSE(s_session->WaitForWindow("Ondeline", 0s).empty());
}

TEST_F(OndelineProgram, ChoosingTheSmallestSizeCentresASmallerGrid) {
    const WaterPicture large = WaitForCalmGrid("large", kStartGrid);
    // Rain, Stretch, Drift, then the size list; "25 x 25" is three items above "100 x 100".
    Key("Tab Tab Tab Up Up Up");
    const WaterPicture small = WaitForCalmGrid("small", kSmallestGrid);
    ASSERT_EQ(small.calmCount, kSmallestGrid * kSmallestGrid);
    EXPECT_LE(std::abs(small.calmBounds.center().x() - large.calmBounds.center().x()), 1);
    EXPECT_LE(std::abs(small.calmBounds.center().y() - large.calmBounds.center().y()), 1);
}

// The picture the README shows, at 200 % too.
TEST_P(OndelineProgramScaled, TintedRingsSpreadOverTheStretchedWater) {
    WaitForCalmGrid("calm", kStartGrid);
    // From Rain: Tab to Stretch, then on past Drift, the size list and Spectrum to Add Color.
    Key("Tab space Tab Tab Tab Tab space");
    const WaterPicture tinted = WaitForWater(
        "tinted",
        [&](const WaterPicture& p) {
            return p.calmBounds.width() > Natural(kStartGrid) &&
                   p.calmCount == p.calmBounds.width() * p.calmBounds.height();
        },
        kCalmTintedWater);
    const QRect water = tinted.calmBounds;
    ASSERT_GT(water.width(), Natural(kStartGrid));
    for (QPoint at : {QPoint(30, 30), QPoint(70, 75), QPoint(80, 20)}) {
        ClickAt(water.topLeft() +
                QPoint(at.x() * water.width() / kStartGrid, at.y() * water.height() / kStartGrid));
    }
    // The rings spread until much of the water is disturbed; the picture is kept for the README.
    const WaterPicture rings = WaitForWater(
        "rings",
        [&](const WaterPicture& p) { return p.calmCount < water.width() * water.height() / 2; },
        kCalmTintedWater);
    EXPECT_LT(rings.calmCount, water.width() * water.height() / 2);
}

TEST_P(OndelineProgramScaled, ResizingTheWindowMovesTheFrameWithIt) {
    ToggleStretch();
    const WaterPicture before = WaitForWater("before", [&](const WaterPicture& p) {
        return p.calmBounds.width() > Natural(kStartGrid);
    });
    // Whole logical pixels at every scale tested, so that the water grows by exactly as much.
    const QSize growth(240, 180);
    const QSize larger = ClientSize() + growth;
    Run("xdotool windowsize --sync " + m_window + " " + std::to_string(larger.width()) + " " +
        std::to_string(larger.height()));
    const WaterPicture after = WaitForWater("after", [&](const WaterPicture& p) {
        return p.calmBounds.width() == before.calmBounds.width() + growth.width();
    });
    EXPECT_EQ(after.calmBounds.topLeft(), before.calmBounds.topLeft());
    EXPECT_EQ(after.calmBounds.size(), before.calmBounds.size() + growth);
}

// The server keeps no copy of a window that is off the screen: what the water showed must be
// drawn again when it comes back, though nothing in it has changed.
TEST_F(OndelineProgram, TheWaterComesBackWholeAfterTheWindowIsMinimised) {
    WaitForCalmGrid("before", kStartGrid);
    Run("xdotool windowminimize --sync " + m_window);
    Run("xdotool windowactivate --sync " + m_window);
    const WaterPicture after = WaitForCalmGrid("after", kStartGrid);
    EXPECT_EQ(after.calmCount, kStartGrid * kStartGrid);
}

// Alt+Space is not among the keys: openbox keeps it for its own window menu.
TEST_F(OndelineProgram, TheSystemMenuKeysOpenTheAboutBox) {
    WaitForCalmGrid("calm", kStartGrid);
    for (const std::string keys : {"shift+F10", "Menu"}) {
        Key(keys);
        // The added item ends the menu; Up from the top wraps round to it.
        Key("Up Return");
        const std::string about = s_session->WaitForWindow("About Ondeline", kWindowTimeout);
        ASSERT_FALSE(about.empty()) << "the About box did not open with " << keys;
        s_session->Screenshot(about, TestName() + "-about-" + keys);
        // The box must hold the keyboard before Return is meant for it.
        Run("xdotool windowactivate --sync " + about);
        Run("xdotool key Return");
        EXPECT_TRUE(CXSession::WaitUntil(
            [&] { return s_session->WaitForWindow("About Ondeline", 0s).empty(); }, 10s));
        EXPECT_TRUE(m_program->Running());
    }
}

TEST_F(OndelineProgram, ClosingTheWindowEndsTheProgramWithStatusZero) {
    WaitForCalmGrid("calm", kStartGrid);
    Run("wmctrl -i -c " + m_window);
    EXPECT_EQ(m_program->WaitForExit(10s), 0);
}

// A window manager that leaves the first request to map the window unanswered (openbox did so
// now and then on a fresh X server) must still get the window shown: the program asks again.
TEST(ProgramStart, ShowsItsWindowThoughTheWindowManagerLeftTheFirstMapUnanswered) {
    CXSession session(ONDELINE_ARTIFACT_DIR, std::vector<std::string>{ONDELINE_FORGETFUL_WM});
    ASSERT_TRUE(session.Ready()) << session.Failure();
    CChildProcess program({ONDELINE_PROGRAM},
                          {session.DisplayVariable(), "QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY="});
    EXPECT_FALSE(session.WaitForWindow("Ondeline", kWindowTimeout).empty())
        << program.Describe() << session.DescribeWindows("Ondeline", program.Pid());
}

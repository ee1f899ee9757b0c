// The real program in a real X server, driven as a person drives it: the mouse, the keyboard
// and the window manager. The screenshots each test takes are kept in the build folder.

#include "CChildProcess.h"
#include "CXSession.h"
#include "WaterPicture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace std::chrono_literals;

namespace {
const int kStartGrid = 100;
const int kSmallestGrid = 25;
const auto kWindowTimeout = 30s;
const auto kPictureTimeout = 15s;

std::string TestName() {
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}
} // namespace

class OndelineProgram : public ::testing::Test {
protected:
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
            std::vector<std::string>{s_session->DisplayVariable(), "QT_QPA_PLATFORM=xcb",
                                     "WAYLAND_DISPLAY="});
        m_window = s_session->WaitForWindow("Ondeline", kWindowTimeout);
        ASSERT_FALSE(m_window.empty())
            << "no window titled Ondeline appeared; " << m_program->Describe();
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

    WaterPicture WaitForCalmGrid(const std::string& name, int grid) {
        return WaitForWater(name, [grid](const WaterPicture& p) {
            return p.calmCount == grid * grid && p.calmBounds.size() == QSize(grid, grid);
        });
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

TEST_F(OndelineProgram, OpensWithCalmWaterAtOnePixelPerCell) {
    const WaterPicture calm = WaitForCalmGrid("calm", kStartGrid);
    EXPECT_EQ(calm.calmCount, kStartGrid * kStartGrid);
}

TEST_F(OndelineProgram, AClickStartsRingsCentredOnTheClickedCell) {
    const WaterPicture calm = WaitForCalmGrid("calm", kStartGrid);
    ASSERT_EQ(calm.calmCount, kStartGrid * kStartGrid);
    const QPoint cell = calm.calmBounds.topLeft() + QPoint(45, 55);
    ClickAt(cell);

    const int radius = 20;
    QImage rings;
    ASSERT_TRUE(CXSession::WaitUntil(
        [&] {
            rings = Shot("rings");
            const QRect near(cell - QPoint(radius, radius), QSize(2 * radius + 1, 2 * radius + 1));
            return CountDisturbedPixels(rings, near) > 400;
        },
        kPictureTimeout))
        << "no rings appeared around the click";
    EXPECT_TRUE(IsMirrorSymmetricAbout(rings, cell.x(), cell.y(), radius));
}

TEST_F(OndelineProgram, StretchMakesTheWaterFillTheFrame) {
    WaitForCalmGrid("natural", kStartGrid);
    ToggleStretch();
    const WaterPicture stretched = WaitForWater(
        "stretched", [](const WaterPicture& p) { return p.calmBounds.width() > kStartGrid; });
    const QSize client = ClientSize();
    const QRect water = stretched.calmBounds;
    ASSERT_GT(water.width(), kStartGrid);
    // The frame keeps equal margins on its top, right and bottom; the water fills its inside.
    EXPECT_EQ(client.width() - (water.right() + 1), water.top());
    EXPECT_EQ(client.height() - (water.bottom() + 1), water.top());
    EXPECT_EQ(stretched.calmCount, water.width() * water.height());
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

TEST_F(OndelineProgram, TintedRingsSpreadOverTheStretchedWater) {
    WaitForCalmGrid("calm", kStartGrid);
    // From Rain: Tab to Stretch, then on past Drift, the size list and Spectrum to Add Color.
    Key("Tab space Tab Tab Tab Tab space");
    const WaterPicture tinted = WaitForWater(
        "tinted",
        [](const WaterPicture& p) {
            return p.calmBounds.width() > kStartGrid &&
                   p.calmCount == p.calmBounds.width() * p.calmBounds.height();
        },
        kCalmTintedWater);
    const QRect water = tinted.calmBounds;
    ASSERT_GT(water.width(), kStartGrid);
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

TEST_F(OndelineProgram, ResizingTheWindowMovesTheFrameWithIt) {
    ToggleStretch();
    const WaterPicture before = WaitForWater(
        "before", [](const WaterPicture& p) { return p.calmBounds.width() > kStartGrid; });
    const QSize larger = ClientSize() + QSize(160, 120);
    Run("xdotool windowsize --sync " + m_window + " " + std::to_string(larger.width()) + " " +
        std::to_string(larger.height()));
    const WaterPicture after = WaitForWater("after", [&](const WaterPicture& p) {
        return p.calmBounds.width() == before.calmBounds.width() + 160;
    });
    EXPECT_EQ(after.calmBounds.topLeft(), before.calmBounds.topLeft());
    EXPECT_EQ(after.calmBounds.size(), before.calmBounds.size() + QSize(160, 120));
}

TEST_F(OndelineProgram, TheSystemMenuOpensTheAboutBox) {
    WaitForCalmGrid("calm", kStartGrid);
    Key("shift+F10");
    // The added item ends the menu; Up from the top wraps round to it.
    Key("Up Return");
    const std::string about = s_session->WaitForWindow("About Ondeline", kWindowTimeout);
    ASSERT_FALSE(about.empty()) << "the About box did not open";
    s_session->Screenshot(about, TestName() + "-about");
    // The box must hold the keyboard before Return is meant for it.
    Run("xdotool windowactivate --sync " + about);
    Run("xdotool key Return");
    EXPECT_TRUE(CXSession::WaitUntil(
        [&] { return s_session->WaitForWindow("About Ondeline", 0s).empty(); }, 10s));
    EXPECT_TRUE(m_program->Running());
}

TEST_F(OndelineProgram, ClosingTheWindowEndsTheProgramWithStatusZero) {
    WaitForCalmGrid("calm", kStartGrid);
    Run("wmctrl -i -c " + m_window);
    EXPECT_EQ(m_program->WaitForExit(10s), 0);
}

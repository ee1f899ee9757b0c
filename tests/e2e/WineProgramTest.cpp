// The real ondeline.exe under Wine, at Wine's three screen scales, driven as a person would:
// ONDELINE_WINDOWS_ONDELINE names the Windows build's program.

#include "CWineSession.h"
#include "CXSession.h"
#include "WaterPicture.h"
#include "res/resource.h"
#include "tools/icons/CDropDrawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {
const auto kWindowTimeout = 60s;
const auto kPictureTimeout = 30s;
const auto kExitTimeout = 30s;
constexpr int kLargestGrid = 200;        // the size list's last item
constexpr int kStartGrid = 100;          // the cells the program starts with
const QPoint kClickedCell(45, 55);       // off the middle, so that a mirrored answer shows
constexpr int kRingRadius = 15;          // cells around the click the rings must reach
constexpr int kDevicePixelsPerInch = 96; // Wine's LogPixels at 100 %
constexpr int kIconSize = 32;            // the About box's icon at 100 %
constexpr int kNoWindowStatus = 1;
// Swings from calm water, in levels. Every phase of a drop's rings shows within 5 cells of it at
// 0.83 of the drop's strength or more, so rings that nowhere swing kFadedSwing belong to a drop
// damped below 0.57, whose swing stays under 10 from then on; an undamped drop, less than two
// seconds old, swings 13 or more there.
constexpr int kFadedSwing = 8;
constexpr int kFreshSwing = 12; // the program's exit status when its dialog cannot open

// True when the picture holds the icon somewhere, each of its opaque pixels exactly; what shows
// through its transparent and half-transparent pixels is the box's own.
bool HoldsIcon(const QImage& shot, const CRgbaImage& icon) {
    const QImage image = shot.convertToFormat(QImage::Format_RGB32);
    std::vector<QPoint> opaque;
    for (int y = 0; y < icon.Height(); ++y) {
        for (int x = 0; x < icon.Width(); ++x) {
            if (qAlpha(icon.Pixel(x, y)) == 0xFF)
                opaque.emplace_back(x, y);
        }
    }
    for (int top = 0; top + icon.Height() <= image.height(); ++top) {
        for (int left = 0; left + icon.Width() <= image.width(); ++left) {
            const QPoint at(left, top);
            if (std::all_of(opaque.begin(), opaque.end(), [&](QPoint p) {
                    return image.pixel(at + p) == icon.Pixel(p.x(), p.y());
                }))
                return true;
        }
    }
    return false;
}

class WineProgram : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        const char* program = std::getenv("ONDELINE_WINDOWS_ONDELINE");
        ASSERT_NE(program, nullptr) << "ONDELINE_WINDOWS_ONDELINE names no ondeline.exe";
        // Alt+Space must reach the program, which opens its window menu as Windows does.
        m_x = std::make_unique<CXSession>(ONDELINE_ARTIFACT_DIR, CXSession::WindowMenuKey::Program);
        ASSERT_TRUE(m_x->Ready()) << m_x->Failure();
        m_wine = std::make_unique<CWineSession>(*m_x, GetParam());
        ASSERT_TRUE(m_wine->Ready()) << m_wine->Failure();
        m_program = m_wine->Start(program);
        m_window = m_x->WaitForWindow("Ondeline", kWindowTimeout);
        ASSERT_FALSE(m_window.empty()) << "no window titled Ondeline: " << m_program->Describe();
    }

    int Device(int logical) const {
        return static_cast<int>(std::lround(logical * GetParam() / double(kDevicePixelsPerInch)));
    }
    // Device pixels across a cell at natural size: the scale rounded, halves up, at least one.
    int CellPixels() const {
        return std::max(1, (GetParam() + kDevicePixelsPerInch / 2) / kDevicePixelsPerInch);
    }

    void Run(const std::string& command) {
        const CXSession::Result result = m_x->Run(command);
        EXPECT_TRUE(result.Succeeded()) << result.Describe();
    }

    // Wine takes keys only from the focused window, as a person types them.
    void Key(const std::string& keys) {
        Run("xdotool windowactivate --sync " + m_window);
        Run("xdotool key " + keys);
    }

    QImage Shot(const std::string& name) {
        return m_x->Screenshot(m_window, "wine" + std::to_string(GetParam()) + "-" + name);
    }

    WaterPicture WaitForWater(const std::string& name,
                              const std::function<bool(const WaterPicture&)>& fits) {
        WaterPicture picture;
        CXSession::WaitUntil(
            [&] {
                picture = FindCalmWater(Shot(name));
                return fits(picture);
            },
            kPictureTimeout);
        return picture;
    }

    // Clicks a cell and waits for rings around it, drawn in uniform blocks of device pixels and
    // mirrored about that cell.
    void ExpectRingsCentredOn(const QRect& picture, const std::string& name) {
        const QPoint at = CellCentre(picture, kStartGrid, kClickedCell);
        Run("xdotool mousemove --window " + m_window + " " + std::to_string(at.x()) + " " +
            std::to_string(at.y()) + " click 1");
        const int near = Device(kRingRadius);
        QImage rings;
        ASSERT_TRUE(CXSession::WaitUntil(
            [&] {
                rings = Shot(name);
                return CountDisturbedPixels(rings, QRect(at - QPoint(near, near),
                                                         QSize(2 * near + 1, 2 * near + 1))) >
                       near * near;
            },
            kPictureTimeout))
            << "no rings appeared around the click";
        bool uniform = false;
        const QImage cells = CellsOf(rings, picture, kStartGrid, uniform);
        EXPECT_TRUE(uniform) << "a cell is not one uniform block of device pixels";
        EXPECT_TRUE(IsMirrorSymmetricAbout(cells, kClickedCell.x(), kClickedCell.y(), kRingRadius));
        // At 150 % too, every cell is the same square of whole device pixels.
        EXPECT_EQ(CellSizeOf(rings, picture), QSize(CellPixels(), CellPixels()));
    }

    // Alt+Space opens the window menu, whose last item the program added ("About Ondeline...");
    // Up from the first item wraps round to it. The box shows the icon at the screen's scale,
    // and at every scale that is the motif the icon file holds in full colour, which Windows
    // prefers to the hand-set 16-colour images at their own sizes. Enter closes it, leaving the
    // program running.
    void ExpectAboutBoxFromTheWindowMenu() {
        Key("alt+space Up Return");
        const std::string about = m_x->WaitForWindow("About Ondeline", kWindowTimeout);
        ASSERT_FALSE(about.empty()) << "Alt+Space and the last menu item opened no About box";
        const std::optional<CDropDrawing> motif =
            CDropDrawing::OfIcon(FindIconGroup(IDR_MAINFRAME));
        ASSERT_TRUE(motif.has_value());
        const CRgbaImage icon = motif->Draw(Device(kIconSize));
        const std::string name = "wine" + std::to_string(GetParam()) + "-about";
        EXPECT_TRUE(CXSession::WaitUntil(
            [&] { return HoldsIcon(m_x->Screenshot(about, name), icon); }, kPictureTimeout))
            << "the About box does not show the icon at " << icon.Width() << " pixels";
        Run("xdotool windowactivate --sync " + about);
        Run("xdotool key Return");
        EXPECT_TRUE(CXSession::WaitUntil(
            [&] { return m_x->WaitForWindow("About Ondeline", 0s).empty(); }, kPictureTimeout))
            << "Enter did not close the About box";
        EXPECT_EQ(m_x->WaitForWindow("Ondeline", 0s), m_window);
        EXPECT_TRUE(m_program->Running()) << m_program->Describe();
    }

    std::unique_ptr<CXSession> m_x;
    std::unique_ptr<CWineSession> m_wine;
    std::unique_ptr<CChildProcess> m_program;
    std::string m_window;
};

// One session per scale, as making a prefix takes seconds: calm water at its natural size, rings
// where the pointer clicks, Enter and Escape taken without closing, 200 x 200 from the size list,
// Stretch from the keyboard filling the frame, the About box from the window menu, Rain from the
// keyboard, and the close box ending the program with status 0.
TEST_P(WineProgram, ShowsCalmWaterRipplesWhereClickedStretchesAndClosesCleanly) {
    const int size = kStartGrid * CellPixels();
    const WaterPicture calm = WaitForWater("calm", [size](const WaterPicture& p) {
        return p.calmCount == size * size && p.calmBounds.size() == QSize(size, size);
    });
    ASSERT_EQ(calm.calmBounds.size(), QSize(size, size)) << "no calm water at its natural size";
    ExpectRingsCentredOn(calm.calmBounds, "rings");

    // Keys are taken in turn: once the size list has acted, Enter and Escape were taken too.
    // Rain, Stretch, Drift, then the size list, whose last item is 200 x 200.
    Key("Return Escape Tab Tab Tab End");
    const int large = kLargestGrid * CellPixels();
    const QSize window = Shot("window").size();
    // Wine's dialog units grow more slowly than the scale (8 units of height are 13 pixels at
    // 100 %, 19 at 150 %, 24 at 200 %), so at 150 % and 200 % the frame is smaller than the
    // water, which is pinned to its top-left corner and runs on under its bottom edge, and at
    // 150 % past the window's right edge too: only as much of the width shows as the window holds.
    const auto isChosen = [&](const WaterPicture& p) {
        return p.calmBounds.width() == std::min(large, window.width() - p.calmBounds.left());
    };
    const WaterPicture chosen = WaitForWater("200x200", isChosen);
    ASSERT_TRUE(isChosen(chosen)) << "200 x 200 was not chosen";

    Key("shift+Tab shift+Tab space");
    // Stretched, the water changes its size and lies within the window.
    const QRect inside(QPoint(1, 1), window - QSize(2, 2));
    const auto isStretched = [&](const WaterPicture& p) {
        return p.calmBounds.size() != chosen.calmBounds.size() && inside.contains(p.calmBounds);
    };
    const WaterPicture stretched = WaitForWater("stretched", isStretched);
    const QRect water = stretched.calmBounds;
    ASSERT_TRUE(isStretched(stretched)) << "Stretch did not fit the water to the frame";
    // The frame's edge touches the water on every side: Stretch fills its inside exactly.
    const QImage shot = Shot("stretched");
    const QRgb above = shot.pixel(water.center().x(), water.top() - 1);
    const QRgb below = shot.pixel(water.center().x(), water.bottom() + 1);
    EXPECT_EQ(shot.pixel(water.left() - 1, water.center().y()), above);
    EXPECT_EQ(shot.pixel(water.right() + 1, water.center().y()), below);
    EXPECT_NE(above, kCalmWater);
    EXPECT_NE(below, kCalmWater);

    ASSERT_NO_FATAL_FAILURE(ExpectAboutBoxFromTheWindowMenu());
    // Once the click's rings have faded, rings that swing as a fresh drop's do can only be rain's,
    // whose first drop falls as soon as Rain is ticked (back from Stretch).
    EXPECT_TRUE(CXSession::WaitUntil(
        [&] { return LargestSwing(Shot("faded"), water) < kFadedSwing; }, kPictureTimeout))
        << "the click's rings did not fade";
    Key("shift+Tab space");
    EXPECT_TRUE(CXSession::WaitUntil(
        [&] { return LargestSwing(Shot("rain"), water) >= kFreshSwing; }, kPictureTimeout))
        << "no rain fell with Rain ticked";

    Run("wmctrl -c Ondeline");
    EXPECT_EQ(m_program->WaitForExit(kExitTimeout), 0) << m_program->Describe();
}

INSTANTIATE_TEST_SUITE_P(LogPixels, WineProgram, ::testing::Values(96, 144, 192));

// With no X server to reach, Wine can make no window, so the dialog never opens: that must end
// the program with a failure status, not with the 0 of a window its user closed.
TEST(WineProgramStart, EndsWithStatusOneWhenTheWindowCannotBeMade) {
    const char* program = std::getenv("ONDELINE_WINDOWS_ONDELINE");
    ASSERT_NE(program, nullptr) << "ONDELINE_WINDOWS_ONDELINE names no ondeline.exe";
    const CXSession x(ONDELINE_ARTIFACT_DIR);
    ASSERT_TRUE(x.Ready()) << x.Failure();
    const CWineSession wine(x, kDevicePixelsPerInch);
    ASSERT_TRUE(wine.Ready()) << wine.Failure();
    const CChildProcess::Result result = wine.RunWithoutDisplay(program, kExitTimeout);
    EXPECT_EQ(result.status, kNoWindowStatus) << result.Describe();
}
} // namespace

#include "tools/render/CSceneRenderer.h"
#include "tools/render/CSceneScript.h"

#include "ripple/DropSources.h"
#include "ripple/RandomSource.h"
#include "ripple/RippleDrop.h"
#include "ripple/RippleField.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<SceneFrame> Render(const std::string& text) {
    CSceneScript script;
    std::istringstream in(text);
    EXPECT_TRUE(script.Parse(in)) << script.Error();
    std::vector<SceneFrame> frames;
    CSceneRenderer renderer;
    EXPECT_TRUE(renderer.Run(script.Directives(), [&](const SceneFrame& frame) {
        frames.push_back(frame);
        return true;
    }));
    return frames;
}

// The same program state built by calling the ripple code directly, as the dialog would.
class Reference {
public:
    Reference() {
        ResetWater(m_nNextDrop);
        ResetRand();
    }

    int m_nNextDrop = 0;

    // Synthesises into a bottom-up buffer laid out as the surface lays it out, and returns the
    // frame top row first.
    SceneFrame Frame(int w, int h, const FieldOptions& options, std::uint32_t now) const {
        const int stride = (w * 2 + 3) & ~3;
        std::vector<unsigned char> bits(static_cast<std::size_t>(stride * h));
        SynthesizeField(w, h, options, now, g_drops, bits.data(), stride, h);
        SceneFrame frame;
        frame.tick = now;
        frame.width = w;
        frame.height = h;
        frame.pixels.resize(static_cast<std::size_t>(w * h));
        for (int row = 0; row < h; ++row) {
            std::memcpy(&frame.pixels[static_cast<std::size_t>(row * w)],
                        &bits[static_cast<std::size_t>((h - 1 - row) * stride)],
                        static_cast<std::size_t>(w) * 2);
        }
        std::copy(std::begin(g_drops), std::end(g_drops), frame.drops.begin());
        return frame;
    }
};

void ExpectSameFrame(const SceneFrame& actual, const SceneFrame& expected) {
    EXPECT_EQ(actual.tick, expected.tick);
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    EXPECT_TRUE(actual.pixels == expected.pixels) << "pixels differ";
    for (int k = 0; k < kMaxDrops; ++k) {
        const RippleDrop& a = actual.drops[static_cast<std::size_t>(k)];
        const RippleDrop& e = expected.drops[static_cast<std::size_t>(k)];
        EXPECT_EQ(a.active, e.active) << "slot " << k;
        EXPECT_EQ(a.x, e.x) << "slot " << k;
        EXPECT_EQ(a.y, e.y) << "slot " << k;
        EXPECT_EQ(a.tick, e.tick) << "slot " << k;
    }
}

int Level(const SceneFrame& frame, int column, int row) {
    return frame.Pixel(column, row) & 31;
}

} // namespace

TEST(SceneRenderer, DropMatchesInsertingTheDropDirectly) {
    const auto frames = Render("drop 40.25 -3.5 5000\ndrop 60 70 5400\nnow 6000");
    Reference reference;
    InsertDrop(g_drops, reference.m_nNextDrop, 40.25, -3.5, 5000);
    InsertDrop(g_drops, reference.m_nNextDrop, 60, 70, 5400);
    ASSERT_EQ(frames.size(), 1u);
    ExpectSameFrame(frames[0], reference.Frame(100, 100, {}, 6000));
}

TEST(SceneRenderer, GridSetsTheFrameSizeAndDropsKeepTheirCoordinates) {
    const auto frames = Render("drop 80 80 0\nnow 1000\ngrid 25 40\nnow 6000");
    Reference reference;
    InsertDrop(g_drops, reference.m_nNextDrop, 80, 80, 0);
    const SceneFrame large = reference.Frame(100, 100, {}, 1000);
    const SceneFrame small = reference.Frame(25, 40, {}, 6000);
    ASSERT_EQ(frames.size(), 2u);
    ExpectSameFrame(frames[0], large);
    ExpectSameFrame(frames[1], small);
    EXPECT_EQ(frames[1].drops[0].x, 80.0);
    EXPECT_TRUE(std::any_of(small.pixels.begin(), small.pixels.end(), [](std::uint16_t pixel) {
        return pixel != 0x0010;
    })) << "the drop outside the grid still sends rings into it";
}

TEST(SceneRenderer, OptionsApplyToTheFramesThatFollowAndReplaceEarlierOnes) {
    const auto frames = Render("drop 50 50 0\n"
                               "options drift spectrum color\nnow 1500\n"
                               "options color\noptions spectrum\nnow 1600");
    Reference reference;
    InsertDrop(g_drops, reference.m_nNextDrop, 50, 50, 0);
    const SceneFrame all = reference.Frame(100, 100, {true, true, true}, 1500);
    const SceneFrame spectrumOnly = reference.Frame(100, 100, {false, true, false}, 1600);
    ASSERT_EQ(frames.size(), 2u);
    ExpectSameFrame(frames[0], all);
    ExpectSameFrame(frames[1], spectrumOnly);
    EXPECT_NEAR(frames[0].drops[0].x, 50.5, 1e-9) << "drift moved the drop";
}

TEST(SceneRenderer, ClicksMapThroughTheRectangleAsTheDialogMapsThem) {
    const auto frames = Render("rect 100 50 400 350\n"
                               "click 250 200 1000\n"
                               "click 400 200 1000\n" // right edge: outside, ignored
                               "click 399 349 1100\n"
                               "now 2000");
    Reference reference;
    const DisplayRect rect{100, 50, 400, 350};
    AddDropAt(g_drops, reference.m_nNextDrop, rect, 100, 100, 250, 200, 1000);
    AddDropAt(g_drops, reference.m_nNextDrop, rect, 100, 100, 400, 200, 1000);
    AddDropAt(g_drops, reference.m_nNextDrop, rect, 100, 100, 399, 349, 1100);
    ASSERT_EQ(frames.size(), 1u);
    ExpectSameFrame(frames[0], reference.Frame(100, 100, {}, 2000));
    EXPECT_EQ(frames[0].drops[0].x, 50.0);
    EXPECT_EQ(frames[0].drops[1].x, 99.0);
    EXPECT_EQ(frames[0].drops[2].active, 0);
}

TEST(SceneRenderer, TheDefaultRectangleFollowsTheGridUntilARectIsGiven) {
    const auto frames = Render("grid 25 25\nclick 24 24 0\nclick 25 0 0\nnow 10\n"
                               "rect 0 0 50 50\ngrid 100 100\nclick 49 49 0\nnow 20");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].drops[0].x, 24.0);
    EXPECT_EQ(frames[0].drops[0].y, 24.0);
    EXPECT_EQ(frames[0].drops[1].active, 0) << "(25, 0) is right of a 25-cell rectangle";
    EXPECT_EQ(frames[1].drops[1].x, 98.0) << "the given rectangle stays when the grid changes";
}

TEST(SceneRenderer, RainDrawsFromTheProgramsRandomSourceFromItsStartingState) {
    // No time has passed at tick 0 since the rain state's starting tick, so that call is dry.
    const std::string script = "rain 0\nrain 1\nrain 500\nrain 20000\nrain 20001\nnow 20000";
    Rand(); // whatever came before, each script starts from the fixed state
    const auto frames = Render(script);
    Reference reference;
    for (const std::uint32_t tick : {0u, 1u, 500u, 20000u, 20001u}) {
        MakeRainAt(
            g_drops, reference.m_nNextDrop, 100, 100, [tick] { return tick; }, Rand);
    }
    ASSERT_EQ(frames.size(), 1u);
    ExpectSameFrame(frames[0], reference.Frame(100, 100, {}, 20000));
    EXPECT_EQ(frames[0].drops[0].tick, 1u);
    EXPECT_EQ(frames[0].drops[1].tick, 20000u);
    EXPECT_EQ(frames[0].drops[2].active, 0);

    ExpectSameFrame(Render(script)[0], frames[0]);
}

TEST(SceneRenderer, TheDropTableCarriesOverFromFrameToFrame) {
    const auto frames =
        Render("options drift\ndrop 50 50 0\nnow 1000\nnow 1100\nnow 15000\nnow 15001");
    Reference reference;
    InsertDrop(g_drops, reference.m_nNextDrop, 50, 50, 0);
    ASSERT_EQ(frames.size(), 4u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        ExpectSameFrame(frames[i], reference.Frame(100, 100, {true, false, false}, frames[i].tick));
    }
    EXPECT_NEAR(frames[1].drops[0].x, 51.0, 1e-9);
    EXPECT_EQ(frames[2].drops[0].active, 1);
    EXPECT_EQ(frames[3].drops[0].active, 0) << "older than 15000 ms: retired";
}

TEST(SceneRenderer, FramesAreReadTopRowFirstFromTheSurface) {
    // The worked 25 x 25 frame: row 12 crosses the centre, row 0 only touches the ring front.
    const auto frames = Render("grid 25 25\ndrop 12 12 999000\nnow 1000000");
    ASSERT_EQ(frames.size(), 1u);
    const int row12[25] = {21, 26, 27, 24, 17, 10, 4,  3,  7,  14, 23, 30, 31,
                           30, 23, 14, 7,  3,  4,  10, 17, 24, 27, 26, 21};
    for (int column = 0; column < 25; ++column) {
        EXPECT_EQ(Level(frames[0], column, 12), row12[column]) << "column " << column;
    }
    const int row0[25] = {16, 16, 16, 16, 16, 16, 16, 16, 16, 19, 20, 21, 21,
                          21, 20, 19, 16, 16, 16, 16, 16, 16, 16, 16, 16};
    for (int column = 0; column < 25; ++column) {
        EXPECT_EQ(Level(frames[0], column, 0), row0[column]) << "column " << column;
    }
}

TEST(SceneRenderer, SpectrumRunsFromTheTopRowDown) {
    const auto frames = Render("options spectrum\nnow 0");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].Pixel(0, 0), 0x0000);
    EXPECT_EQ(frames[0].Pixel(9, 99), 0x001f);
}

TEST(SceneRenderer, CountsFramesAndTimesTheSynthesis) {
    CSceneScript script;
    std::istringstream in("drop 10 10 0\nnow 100\nnow 200\nnow 300");
    ASSERT_TRUE(script.Parse(in));
    CSceneRenderer renderer;
    ASSERT_TRUE(renderer.Run(script.Directives(), [](const SceneFrame&) { return true; }));
    EXPECT_EQ(renderer.FramesRendered(), 3);
    EXPECT_GT(renderer.MeanSynthesisMicroseconds(), 0.0);
}

TEST(SceneRenderer, StopsWhenTheSinkRefusesAFrame) {
    CSceneScript script;
    std::istringstream in("now 100\nnow 200\nnow 300");
    ASSERT_TRUE(script.Parse(in));
    CSceneRenderer renderer;
    int taken = 0;
    EXPECT_FALSE(renderer.Run(script.Directives(), [&](const SceneFrame&) { return ++taken < 2; }));
    EXPECT_EQ(taken, 2);
}

#include "tools/render/CSceneScript.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

CSceneScript Parsed(const std::string& text) {
    CSceneScript script;
    std::istringstream in(text);
    EXPECT_TRUE(script.Parse(in)) << script.Error();
    return script;
}

std::string ErrorOf(const std::string& text) {
    CSceneScript script;
    std::istringstream in(text);
    EXPECT_FALSE(script.Parse(in)) << "accepted: " << text;
    return script.Error();
}

template <typename Action> const Action& Only(const CSceneScript& script) {
    EXPECT_EQ(script.Directives().size(), 1u);
    return std::get<Action>(script.Directives().at(0).action);
}

} // namespace

TEST(SceneScript, ReadsEveryDirectiveWithItsValues) {
    const auto grid = Only<GridDirective>(Parsed("grid 10 4096"));
    EXPECT_EQ(grid.width, 10);
    EXPECT_EQ(grid.height, 4096);

    const auto drop = Only<DropDirective>(Parsed("drop -3.5 .25 4294967295"));
    EXPECT_EQ(drop.x, -3.5);
    EXPECT_EQ(drop.y, 0.25);
    EXPECT_EQ(drop.tick, 4294967295u);

    const auto rect = Only<RectDirective>(Parsed("rect -100000 -7 100000 300"));
    EXPECT_EQ(rect.rect.left, -100000);
    EXPECT_EQ(rect.rect.top, -7);
    EXPECT_EQ(rect.rect.right, 100000);
    EXPECT_EQ(rect.rect.bottom, 300);

    const auto click = Only<ClickDirective>(Parsed("click 150 -2 0"));
    EXPECT_EQ(click.px, 150);
    EXPECT_EQ(click.py, -2);
    EXPECT_EQ(click.tick, 0u);

    EXPECT_EQ(Only<RainDirective>(Parsed("rain 1000")).tick, 1000u);
    EXPECT_EQ(Only<NowDirective>(Parsed("now 0042")).tick, 42u);
}

TEST(SceneScript, OptionsNameAnySubsetInAnyOrder) {
    const auto none = Only<OptionsDirective>(Parsed("options")).options;
    EXPECT_FALSE(none.drift || none.spectrum || none.addColor);

    const auto all = Only<OptionsDirective>(Parsed("options color drift spectrum")).options;
    EXPECT_TRUE(all.drift && all.spectrum && all.addColor);

    const auto some = Only<OptionsDirective>(Parsed("options spectrum")).options;
    EXPECT_FALSE(some.drift);
    EXPECT_TRUE(some.spectrum);
    EXPECT_FALSE(some.addColor);
}

TEST(SceneScript, SkipsCommentsBlankLinesAndSpacingButKeepsLineNumbers) {
    const CSceneScript script = Parsed("# a scene\n"
                                       "\n"
                                       "  \t \n"
                                       "grid\t25   25   # small\n"
                                       "now 5\r\n"
                                       "#now 6\n"
                                       "\tnow 7 #\n");
    ASSERT_EQ(script.Directives().size(), 3u);
    EXPECT_EQ(script.Directives()[0].line, 4);
    EXPECT_EQ(script.Directives()[1].line, 5);
    EXPECT_EQ(script.Directives()[2].line, 7);
    EXPECT_EQ(std::get<NowDirective>(script.Directives()[1].action).tick, 5u);
    EXPECT_EQ(script.FrameCount(), 2);
}

TEST(SceneScript, AnEmptyScriptHasNoFrames) {
    EXPECT_TRUE(Parsed("").Directives().empty());
    EXPECT_EQ(Parsed("# nothing\n\n").FrameCount(), 0);
}

struct BadLine {
    const char* script;
    const char* message;
};

class SceneScriptFault : public ::testing::TestWithParam<BadLine> {};

TEST_P(SceneScriptFault, NamesTheLineAndWhatIsWrong) {
    EXPECT_EQ(ErrorOf(GetParam().script), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, SceneScriptFault,
    ::testing::Values(
        BadLine{"ripple 1 2",
                "1: unknown directive \"ripple\" (expected grid, options, drop, rect, click, "
                "rain or now)"},
        BadLine{"Now 5", "1: unknown directive \"Now\" (expected grid, options, drop, rect, "
                         "click, rain or now)"},
        BadLine{"grid 100", "1: grid takes 2 arguments (grid W H), not 1"},
        BadLine{"drop 1 2", "1: drop takes 3 arguments (drop X Y TICK), not 2"},
        BadLine{"rect 0 0 10", "1: rect takes 4 arguments (rect L T R B), not 3"},
        BadLine{"click 1 2 3 4", "1: click takes 3 arguments (click PX PY TICK), not 4"},
        BadLine{"rain", "1: rain takes 1 argument (rain TICK), not 0"},
        BadLine{"now 1 2", "1: now takes 1 argument (now TICK), not 2"},
        BadLine{"grid 9 100", "1: width \"9\" is out of range 10..4096"},
        BadLine{"grid 100 4097", "1: height \"4097\" is out of range 10..4096"},
        BadLine{"grid -100 100", "1: width \"-100\" is out of range 10..4096"},
        BadLine{"grid 1e2 100", "1: width \"1e2\" is not a whole number"},
        BadLine{"grid 50.0 100", "1: width \"50.0\" is not a whole number"},
        BadLine{"now 4294967296", "1: tick \"4294967296\" is out of range 0..4294967295"},
        BadLine{"now 99999999999999999999999999",
                "1: tick \"99999999999999999999999999\" is out of range 0..4294967295"},
        BadLine{"now -1", "1: tick \"-1\" is out of range 0..4294967295"},
        BadLine{"now 12x", "1: tick \"12x\" is not a whole number"},
        BadLine{"now +5", "1: tick \"+5\" is not a whole number"},
        BadLine{"now 0x10", "1: tick \"0x10\" is not a whole number"},
        BadLine{"rain -", "1: tick \"-\" is not a whole number"},
        BadLine{"drop 1e3 2 0", "1: x \"1e3\" is not a decimal number"},
        BadLine{"drop 1 2.5.1 0", "1: y \"2.5.1\" is not a decimal number"},
        BadLine{"drop . 2 0", "1: x \".\" is not a decimal number"},
        BadLine{"drop nan 2 0", "1: x \"nan\" is not a decimal number"},
        BadLine{"drop 1 2 1.5", "1: tick \"1.5\" is not a whole number"},
        BadLine{"rect 0 0 100001 10", "1: right \"100001\" is out of range -100000..100000"},
        BadLine{"click 5 -100001 0", "1: y \"-100001\" is out of range -100000..100000"},
        BadLine{"options drift blue",
                "1: unknown option \"blue\" (expected drift, spectrum or color)"},
        BadLine{"options color color", "1: option \"color\" is given twice"},
        BadLine{"# fine\n\nnow 1\nnow x", "4: tick \"x\" is not a whole number"},
        BadLine{"now 1\n\x01\x7f", "2: unknown directive \"??\" (expected grid, options, drop, "
                                   "rect, click, rain or now)"},
        BadLine{"now 1234567890123456789012345678901234567890123",
                "1: tick \"1234567890123456789012345678901234567890...\" is out of range "
                "0..4294967295"}));

TEST(SceneScript, StopsAtTheFirstFault) {
    EXPECT_EQ(ErrorOf("now 1\ngrid 5 5\nbogus"), "2: width \"5\" is out of range 10..4096");
}

#include "tools/render/CGifWriter.h"
#include "platform/gdi/PixelFormat.h"
#include "tools/render/CPngWriter.h"
#include "tools/render/CSceneRenderer.h"
#include "tools/render/CSceneScript.h"

#include "tests/tools/CGifPicture.h"
#include "tests/tools/CScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

std::vector<SceneDirective> Parse(const std::string& script) {
    std::istringstream in(script);
    CSceneScript scene;
    EXPECT_TRUE(scene.Parse(in)) << scene.Error();
    return scene.Directives();
}

std::vector<SceneFrame> Render(const std::string& script) {
    std::vector<SceneFrame> frames;
    CSceneRenderer renderer;
    EXPECT_TRUE(renderer.Run(Parse(script), [&](const SceneFrame& frame) {
        frames.push_back(frame);
        return true;
    })) << renderer.Error();
    return frames;
}

bool WriteGif(const std::string& path, const std::vector<SceneFrame>& frames, int scale) {
    CGifWriter writer(path, scale);
    for (const SceneFrame& frame : frames) {
        if (!writer.AddFrame(frame)) {
            ADD_FAILURE() << writer.Error();
            return false;
        }
    }
    const bool committed = writer.Commit();
    EXPECT_TRUE(committed) << writer.Error();
    return committed;
}

CGifPicture::Rgb Expanded(std::uint16_t word) {
    return {WidenChannel(word >> 10u), WidenChannel(word >> 5u), WidenChannel(word)};
}

// Every pixel of every frame, enlarged, must come back as the PNG images show it.
void ExpectSamePictures(const CGifPicture& gif, const std::vector<SceneFrame>& frames, int scale) {
    ASSERT_EQ(gif.FrameCount(), static_cast<int>(frames.size()));
    for (int f = 0; f < gif.FrameCount(); ++f) {
        const SceneFrame& frame = frames[static_cast<std::size_t>(f)];
        for (int y = 0; y < gif.Height(); ++y) {
            for (int x = 0; x < gif.Width(); ++x) {
                const int column = x / scale;
                const int row = y / scale;
                const bool inside = column < frame.width && row < frame.height;
                const CGifPicture::Rgb expected =
                    inside ? Expanded(frame.Pixel(column, row)) : CGifPicture::Rgb{0, 0, 0};
                ASSERT_EQ(gif.At(f, x, y), expected) << "frame " << f << " at " << x << ", " << y;
            }
        }
    }
}

std::set<std::uint16_t> WordsOf(const std::vector<SceneFrame>& frames) {
    std::set<std::uint16_t> words;
    for (const SceneFrame& frame : frames) {
        words.insert(frame.pixels.begin(), frame.pixels.end());
    }
    return words;
}

// Frames of every option on two grids, with drops close enough to clip every level.
constexpr char kEveryOption[] = R"(grid 40 40
drop 20 20 0
drop 8 30 300
drop 33 9 600
drop 20 21 900
now 1000
options color spectrum
now 1100
options drift spectrum
now 1200
grid 30 30
options color drift
now 1300
)";

} // namespace

struct DelayCase {
    std::uint32_t gapMs;
    int delay;
};

class GifDelay : public ::testing::TestWithParam<DelayCase> {};

TEST_P(GifDelay, RoundsToHundredthsWithinWhatAGifCanSay) {
    EXPECT_EQ(CGifWriter::DelayFor(GetParam().gapMs), GetParam().delay);
}

INSTANTIATE_TEST_SUITE_P(Gaps, GifDelay,
                         ::testing::Values(DelayCase{1, 1}, DelayCase{4, 1}, DelayCase{5, 1},
                                           DelayCase{14, 1}, DelayCase{15, 2}, DelayCase{100, 10},
                                           DelayCase{104, 10}, DelayCase{105, 11},
                                           DelayCase{655350, 65535}, DelayCase{655355, 65535},
                                           DelayCase{2147483647u, 65535}));

struct SceneCase {
    const char* script;
    int scale;
    const char* fault;
};

class GifScene : public ::testing::TestWithParam<SceneCase> {};

TEST_P(GifScene, IsCheckedForFramesInTimeAndSizeBeforeRendering) {
    EXPECT_EQ(CGifWriter::CheckScene(Parse(GetParam().script), GetParam().scale), GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, GifScene,
    ::testing::Values(
        SceneCase{"now 5\nnow 6\nnow 2147483653\n", 1, ""},
        SceneCase{"now 4294967290\nnow 5\n", 1, ""}, // the clock wraps forward
        SceneCase{"drop 1 1 0\n", 1, ""},
        SceneCase{"now 100\nnow 200\n# the same again\nnow 200\n", 1,
                  "4: tick 200 repeats the frame before; the frames of a GIF must follow each "
                  "other in time"},
        SceneCase{"now 1000\nnow 900\n", 1,
                  "2: tick 900 goes back from 1000; the frames of a GIF must follow each other "
                  "in time"},
        SceneCase{"now 0\nnow 2147483648\n", 1,
                  "2: tick 2147483648 goes back from 0; the frames of a GIF must follow each "
                  "other in time"},
        SceneCase{"grid 4096 4096\nnow 1\n", 15, ""},
        SceneCase{"grid 4096 10\n", 16, ""}, // no frame at that size
        SceneCase{"grid 10 4096\nnow 1\n", 16,
                  "2: a 10 x 4096 grid at --scale 16 is 65536 pixels across, more than a GIF's "
                  "65535"},
        SceneCase{"now 1\ngrid 4096 4096\nnow 2\n", 16,
                  "3: a 4096 x 4096 grid at --scale 16 is 65536 pixels across, more than a "
                  "GIF's 65535"}));

TEST(GifWriter, GivesBackEveryPixelOfEveryFrameExactly) {
    const std::vector<SceneFrame> frames = Render(kEveryOption);
    ASSERT_EQ(frames.size(), 4u);
    for (const int scale : {1, 3}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        CScratchFolder folder;
        const std::string path = folder.File("water.gif");
        ASSERT_TRUE(WriteGif(path, frames, scale));
        CGifPicture gif;
        ASSERT_TRUE(gif.Load(path));
        EXPECT_EQ(gif.Signature(), "GIF89a"); // delays and the loop need 89a
        EXPECT_EQ(gif.Width(), 40 * scale);
        EXPECT_EQ(gif.Height(), 40 * scale);
        for (int f = 0; f < gif.FrameCount(); ++f) {
            EXPECT_FALSE(gif.HasLocalTable(f));
            EXPECT_EQ(gif.Disposal(f), DISPOSE_DO_NOT);
        }
        ExpectSamePictures(gif, frames, scale);
        EXPECT_EQ(folder.Names(), Names{"water.gif"});
    }
}

TEST(GifWriter, KeepsInItsTableTheColoursUsedAndNoOthers) {
    const std::vector<SceneFrame> frames = Render(kEveryOption);
    std::set<std::uint16_t> words = WordsOf(frames);
    words.insert(0); // the 30 x 30 frame is padded with black
    CScratchFolder folder;
    ASSERT_TRUE(WriteGif(folder.File("water.gif"), frames, 1));
    CGifPicture gif;
    ASSERT_TRUE(gif.Load(folder.File("water.gif")));
    std::vector<CGifPicture::Rgb> used;
    for (const std::uint16_t word : words) {
        used.push_back(Expanded(word));
    }
    int size = 2;
    while (size < static_cast<int>(used.size())) {
        size *= 2;
    }
    ASSERT_EQ(gif.TableSize(), size);
    std::vector<CGifPicture::Rgb> table = gif.Table();
    table.resize(used.size());
    EXPECT_EQ(table, used); // in rising order of the words, the rest of the table unused
}

struct PaletteCase {
    const char* options;
    std::size_t colours;
    int tableSize;
};

class GifPalette : public ::testing::TestWithParam<PaletteCase> {};

// The Spectrum strip shows all 32 levels; Add Color gives each its own word, and only levels 0
// and 1 have no tint, so with and without it the frames use 62 words, well within one table.
TEST_P(GifPalette, HoldsEveryLevelOfTheOptionsInOneTable) {
    const std::string script = std::string("grid 64 64\ndrop 32 32 0\n") + GetParam().options +
                               "now 3000\noptions spectrum\nnow 3100\n";
    const std::vector<SceneFrame> frames = Render(script);
    EXPECT_EQ(WordsOf(frames).size(), GetParam().colours);
    CScratchFolder folder;
    ASSERT_TRUE(WriteGif(folder.File("levels.gif"), frames, 1));
    CGifPicture gif;
    ASSERT_TRUE(gif.Load(folder.File("levels.gif")));
    EXPECT_EQ(gif.TableSize(), GetParam().tableSize);
    ExpectSamePictures(gif, frames, 1);
}

INSTANTIATE_TEST_SUITE_P(Options, GifPalette,
                         ::testing::Values(PaletteCase{"options spectrum\n", 32, 32},
                                           PaletteCase{"options spectrum color\n", 62, 64}));

TEST(GifWriter, ShowsEachFrameUntilTheNextAndLoopsForEver) {
    const std::vector<SceneFrame> frames =
        Render("grid 10 10\nnow 1000\nnow 1100\nnow 1250\nnow 1300\n");
    CScratchFolder folder;
    ASSERT_TRUE(WriteGif(folder.File("four.gif"), frames, 1));
    CGifPicture gif;
    ASSERT_TRUE(gif.Load(folder.File("four.gif")));
    ASSERT_EQ(gif.FrameCount(), 4);
    EXPECT_EQ(gif.LoopCount(), 0);
    const int delays[] = {10, 15, 5, 5}; // the last shows as long as the one before it
    for (int f = 0; f < 4; ++f) {
        EXPECT_EQ(gif.Delay(f), delays[f]) << f;
    }
}

TEST(GifWriter, ShowsALoneFrameAtTheProgramsPace) {
    CScratchFolder folder;
    ASSERT_TRUE(WriteGif(folder.File("one.gif"), Render("grid 10 10\nnow 77\n"), 2));
    CGifPicture gif;
    ASSERT_TRUE(gif.Load(folder.File("one.gif")));
    ASSERT_EQ(gif.FrameCount(), 1);
    EXPECT_EQ(gif.Delay(0), 10);
    EXPECT_EQ(gif.LoopCount(), 0);
}

TEST(GifWriter, DrawsASmallerFrameAtTheTopLeftWithBlackRoundIt) {
    const std::vector<SceneFrame> frames =
        Render("grid 20 20\noptions color\nnow 10\ngrid 10 12\nnow 20\n");
    CScratchFolder folder;
    ASSERT_TRUE(WriteGif(folder.File("sizes.gif"), frames, 2));
    CGifPicture gif;
    ASSERT_TRUE(gif.Load(folder.File("sizes.gif")));
    EXPECT_EQ(gif.Width(), 40);
    EXPECT_EQ(gif.Height(), 40);
    EXPECT_EQ(gif.At(1, 19, 23), Expanded(0x1510)); // calm, tinted water
    EXPECT_EQ(gif.At(1, 20, 23), (CGifPicture::Rgb{0, 0, 0}));
    EXPECT_EQ(gif.At(1, 19, 24), (CGifPicture::Rgb{0, 0, 0}));
    ExpectSamePictures(gif, frames, 2);
}

TEST(GifWriter, WritesNothingWithoutFrames) {
    CScratchFolder folder;
    CGifWriter writer(folder.File("none.gif"), 1);
    EXPECT_TRUE(writer.Commit());
    EXPECT_TRUE(folder.Names().empty());
}

TEST(GifWriter, LeavesNothingBehindWhenItCannotWrite) {
    const std::vector<SceneFrame> frames = Render("grid 10 10\nnow 1\nnow 2\n");
    CScratchFolder folder;
    const std::string missing = folder.File("missing/water.gif");
    CGifWriter intoNowhere(missing, 1);
    ASSERT_TRUE(intoNowhere.AddFrame(frames[0]));
    EXPECT_FALSE(intoNowhere.Commit());
    EXPECT_EQ(intoNowhere.Error(), "cannot write " + missing + ": No such file or directory");

    const std::string folderName = folder.File("taken.gif");
    std::filesystem::create_directory(folderName);
    CGifWriter ontoAFolder(folderName, 1);
    ASSERT_TRUE(ontoAFolder.AddFrame(frames[0]));
    ASSERT_TRUE(ontoAFolder.AddFrame(frames[1]));
    EXPECT_FALSE(ontoAFolder.Commit());
    EXPECT_EQ(ontoAFolder.Error(), "cannot write " + folderName + ": Is a directory");
    EXPECT_EQ(folder.Names(), Names{"taken.gif"});
}

TEST(GifWriter, TakesACommittedGifAwayWhenAskedTo) {
    CScratchFolder folder;
    CGifWriter writer(folder.File("water.gif"), 1);
    ASSERT_TRUE(writer.AddFrame(Render("grid 10 10\nnow 1\n")[0]));
    ASSERT_TRUE(writer.Commit()) << writer.Error();
    EXPECT_EQ(folder.Names(), Names{"water.gif"});
    writer.Withdraw();
    EXPECT_TRUE(folder.Names().empty());
}

TEST(GifWriter, RefusesMoreColoursThanATableHolds) {
    SceneFrame frame;
    frame.width = 16;
    frame.height = 17;
    for (int i = 0; i < frame.width * frame.height; ++i) {
        frame.pixels.push_back(static_cast<std::uint16_t>(i));
    }
    CScratchFolder folder;
    CGifWriter writer(folder.File("many.gif"), 1);
    EXPECT_FALSE(writer.AddFrame(frame));
    EXPECT_EQ(writer.Error(), "cannot write " + folder.File("many.gif") +
                                  ": the frames have more than 256 colours");
}

#include "tools/render/CPngWriter.h"

#include "tests/tools/CPngPicture.h"
#include "tests/tools/CScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// A 2 x 2 frame with one pure channel in each of three pixels and calm water in the fourth.
SceneFrame FourPixels() {
    SceneFrame frame;
    frame.width = 2;
    frame.height = 2;
    frame.pixels = {0x7c00, 0x03e0, 0x001f, 0x1510};
    return frame;
}

using Names = std::vector<std::string>;

} // namespace

struct FrameName {
    const char* target;
    int index;
    int count;
    const char* expected;
};

class PngFrameName : public ::testing::TestWithParam<FrameName> {};

TEST_P(PngFrameName, NumbersFramesBeforeTheExtensionOnlyWhenThereAreSeveral) {
    const FrameName& name = GetParam();
    EXPECT_EQ(CPngWriter::FrameFileName(name.target, name.index, name.count), name.expected);
}

INSTANTIATE_TEST_SUITE_P(Names, PngFrameName,
                         ::testing::Values(FrameName{"out.png", 1, 1, "out.png"},
                                           FrameName{"out.png", 1, 3, "out-0001.png"},
                                           FrameName{"dir/out.png", 12, 20, "dir/out-0012.png"},
                                           FrameName{"out", 2, 2, "out-0002"},
                                           FrameName{"a.b/out", 1, 2, "a.b/out-0001"},
                                           FrameName{"out.tar.png", 1, 2, "out.tar-0001.png"},
                                           FrameName{"f.png", 10000, 10000, "f-10000.png"}));

TEST(PngWriter, WritesTheChannelsOfEachPixelEnlargedByWholePixels) {
    CScratchFolder folder;
    const std::string path = folder.File("frame.png");
    {
        CPngWriter writer(path, 1, 3);
        ASSERT_TRUE(writer.WriteFrame(FourPixels())) << writer.Error();
        ASSERT_TRUE(writer.Commit()) << writer.Error();
    }
    CPngPicture picture;
    ASSERT_TRUE(picture.Load(path));
    ASSERT_EQ(picture.Width(), 6);
    ASSERT_EQ(picture.Height(), 6);
    const std::array<int, 3> expected[2][2] = {{{255, 0, 0}, {0, 255, 0}},
                                               {{0, 0, 255}, {41, 66, 132}}};
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(picture.Rgb(x, y), expected[y / 3][x / 3]) << x << ", " << y;
        }
    }
    EXPECT_EQ(folder.Names(), Names{"frame.png"});
}

TEST(PngWriter, PutsSeveralFramesInPlaceOnlyOnCommit) {
    CScratchFolder folder;
    CPngWriter writer(folder.File("water.png"), 3, 1);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(writer.WriteFrame(FourPixels())) << writer.Error();
    }
    EXPECT_EQ(folder.Names().size(), 3u);
    for (const std::string& name : folder.Names()) {
        EXPECT_EQ(name.front(), '.') << "a frame is visible before the run is done: " << name;
    }
    ASSERT_TRUE(writer.Commit()) << writer.Error();
    EXPECT_EQ(folder.Names(), (Names{"water-0001.png", "water-0002.png", "water-0003.png"}));
}

TEST(PngWriter, LeavesNothingBehindWhenNotCommitted) {
    CScratchFolder folder;
    {
        CPngWriter writer(folder.File("water.png"), 2, 1);
        ASSERT_TRUE(writer.WriteFrame(FourPixels()));
    }
    EXPECT_TRUE(folder.Names().empty());
}

TEST(PngWriter, ReportsAFolderThatDoesNotExist) {
    CScratchFolder folder;
    const std::string path = folder.File("missing/water.png");
    CPngWriter writer(path, 1, 1);
    EXPECT_FALSE(writer.WriteFrame(FourPixels()));
    EXPECT_EQ(writer.Error(), "cannot write " + path + ": No such file or directory");
    EXPECT_TRUE(folder.Names().empty());
}

TEST(PngWriter, RemovesEveryFrameWhenOneCannotBePutInPlace) {
    CScratchFolder folder;
    std::filesystem::create_directory(folder.File("water-0002.png"));
    CPngWriter writer(folder.File("water.png"), 3, 1);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(writer.WriteFrame(FourPixels())) << writer.Error();
    }
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(writer.Error(), "cannot write " + folder.File("water-0002.png") + ": Is a directory");
    EXPECT_EQ(folder.Names(), Names{"water-0002.png"});
}

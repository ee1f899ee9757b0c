#include "tools/icons/CDropDrawing.h"
#include "res/IconImage.h"
#include "res/resource.h"
#include "tools/icons/CIconCommand.h"
#include "tools/icons/CRgbaImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

namespace {

constexpr std::uint32_t kNavy = 0x000080;
constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kAqua = 0x00FFFF;
constexpr std::uint32_t kWhite = 0xFFFFFF;

const IconImage& ImageOfSize(int size) {
    const IconGroup* group = FindIconGroup(IDR_MAINFRAME);
    for (const IconImage& image : group->images) {
        if (image.width == size) {
            return image;
        }
    }
    ADD_FAILURE() << "no " << size << " pixel image";
    return group->images.front();
}

unsigned Alpha(std::uint32_t argb) {
    return argb >> 24;
}

std::uint32_t Rgb(std::uint32_t argb) {
    return argb & 0xFFFFFF;
}

// The pixel design's own sizes are its images, pixel for pixel.
class HandSetSize : public ::testing::TestWithParam<int> {};

TEST_P(HandSetSize, IsTheIconDataPixelForPixel) {
    const int size = GetParam();
    const IconImage& image = ImageOfSize(size);
    const std::optional<CRgbaImage> picture = CIconCommand::Picture(size);
    ASSERT_TRUE(picture.has_value());
    ASSERT_EQ(picture->Width(), size);
    ASSERT_EQ(picture->Height(), size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int index = IconPixelIndex(image, x, y);
            const std::uint32_t expected =
                index < 0 ? 0 : 0xFF000000 | image.palette[static_cast<std::size_t>(index)];
            ASSERT_EQ(picture->Pixel(x, y), expected) << x << ", " << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Icon, HandSetSize, ::testing::Values(16, 32));

// Drawn eight times larger, the shapes must lie where the design's pixels do: the centre of each
// design pixel's block has that pixel's colour, or is clear where it is clear. The pixel design
// is a hand-made approximation of those shapes, so a few pixels along the edges may differ.
TEST(DropDrawing, LiesOverThePixelDesign) {
    constexpr int kEnlargement = 8;
    const IconImage& design = ImageOfSize(32);
    const CRgbaImage drawn = CDropDrawing(design).Draw(32 * kEnlargement);
    int same = 0;
    int opaque = 0;
    int sameOpaque = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int index = IconPixelIndex(design, x, y);
            const std::uint32_t expected =
                index < 0 ? 0 : 0xFF000000 | design.palette[static_cast<std::size_t>(index)];
            const std::uint32_t centre = drawn.Pixel(x * kEnlargement + kEnlargement / 2,
                                                     y * kEnlargement + kEnlargement / 2);
            same += centre == expected ? 1 : 0;
            opaque += index >= 0 ? 1 : 0;
            sameOpaque += index >= 0 && centre == expected ? 1 : 0;
        }
    }
    // 956 of the 1024 pixels agree, and 355 of the 408 opaque ones: the bounds leave only a
    // little room below that.
    EXPECT_GE(same, 1024 * 92 / 100);
    EXPECT_GE(sameOpaque, opaque * 85 / 100);
}

class LargerSize : public ::testing::TestWithParam<int> {};

// Larger sizes are drawn, not enlarged: smooth edges with partial cover, the design's four
// colours inside, clear corners, and the pool as wide as the square.
TEST_P(LargerSize, IsTheMotifDrawnSmoothlyInTheDesignsColours) {
    const int size = GetParam();
    const std::optional<CRgbaImage> picture = CIconCommand::Picture(size);
    ASSERT_TRUE(picture.has_value());
    ASSERT_EQ(picture->Width(), size);
    ASSERT_EQ(picture->Height(), size);
    std::set<std::uint32_t> solidColours;
    int partlyCovered = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const std::uint32_t argb = picture->Pixel(x, y);
            if (Alpha(argb) == 255) {
                solidColours.insert(Rgb(argb));
            } else if (Alpha(argb) > 0) {
                ++partlyCovered;
            }
        }
    }
    for (const std::uint32_t colour : {kNavy, kBlue, kAqua, kWhite}) {
        EXPECT_EQ(solidColours.count(colour), 1U) << std::hex << colour;
    }
    EXPECT_GT(partlyCovered, size);
    for (const auto& [x, y] :
         {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}}) {
        EXPECT_EQ(picture->Pixel(x, y), 0U) << x << ", " << y;
    }
    // The pool spans the whole width, as in the pixel design.
    const int poolRow = size * 49 / 64;
    EXPECT_GT(Alpha(picture->Pixel(0, poolRow)), 0U);
    EXPECT_GT(Alpha(picture->Pixel(size - 1, poolRow)), 0U);
    // The drop's body is water, the gap between drop and pool is clear.
    EXPECT_EQ(picture->Pixel(size * 18 / 32, size * 11 / 32), 0xFF000000 | kBlue);
    EXPECT_EQ(Alpha(picture->Pixel(size / 2, size * 17 / 32)), 0U);
}

INSTANTIATE_TEST_SUITE_P(Icon, LargerSize, ::testing::Values(48, 64, 128, 256));

// The motif comes from a group's largest image, whichever place it has in the group.
TEST(DropDrawing, IsDrawnFromTheLargestImageOfTheGroup) {
    const IconImage& small = ImageOfSize(16);
    const IconImage& large = ImageOfSize(32);
    const CRgbaImage expected = CDropDrawing(large).Draw(32);
    for (const std::vector<IconImage>& images :
         {std::vector{small, large}, std::vector{large, small}}) {
        const IconGroup group{IDR_MAINFRAME, images};
        const std::optional<CDropDrawing> motif = CDropDrawing::OfIcon(&group);
        ASSERT_TRUE(motif.has_value());
        EXPECT_TRUE(motif->Draw(32) == expected);
    }
    const IconGroup empty{IDR_MAINFRAME, {}};
    EXPECT_FALSE(CDropDrawing::OfIcon(&empty).has_value());
    EXPECT_FALSE(CDropDrawing::OfIcon(nullptr).has_value());
}

TEST(DropDrawing, SizesOutsideTheRangeHaveNoPicture) {
    for (const int size : {-1, 0, CIconCommand::kMinSize - 1, CIconCommand::kMaxSize + 1}) {
        EXPECT_FALSE(CIconCommand::Picture(size).has_value()) << size;
    }
    EXPECT_EQ(CDropDrawing(ImageOfSize(32)).Draw(0).Width(), 0);
}

} // namespace

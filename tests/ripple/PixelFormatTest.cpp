#include "platform/gdi/PixelFormat.h"

#include <gtest/gtest.h>

namespace {

TEST(PixelFormat, WidensFiveBitChannelsEvenlyFromBlackToFull) {
    EXPECT_EQ(WidenChannel(0), 0);
    EXPECT_EQ(WidenChannel(1), 8);
    EXPECT_EQ(WidenChannel(16), 132);
    EXPECT_EQ(WidenChannel(31), 255);
    for (unsigned v = 1; v < 32; ++v) {
        const int step = WidenChannel(v) - WidenChannel(v - 1);
        EXPECT_TRUE(step == 8 || step == 9) << v;
    }
}

TEST(PixelFormat, EachChannelOfAPackedPixelWidensOnItsOwn) {
    const unsigned pixel = PackPixel(3, 17, 30);
    EXPECT_EQ(pixel & 0x8000u, 0u);
    EXPECT_EQ(WidenChannel(pixel >> 10), WidenChannel(3));
    EXPECT_EQ(WidenChannel(pixel >> 5), WidenChannel(17));
    EXPECT_EQ(WidenChannel(pixel), WidenChannel(30));
}

} // namespace

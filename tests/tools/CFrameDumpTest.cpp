#include "tools/render/CFrameDump.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

TEST(FrameDump, WritesHexWordsTopRowFirstAndSlotsToSeventeenDigits) {
    SceneFrame frame;
    frame.tick = 4294967295u;
    frame.width = 3;
    frame.height = 2;
    frame.pixels = {0x0010, 0x29ff, 0xabcd, 0x0000, 0x0001, 0x7fff};
    frame.drops[0] = RippleDrop{1, 0.1, -2.5, 4294967295u};
    frame.drops[9] = RippleDrop{0, 50.50000000000001, 1e-7, 7};

    EXPECT_EQ(CFrameDump::Format(frame), "frame 4294967295\n"
                                         "0010 29ff abcd\n"
                                         "0000 0001 7fff\n"
                                         "slot 0 1 0.10000000000000001 -2.5 4294967295\n"
                                         "slot 1 0 0 0 0\n"
                                         "slot 2 0 0 0 0\n"
                                         "slot 3 0 0 0 0\n"
                                         "slot 4 0 0 0 0\n"
                                         "slot 5 0 0 0 0\n"
                                         "slot 6 0 0 0 0\n"
                                         "slot 7 0 0 0 0\n"
                                         "slot 8 0 0 0 0\n"
                                         "slot 9 0 50.500000000000007 9.9999999999999995e-08 7\n");
}

TEST(FrameDump, PrintsCoordinatesThatReadBackToTheSameDouble) {
    SceneFrame frame;
    frame.width = 1;
    frame.height = 1;
    frame.pixels = {0};
    frame.drops[0] = RippleDrop{1, 50.0 + 1.0 / 3.0, -0.00002 * 7, 0};
    const std::string text = CFrameDump::Format(frame);
    double x = 0;
    double y = 0;
    ASSERT_EQ(std::sscanf(text.c_str() + text.find("slot 0 1 "), "slot 0 1 %lf %lf", &x, &y), 2);
    EXPECT_EQ(x, frame.drops[0].x);
    EXPECT_EQ(y, frame.drops[0].y);
}

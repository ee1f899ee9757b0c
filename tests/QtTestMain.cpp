#include "platform/winqt/session/Application.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // The tests drive real widgets, but never need a screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The program's own application object, made and ended as the program makes and ends it: a
    // test program that ended it otherwise would show faults the program does not have (on
    // Wayland, a hang or a crash in Qt's end) and hide those it has.
    StartWindowSystem();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

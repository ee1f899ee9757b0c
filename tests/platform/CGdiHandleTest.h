#pragma once

#include "tests/platform/GdiHooks.h"

#include <gtest/gtest.h>

// A test of the graphics layer's handles: every handle a test takes is given back by its end, and
// no failure a test asked for outlives it.
class CGdiHandleTest : public ::testing::Test {
protected:
    void SetUp() override { m_nHandlesBefore = LiveGdiHandleCount(); }
    void TearDown() override {
        FailNextDibSections(0);
        FailNextMemoryDCs(0);
        EXPECT_EQ(LiveGdiHandleCount(), m_nHandlesBefore) << "a handle was left behind";
    }

    int m_nHandlesBefore = 0;
};

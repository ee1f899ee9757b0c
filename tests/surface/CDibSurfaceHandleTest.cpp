#include "surface/CDibSurface.h"

#include "tests/platform/CGdiHandleTest.h"
#include "tests/surface/CBitmapTarget.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

// The handles the surface takes and gives back, and the graphics calls made to fail, through the
// hooks of the graphics layer that stands in for Windows': Windows itself has neither.

namespace {

using SurfaceHandleTest = CGdiHandleTest;

TEST_F(SurfaceHandleTest, EveryWayOutGivesBackEveryHandle) {
    CDibSurface surface;
    for (int size = 25; size <= 200; size += 25) {
        ASSERT_EQ(surface.Create(size, size, 0), TRUE);
        EXPECT_EQ(LiveGdiHandleCount(), m_nHandlesBefore + 2) << "a bitmap and its memory DC";
    }
    for (const auto& [cx, cy] :
         {std::pair{0, 10}, std::pair{INT_MAX, 1}, std::pair{46341, 46341}}) {
        EXPECT_EQ(surface.Create(cx, cy, 0), FALSE);
        EXPECT_EQ(LiveGdiHandleCount(), m_nHandlesBefore) << cx << " x " << cy;
        ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
    }
    surface.Free();
    EXPECT_EQ(LiveGdiHandleCount(), m_nHandlesBefore);
    surface.Free();
    EXPECT_EQ(LiveGdiHandleCount(), m_nHandlesBefore);
    // The destructor gives back the last one, before TearDown counts.
    ASSERT_EQ(surface.Create(25, 25, 0), TRUE);
}

TEST_F(SurfaceHandleTest, FailedBitmapLeavesTheSurfaceEmptyAndTheNextCreateWorks) {
    CDibSurface surface;
    FailNextDibSections(2);
    EXPECT_EQ(surface.Create(25, 25, 0), FALSE);
    EXPECT_EQ(surface.m_pbmi, nullptr);
    EXPECT_EQ(surface.Create(50, 50, 0), FALSE);
    EXPECT_EQ(surface.m_pbmi, nullptr);
    EXPECT_EQ(LiveGdiHandleCount(), m_nHandlesBefore);
    EXPECT_EQ(surface.Create(75, 75, 0), TRUE);
    EXPECT_EQ(surface.Width(), 75);
    EXPECT_NE(surface.m_pBits, nullptr);
}

TEST_F(SurfaceHandleTest, WithoutAMemoryDcTheSurfaceExistsButBlitDrawsNothing) {
    CDibSurface surface;
    FailNextMemoryDCs(1);
    ASSERT_EQ(surface.Create(25, 25, 0x7FFF), TRUE);
    EXPECT_EQ(surface.m_hMemDC, nullptr);
    EXPECT_NE(surface.m_pBits, nullptr);
    EXPECT_EQ(surface.Fill(0x001F), TRUE);
    CBitmapTarget target(40, 40);
    surface.Blit(target.Dc(), nullptr, nullptr);
    EXPECT_TRUE(target.IsUntouched());
}

} // namespace

// The Wine session that the Windows program's end-to-end tests run in, at each screen scale,
// proved on a Windows program the build already has: ONDELINE_WINDOWS_PROGRAM names a GoogleTest
// .exe of the Windows build.

#include "CWineSession.h"
#include "CXSession.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace std::chrono_literals;

namespace {
const auto kRunTimeout = 120s;
// Wine's own command interpreter, which any prefix has, ends with the status it is told.
const int kToldStatus = 3;

class WineSession : public ::testing::TestWithParam<int> {};

TEST_P(WineSession, RunsAWindowsProgramAtItsScaleAndGivesItsExitStatus) {
    const char* program = std::getenv("ONDELINE_WINDOWS_PROGRAM");
    ASSERT_NE(program, nullptr) << "ONDELINE_WINDOWS_PROGRAM names no Windows program";
    const CXSession x(ONDELINE_ARTIFACT_DIR);
    ASSERT_TRUE(x.Ready()) << "no X server with a window manager: " << x.Failure();
    const CWineSession wine(x, GetParam());
    ASSERT_TRUE(wine.Ready()) << wine.Failure();

    // The scale outlived the server that wrote it, where a program starting now reads it.
    const CChildProcess::Result scale =
        wine.Run("reg", {"query", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels"}, kRunTimeout);
    char logPixels[16];
    std::snprintf(logPixels, sizeof logPixels, "0x%x", GetParam());
    EXPECT_NE(scale.output.find(logPixels), std::string::npos) << scale.Describe() << scale.output;
    const CChildProcess::Result passed =
        wine.Run(program, {"--gtest_filter=RippleDropTest.*"}, kRunTimeout);
    EXPECT_EQ(passed.status, 0) << passed.Describe() << passed.output;
    EXPECT_NE(passed.output.find("[  PASSED  ]"), std::string::npos) << passed.output;
    const CChildProcess::Result told =
        wine.Run("cmd", {"/c", "exit", std::to_string(kToldStatus)}, kRunTimeout);
    EXPECT_EQ(told.status, kToldStatus) << told.Describe();
}

INSTANTIATE_TEST_SUITE_P(LogPixels, WineSession, ::testing::Values(96, 144, 192));
} // namespace

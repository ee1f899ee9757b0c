// The real program started where it cannot show a window: one plain sentence and a failure
// status, never the toolkit's own abort; and the questions it answers without a window.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Outcome {
    int status;
    std::string output;
};

Outcome RunProgram(const std::string& environment, const std::string& arguments = "") {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                environment + " " + ONDELINE_PROGRAM + " " + arguments + " 2>&1";
    Outcome outcome{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return outcome;
    std::array<char, 1024> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        outcome.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

} // namespace

TEST(StartWithoutDisplay, SaysThereIsNoDisplayAndFailsCleanly) {
    const Outcome outcome = RunProgram("");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.output.find("there is no display to open the window on"), std::string::npos)
        << outcome.output;
    EXPECT_NE(outcome.output.find("ondeline-render"), std::string::npos);
}

TEST(StartWithoutDisplay, AnUnreachableDisplayEndsWithOnePlainSentence) {
    // No X server listens on a display number this high.
    const Outcome outcome = RunProgram("DISPLAY=:4093");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.output.find("the display could not be reached"), std::string::npos)
        << outcome.output;
    EXPECT_EQ(outcome.output.find("Reinstalling the application"), std::string::npos);
}

// Answered before the toolkit starts, so no display is needed; the first question asked wins, and
// an answer that cannot be written is a failure.
TEST(StartWithoutDisplay, HelpAndVersionAnswerWithoutADisplay) {
    struct Case {
        const char* arguments;
        int status;
        const char* output;
    };
    for (const Case& c : {Case{"--help", 0, "Usage: ondeline [--help | --version]\n"},
                          Case{"-h", 0, "Usage: ondeline [--help | --version]\n"},
                          Case{"--version", 0, "ondeline 1.0.0.1\n"},
                          Case{"-platform xcb --version --help", 0, "ondeline 1.0.0.1\n"},
                          Case{"--version >/dev/full", 1, ""}}) {
        const Outcome outcome = RunProgram("", c.arguments);
        EXPECT_EQ(outcome.status, c.status) << c.arguments << ": " << outcome.output;
        EXPECT_EQ(outcome.output.rfind(c.output, 0), 0u) << c.arguments << ": " << outcome.output;
    }
}

#include "tests/tools/CScratchFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// ondeline-render when the disk fills up half-way through a picture: the write fails in the
// middle of a file, not when it is opened. The run must say so plainly, end with status 2 and
// leave no file behind, neither the partial picture nor the frames already done. A limit on the
// size of the files the process may write stands in for the full disk.

namespace {

constexpr int kFaultStatus = 2; // ondeline-render's status for a run that failed
constexpr int kStartFailed = 127;

// Calm water first, a small picture; then rings, which take many more bytes, in five frames
// that a GIF holds all together.
constexpr const char* kCalmThenRings = "grid 200 200\n"
                                       "options spectrum color\n"
                                       "now 1000\n"
                                       "drop 60 70 1000\n"
                                       "drop 140 120 1500\n"
                                       "now 4000\n"
                                       "now 4500\n"
                                       "now 5000\n"
                                       "now 5500\n"
                                       "now 6000\n";
constexpr int kFrames = 6;

struct Outcome {
    int status = -1;
    std::string err;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs ondeline-render in folder with the script on standard input, allowed to write files of
// at most maxFileBytes. The signal that would end it at the limit is ignored, as a program that
// writes to a full disk gets an error instead.
Outcome RunRender(const CScratchFolder& folder, const std::vector<std::string>& args,
                  const std::string& script, rlim_t maxFileBytes) {
    const std::string scriptPath =
        folder.Path().parent_path() / (folder.Path().filename().string() + ".scene");
    const std::string errPath =
        folder.Path().parent_path() / (folder.Path().filename().string() + ".err");
    std::ofstream(scriptPath) << script;

    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open(scriptPath.c_str(), O_RDONLY);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || err < 0 || dup2(in, STDIN_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0 ||
            chdir(folder.Path().c_str()) != 0) {
            _exit(kStartFailed);
        }
        const rlimit limit{maxFileBytes, maxFileBytes};
        std::signal(SIGXFSZ, SIG_IGN);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            _exit(kStartFailed);
        }
        std::vector<char*> argv;
        std::string program = ONDELINE_RENDER_BINARY;
        argv.push_back(program.data());
        std::vector<std::string> copies(args);
        for (std::string& arg : copies) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(kStartFailed);
    }
    Outcome outcome;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid) {
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    outcome.err = ReadFile(errPath);
    std::remove(scriptPath.c_str());
    std::remove(errPath.c_str());
    return outcome;
}

std::size_t FileSize(const std::string& path) {
    return static_cast<std::size_t>(std::ifstream(path, std::ios::binary | std::ios::ate).tellg());
}

// The sizes of the files a run writes when there is room.
struct Sizes {
    std::size_t calmPng = 0;    // the first frame
    std::size_t ringPng = 0;    // the second
    std::size_t largestPng = 0; // of all frames
    std::size_t gif = 0;
};

struct Output {
    const char* name;
    std::vector<std::string> args;
    std::size_t (*limit)(const Sizes&);
    const char* failingFile; // the file the error must name
};

class RenderOutputFaultTest : public ::testing::TestWithParam<Output> {};

TEST_P(RenderOutputFaultTest, AFullDiskGivesAClearErrorAndNoFileAtAll) {
    const Output& output = GetParam();
    Sizes sizes;
    {
        CScratchFolder room;
        ASSERT_EQ(RunRender(room, {"--png", "water.png", "--gif", "water.gif"}, kCalmThenRings,
                            RLIM_INFINITY)
                      .status,
                  0);
        sizes.calmPng = FileSize(room.File("water-0001.png"));
        sizes.ringPng = FileSize(room.File("water-0002.png"));
        for (int frame = 1; frame <= kFrames; ++frame) {
            sizes.largestPng =
                std::max(sizes.largestPng,
                         FileSize(room.File("water-000" + std::to_string(frame) + ".png")));
        }
        sizes.gif = FileSize(room.File("water.gif"));
        ASSERT_LT(sizes.calmPng * 2, sizes.ringPng) << "the first two frames must differ in size";
        ASSERT_LT(sizes.largestPng * 2, sizes.gif) << "the GIF must be the largest file";
    }

    CScratchFolder folder;
    const Outcome outcome =
        RunRender(folder, output.args, kCalmThenRings, static_cast<rlim_t>(output.limit(sizes)));
    EXPECT_EQ(outcome.status, kFaultStatus) << outcome.err;
    EXPECT_EQ(outcome.err, "ondeline-render: cannot write " + std::string(output.failingFile) +
                               ": File too large\n");
    EXPECT_TRUE(folder.Names().empty())
        << "left behind: " << (folder.Names().empty() ? "" : folder.Names().front());
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, RenderOutputFaultTest,
    ::testing::Values(
        // The first frame fits; the second breaks off half-way, and the first goes with it.
        Output{"SecondPngFrame",
               {"--png", "water.png"},
               [](const Sizes& s) { return (s.calmPng + s.ringPng) / 2; },
               "water-0002.png"},
        // Not even the first frame fits.
        Output{"FirstPngFrame",
               {"--png", "water.png"},
               [](const Sizes& s) { return s.calmPng / 2; },
               "water-0001.png"},
        // The frames fit, the GIF of both does not: the frames go too.
        Output{"GifBesidePng",
               {"--png", "water.png", "--gif", "water.gif"},
               [](const Sizes& s) { return (s.largestPng + s.gif) / 2; },
               "water.gif"}),
    [](const ::testing::TestParamInfo<Output>& info) { return std::string(info.param.name); });

} // namespace

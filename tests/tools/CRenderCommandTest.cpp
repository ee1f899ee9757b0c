#include "tools/render/CRenderCommand.h"
#include "tools/render/CFrameDump.h"

#include "tests/tools/CGifPicture.h"
#include "tests/tools/CPngPicture.h"
#include "tests/tools/CScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the command in this process with the given standard input.
Outcome RunCommand(std::vector<std::string> args, const std::string& input = "",
                   CRenderCommand::Terminals terminals = {}) {
    args.insert(args.begin(), "ondeline-render");
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    CRenderCommand command(in, out, err, terminals);
    Outcome outcome;
    outcome.exitCode = command.Run(static_cast<int>(argv.size()), argv.data());
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Runs the real program through the shell, from folder, with its streams in files there.
Outcome RunBinary(const CScratchFolder& folder, const std::string& args,
                  const std::string& input = "") {
    WriteFile(folder.File(".stdin"), input);
    const std::string command = "cd '" + folder.Path().string() + "' && '" +
                                ONDELINE_RENDER_BINARY + "' " + args +
                                " <.stdin >.stdout 2>.stderr";
    const int status = std::system(command.c_str());
    Outcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = ReadFile(folder.File(".stdout"));
    outcome.err = ReadFile(folder.File(".stderr"));
    for (const char* name : {".stdin", ".stdout", ".stderr"}) {
        std::filesystem::remove(folder.File(name));
    }
    return outcome;
}

constexpr char kTwoFrames[] = "grid 25 25\ndrop 12 12 0\nnow 1000\nnow 2000\n";
constexpr char kHint[] = "Try 'ondeline-render --help' for more information.\n";

} // namespace

struct BadArguments {
    std::vector<std::string> args;
    std::string err;
};

class RenderCommandArguments : public ::testing::TestWithParam<BadArguments> {};

TEST_P(RenderCommandArguments, AreRefusedWithOneMessageAndAHint) {
    const Outcome outcome = RunCommand(GetParam().args, kTwoFrames);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "ondeline-render: " + GetParam().err + "\n" + kHint);
    EXPECT_EQ(outcome.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Messages, RenderCommandArguments,
    ::testing::Values(
        BadArguments{{}, "nothing to do: give --png FILE, --gif FILE, --dump or --stats"},
        BadArguments{{"--png", "-", "--dump"},
                     "--png - and --dump would both write to standard "
                     "output; give --png a file name"},
        BadArguments{{"--gif=-"}, "--gif cannot write to standard output; give it a file name"},
        BadArguments{{"--dump", "--frames"}, "unknown option --frames"},
        BadArguments{{"--dump", "-x"}, "unknown option -x"},
        BadArguments{{"--dump", "--help=yes"}, "unknown option --help=yes"},
        BadArguments{{"--png"}, "--png needs a value"},
        BadArguments{{"--png="}, "--png needs a file name, not \"\""},
        BadArguments{{"--png", "pictures/"}, "--png needs a file name, not \"pictures/\""},
        BadArguments{{"--png", "a.png", "--scale", "0"},
                     "--scale \"0\" is not a whole number 1..16"},
        BadArguments{{"--png", "a.png", "--scale=17"},
                     "--scale \"17\" is not a whole number 1..16"},
        BadArguments{{"--png", "a.png", "--scale", "2x"},
                     "--scale \"2x\" is not a whole number 1..16"},
        BadArguments{{"--dump", "--scale", "2"},
                     "--scale enlarges images; give --png FILE or --gif FILE with it"},
        BadArguments{{"--gif"}, "--gif needs a value"},
        BadArguments{{"--gif", ""}, "--gif needs a file name, not \"\""},
        BadArguments{{"--gif=frames/"}, "--gif needs a file name, not \"frames/\""},
        BadArguments{{"--png", "water", "--gif=water"},
                     "--png and --gif both name water; give two files"},
        BadArguments{{"--dump", "one.scene", "two.scene"},
                     "only one script may be given, not one.scene and two.scene"}));

TEST(RenderCommand, DumpsEveryFrameOfAScriptOnStandardInput) {
    const Outcome outcome = RunCommand({"--dump"}, kTwoFrames);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    const std::string frame = "frame 1000\n";
    ASSERT_EQ(outcome.out.compare(0, frame.size(), frame), 0);
    const std::size_t second = outcome.out.find("frame 2000\n");
    ASSERT_NE(second, std::string::npos);
    // Each frame: its line, 25 rows of 25 five-character words, ten slot lines.
    EXPECT_EQ(std::count(outcome.out.begin(), outcome.out.begin() + second, '\n'), 1 + 25 + 10);
    EXPECT_TRUE(std::regex_search(outcome.out,
                                  std::regex("\n(([0-9a-f]{4} ){24}[0-9a-f]{4}\n){25}slot 0 ")));
    EXPECT_NE(outcome.out.find("\nslot 0 1 12 12 0\n"), std::string::npos);
}

TEST(RenderCommand, ReportsAScriptFaultByLineAndWritesNothing) {
    CScratchFolder folder;
    std::string script;
    for (int line = 1; line < 40; ++line) {
        script += "now " + std::to_string(line) + "\n";
    }
    script += "now 4294967296\n";
    const Outcome outcome = RunCommand({"--dump", "--png", folder.File("x.png")}, script);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "-:40: tick \"4294967296\" is out of range 0..4294967295\n");
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(folder.Names().empty());
}

TEST(RenderCommand, ReadsTheScriptFromAFileWithEitherFormOfOptionValues) {
    CScratchFolder folder;
    WriteFile(folder.File("two.scene"), kTwoFrames);
    const Outcome outcome = RunCommand(
        {"--png=" + folder.File("two.png"), "--scale=2", "--stats", folder.File("two.scene")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_TRUE(std::regex_match(outcome.err,
                                 std::regex("frames 2, mean synthesis time [0-9]+\\.[0-9] us\n")))
        << outcome.err;
    EXPECT_EQ(folder.Names(),
              (std::vector<std::string>{"two-0001.png", "two-0002.png", "two.scene"}));
    CPngPicture picture;
    ASSERT_TRUE(picture.Load(folder.File("two-0002.png")));
    EXPECT_EQ(picture.Width(), 50);
    EXPECT_EQ(picture.Height(), 50);
}

TEST(RenderCommand, WritesOneFrameAsPngToStandardOutputAndRefusesSeveral) {
    CScratchFolder folder;
    const std::string oneFrame = "grid 25 25\ndrop 12 12 0\nnow 1000\n";
    Outcome outcome = RunCommand({"--png", "-", "--scale", "2"}, oneFrame);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    ASSERT_EQ(RunCommand({"--png", folder.File("one.png"), "--scale", "2"}, oneFrame).exitCode, 0);
    EXPECT_EQ(outcome.out, ReadFile(folder.File("one.png")));

    outcome = RunCommand({"--png=-", "--gif", folder.File("two.gif")}, kTwoFrames);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "-:4: a second \"now\" line, but --png - writes one frame to standard "
                           "output; give --png a file name to write them all\n");
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"one.png"});
}

TEST(RenderCommand, ReportsAScriptThatCannotBeRead) {
    CScratchFolder folder;
    const std::string missing = folder.File("missing.scene");
    Outcome outcome = RunCommand({"--dump", missing});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err,
              "ondeline-render: cannot read " + missing + ": No such file or directory\n");

    outcome = RunCommand({"--dump", folder.Path().string()});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err,
              "ondeline-render: cannot read " + folder.Path().string() + ": it is a folder\n");
}

// Nothing that was asked for can be written, so it is a fault, named where the script ends.
TEST(RenderCommand, RefusesAScriptWithoutFrames) {
    CScratchFolder folder;
    WriteFile(folder.File("still.scene"), "grid 20 20\n# no frame\n");
    struct Case {
        std::vector<std::string> args;
        std::string input;
        std::string where;
    };
    for (const Case& c :
         {Case{{"--png", folder.File("none.png"), "--stats"}, "grid 20 20\n", "-:1"},
          Case{{"--dump"}, "", "-:1"},
          Case{{"--gif", folder.File("none.gif"), folder.File("still.scene")},
               "",
               folder.File("still.scene") + ":2"}}) {
        const Outcome outcome = RunCommand(c.args, c.input);
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_EQ(outcome.err, c.where +
                                   ": the script has no \"now\" line, so there are no frames to "
                                   "write\n");
        EXPECT_EQ(outcome.out, "");
    }
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"still.scene"});
}

// A terminal shows neither a picture's bytes nor why the program waits, so both are said.
TEST(RenderCommand, MindsTheTerminal) {
    Outcome outcome = RunCommand({"--png", "-"}, kTwoFrames, {.bInput = false, .bOutput = true});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, std::string("ondeline-render: --png - would pour the image's bytes onto "
                                       "the terminal; send standard output to a file or a "
                                       "program (> water.png, or | display -)\n") +
                               kHint);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(RunCommand({"--dump"}, kTwoFrames, {.bInput = false, .bOutput = true}).exitCode, 0);

    outcome = RunCommand({"--dump"}, kTwoFrames, {.bInput = true, .bOutput = false});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "ondeline-render: reading the script from standard input; end it with "
                           "Ctrl+D on a line of its own\n");
}

TEST(RenderCommand, LeavesNoFilesWhenTheOutputCannotBeWritten) {
    CScratchFolder folder;
    WriteFile(folder.File("file"), "not a folder");
    const std::string target = folder.File("file/water.png");
    const Outcome outcome = RunCommand({"--png", target}, kTwoFrames);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "ondeline-render: cannot write " + folder.File("file/water-0001.png") +
                               ": Not a directory\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"file"});
}

TEST(RenderCommand, WritesAGifBesideThePngImagesAndTheDump) {
    CScratchFolder folder;
    const Outcome outcome = RunCommand({"--gif", folder.File("two.gif"), "--png",
                                        folder.File("two.png"), "--dump", "--scale", "2"},
                                       kTwoFrames);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, RunCommand({"--dump"}, kTwoFrames).out);
    EXPECT_EQ(folder.Names(),
              (std::vector<std::string>{"two-0001.png", "two-0002.png", "two.gif"}));
    CGifPicture gif;
    ASSERT_TRUE(gif.Load(folder.File("two.gif")));
    ASSERT_EQ(gif.FrameCount(), 2);
    EXPECT_EQ(gif.Delay(0), 100);
    EXPECT_EQ(gif.Delay(1), 100);
    for (int frame = 0; frame < 2; ++frame) {
        CPngPicture png;
        ASSERT_TRUE(png.Load(folder.File("two-000" + std::to_string(frame + 1) + ".png")));
        ASSERT_EQ(png.Width(), gif.Width());
        ASSERT_EQ(png.Height(), gif.Height());
        for (int y = 0; y < png.Height(); ++y) {
            for (int x = 0; x < png.Width(); ++x) {
                ASSERT_EQ(gif.At(frame, x, y), png.Rgb(x, y)) << frame << ": " << x << ", " << y;
            }
        }
    }
}

TEST(RenderCommand, RefusesAGifOfFramesThatDoNotMoveOnInTime) {
    CScratchFolder folder;
    const std::string script = "grid 25 25\nnow 1000\n\nnow 1000\n";
    const Outcome outcome = RunCommand(
        {"--gif", folder.File("still.gif"), "--png", folder.File("still.png"), "--dump"}, script);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "-:4: tick 1000 repeats the frame before; the frames of a GIF must "
                           "follow each other in time\n");
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(folder.Names().empty());
    // The same frames are fine as pictures.
    EXPECT_EQ(RunCommand({"--png", folder.File("still.png")}, script).exitCode, 0);
}

TEST(RenderCommand, TakesTheGifAwayWhenThePngImagesCannotBePutInPlace) {
    CScratchFolder folder;
    std::filesystem::create_directory(folder.File("water-0002.png"));
    const Outcome outcome = RunCommand(
        {"--gif", folder.File("water.gif"), "--png", folder.File("water.png")}, kTwoFrames);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "ondeline-render: cannot write " + folder.File("water-0002.png") +
                               ": Is a directory\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"water-0002.png"});
}

TEST(RenderCommandProgram, PrintsHelpAndVersionAndExitsCleanly) {
    CScratchFolder folder;
    Outcome outcome = RunBinary(folder, "--help");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out.rfind("Usage: ondeline-render [OPTION]... [SCRIPT]\n", 0), 0u);
    EXPECT_NE(outcome.out.find("(v << 3) | (v >> 2)"), std::string::npos);
    EXPECT_EQ(outcome.err, "");

    outcome = RunBinary(folder, "--version");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, "ondeline-render 1.0.0.1\n");
}

TEST(RenderCommandProgram, GivesTheSameDumpFromStandardInputAsFromAFile) {
    CScratchFolder folder;
    WriteFile(folder.File("two.scene"), kTwoFrames);
    const Outcome fromFile = RunBinary(folder, "--dump two.scene");
    const Outcome fromInput = RunBinary(folder, "--dump", kTwoFrames);
    const Outcome fromDash = RunBinary(folder, "--dump -", kTwoFrames);
    EXPECT_EQ(fromFile.exitCode, 0);
    EXPECT_EQ(fromInput.exitCode, 0);
    EXPECT_EQ(fromFile.out, RunCommand({"--dump"}, kTwoFrames).out);
    EXPECT_EQ(fromInput.out, fromFile.out);
    EXPECT_EQ(fromDash.out, fromFile.out);
}

// Standard output carries the picture alone, and timing alone writes nothing at all.
TEST(RenderCommandProgram, WritesAPngToStandardOutputOrOnlyTimesTheScript) {
    CScratchFolder folder;
    const std::string oneFrame = "grid 25 25\ndrop 12 12 0\nnow 1000\n";
    Outcome outcome = RunBinary(folder, "--png -", oneFrame);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    WriteFile(folder.File("out.png"), outcome.out);
    CPngPicture picture;
    ASSERT_TRUE(picture.Load(folder.File("out.png")));
    EXPECT_EQ(picture.Width(), 25);
    std::filesystem::remove(folder.File("out.png"));

    outcome = RunBinary(folder, "--stats", kTwoFrames);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(std::regex_match(outcome.err,
                                 std::regex("frames 2, mean synthesis time [0-9]+\\.[0-9] us\n")))
        << outcome.err;
    EXPECT_TRUE(folder.Names().empty());
}

TEST(RenderCommandProgram, ExitsWithStatusTwoAndNoFilesOnBadInput) {
    CScratchFolder folder;
    Outcome outcome = RunBinary(folder, "--png out.png", "now 1\nnow 2\nsplash 3\n");
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err.rfind("-:3: unknown directive \"splash\"", 0), 0u) << outcome.err;
    EXPECT_TRUE(folder.Names().empty());

    WriteFile(folder.File("bad.scene"), "grid 5 100\n");
    outcome = RunBinary(folder, "--png out.png bad.scene");
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "bad.scene:1: width \"5\" is out of range 10..4096\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"bad.scene"});
    std::filesystem::remove(folder.File("bad.scene"));

    outcome = RunBinary(folder, "--png missing/out.png", kTwoFrames);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err,
              "ondeline-render: cannot write missing/out-0001.png: No such file or directory\n");
    EXPECT_TRUE(folder.Names().empty());

    outcome = RunBinary(folder, "--dump --nonsense", kTwoFrames);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, std::string("ondeline-render: unknown option --nonsense\n") + kHint);
}

// Standard output on a real terminal, made by script(1).
TEST(RenderCommandProgram, WillNotWriteAPngOntoATerminal) {
    CScratchFolder folder;
    WriteFile(folder.File("one.scene"), "now 1000\n");
    const std::string command = "cd '" + folder.Path().string() + "' && script -qec \"'" +
                                ONDELINE_RENDER_BINARY +
                                "' --png - one.scene\" /dev/null </dev/null >terminal.txt";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2);
    const std::string shown = ReadFile(folder.File("terminal.txt"));
    EXPECT_NE(shown.find("would pour the image's bytes onto the terminal"), std::string::npos)
        << shown;
    EXPECT_EQ(shown.find("PNG"), std::string::npos) << "the image reached the terminal";
}

TEST(RenderCommandProgram, RendersTheDemoScene) {
    CScratchFolder folder;
    const Outcome outcome =
        RunBinary(folder, std::string("--png demo.png --scale 3 '") + ONDELINE_DEMO_SCENE + "'");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    CPngPicture picture;
    ASSERT_TRUE(picture.Load(folder.File("demo.png")));
    EXPECT_EQ(picture.Width(), 300);
    EXPECT_EQ(picture.Height(), 300);
}

// The animation at the top of the README must be what its script renders today, and small.
TEST(RenderCommandProgram, RendersTheReadmeAnimationAsItIsCommitted) {
    CScratchFolder folder;
    const Outcome outcome = RunBinary(folder, std::string("--gif readme.gif --scale 2 '") +
                                                  ONDELINE_README_SCENE + "'");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    CGifPicture rendered;
    CGifPicture committed;
    ASSERT_TRUE(rendered.Load(folder.File("readme.gif")));
    ASSERT_TRUE(committed.Load(ONDELINE_README_GIF));
    EXPECT_LT(std::filesystem::file_size(ONDELINE_README_GIF), 400u * 1024u);
    EXPECT_EQ(committed.Width(), 200);
    EXPECT_EQ(committed.Height(), 200);
    EXPECT_EQ(committed.LoopCount(), 0);
    ASSERT_EQ(committed.FrameCount(), rendered.FrameCount());
    EXPECT_GE(committed.FrameCount(), 30);
    for (int frame = 0; frame < committed.FrameCount(); ++frame) {
        EXPECT_EQ(committed.Delay(frame), 10);
        for (int y = 0; y < committed.Height(); ++y) {
            for (int x = 0; x < committed.Width(); ++x) {
                ASSERT_EQ(committed.At(frame, x, y), rendered.At(frame, x, y))
                    << "frame " << frame << " at " << x << ", " << y;
            }
        }
    }
}

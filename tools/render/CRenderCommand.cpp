#include "tools/render/CRenderCommand.h"

#include "tools/render/CFrameDump.h"
#include "tools/render/CGifWriter.h"
#include "tools/render/CPngWriter.h"
#include "tools/render/CSceneRenderer.h"
#include "tools/render/CSceneScript.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <system_error>
#include <variant>
#include <vector>

#ifndef ONDELINE_VERSION
#error "ONDELINE_VERSION must be defined by the build"
#endif

namespace {

constexpr char kProgram[] = "ondeline-render";
constexpr char kStandardStream[] = "-"; // the script from standard input, or the PNG to output
constexpr char kStandardOutput[] = "standard output";

constexpr char kHelp[] =
    R"(Usage: ondeline-render [OPTION]... [SCRIPT]
Render the frames of an Ondeline scene script without a window, as PNG images, as an animated
GIF or as an exact text dump. The script is read from SCRIPT, or from standard input when
SCRIPT is missing or "-".

Options:
  --png FILE   write the frames as PNG images: one frame to FILE, several to FILE with -0001,
               -0002 ... before the extension; FILE "-" writes the script's one frame to
               standard output. Each 5-bit channel is widened to 8 bits as
               (v << 3) | (v >> 2), so 0 stays 0 and 31 becomes 255.
  --gif FILE   write the frames as one animated GIF that loops for ever, in the same exact
               colours as the PNG images: a frame has at most 64 colours, and one colour table
               of those used holds them all. A frame shows until the next frame's tick, in
               hundredths of a second rounded to the nearest (at least 0.01 s, at most
               655.35 s); the last frame shows as long as the one before it, a lone frame
               0.1 s. Each frame's tick must come after the one before: a repeated tick, or one
               that goes back, is an error of the script (ticks may wrap past 4294967295 to 0,
               as the clock does). A frame of a smaller grid than the largest is drawn at the
               top left, with black round it.
  --scale N    enlarge the PNG and GIF images N times by repeating whole pixels (1..16,
               default 1; a GIF is at most 65535 pixels across, so not a 4096 grid at 16)
  --dump       write each frame to standard output as text: "frame TICK", then one line per
               row, top row first, of the pixel words as four lowercase hex digits, then ten
               lines "slot K ACTIVE X Y TICK" with X and Y to 17 significant digits
  --stats      after the script, print "frames N, mean synthesis time M us" on standard error
               (the field synthesis alone, per frame); alone, it only times the script
  --help       show this help and exit
  --version    show the version and exit
At least one of --png, --gif, --dump and --stats is needed; any of them may be given together,
but only one of them may write to standard output.

Script: one directive per line; "#" starts a comment; blank lines are ignored; tokens are
separated by spaces or tabs. TICK is a millisecond tick, a whole number 0..4294967295.
  grid W H          grid size in cells, each 10..4096 (default 100 100). The drops keep their
                    coordinates when the grid changes.
  options [drift] [spectrum] [color]
                    the options of the frames that follow (default none); a later line
                    replaces an earlier one
  drop X Y TICK     a drop at grid point X, Y (decimal, may be fractional or negative) that fell
                    at TICK, put into the next of the ten slots in rotation, as a click does
  rect L T R B      the display rectangle, in client pixels, for the clicks that follow (each
                    -100000..100000). Until a rect line it is 0 0 W H of the current grid.
  click PX PY TICK  a left click at client point PX, PY (-100000..100000) at TICK, mapped
                    through the rectangle to a whole grid cell; a point outside it is ignored
  rain TICK         one rain call at TICK: when more than the rain interval has passed since
                    the last attempt, a new interval (1000..9191 ms) is drawn and a drop falls
                    on a random cell of the grid (the rectangle plays no part). The rain state
                    starts at tick 0 with interval 0, so the first call rains unless its tick
                    is 0, and the random source starts from the same state in every script.
  now TICK          render one frame at TICK and emit it. The drops carry on to the next
                    frame: Drift moves them, and drops older than 15 s retire.

The whole script is checked before anything is written; a fault gives one message
"SCRIPT:LINE: what is wrong" ("-" for standard input) and no output, and so does a script
without a "now" line. Images are written to temporary files beside their names and renamed
into place only when every frame is done, so a failed run leaves no files.
Exit status: 0 when every frame was written (or the help or version shown), 2 on any fault.
)";

constexpr char kHint[] = "Try 'ondeline-render --help' for more information.";
// Said before waiting on a terminal, where a silent wait looks like a hang.
constexpr char kTypingHint[] =
    "ondeline-render: reading the script from standard input; end it with Ctrl+D on a line of "
    "its own";

// The line of the script's second frame; 0 when it has fewer.
int SecondFrameLine(const std::vector<SceneDirective>& directives) {
    int frames = 0;
    for (const SceneDirective& directive : directives) {
        if (std::holds_alternative<NowDirective>(directive.action) && ++frames == 2) {
            return directive.line;
        }
    }
    return 0;
}

bool ParseScale(const std::string& text, int& scale) {
    if (text.empty() || text.size() > 2 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    scale = std::stoi(text);
    return scale >= CPngWriter::kMinScale && scale <= CPngWriter::kMaxScale;
}

} // namespace

CRenderCommand::CRenderCommand(std::istream& in, std::ostream& out, std::ostream& err,
                               Terminals terminals)
    : m_in(in), m_out(out), m_err(err), m_terminals(terminals) {}

int CRenderCommand::Run(int argc, const char* const* argv) {
    int exitCode = kExitOk;
    if (ParseArguments(argc, argv, exitCode) == Step::Exit) {
        return exitCode;
    }
    if (m_strScript.empty() || m_strScript == kStandardStream) {
        if (m_terminals.bInput) {
            m_err << kTypingHint << std::endl;
        }
        return Render(m_in);
    }
    std::error_code error;
    if (std::filesystem::is_directory(m_strScript, error)) {
        return Fail("cannot read " + m_strScript + ": it is a folder");
    }
    errno = 0;
    std::ifstream file(m_strScript, std::ios::binary);
    if (!file) {
        return Fail("cannot read " + m_strScript + ": " +
                    (errno != 0 ? std::strerror(errno) : "cannot open it"));
    }
    return Render(file);
}

CRenderCommand::Step CRenderCommand::ParseArguments(int argc, const char* const* argv,
                                                    int& exitCode) {
    bool optionsEnded = false;
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            if (TakeOption(argument, argv, argc, index, exitCode) == Step::Exit) {
                return Step::Exit;
            }
        } else if (!m_strScript.empty()) {
            exitCode = FailWithHint("only one script may be given, not " + m_strScript + " and " +
                                    argument);
            return Step::Exit;
        } else {
            m_strScript = argument;
        }
    }
    if (m_strPng.empty() && m_strGif.empty() && !m_bDump && !m_bStats) {
        exitCode = FailWithHint("nothing to do: give --png FILE, --gif FILE, --dump or --stats");
        return Step::Exit;
    }
    if (m_strPng == kStandardStream && m_bDump) {
        exitCode = FailWithHint("--png - and --dump would both write to standard output; give "
                                "--png a file name");
        return Step::Exit;
    }
    if (m_bScaleGiven && m_strPng.empty() && m_strGif.empty()) {
        exitCode = FailWithHint("--scale enlarges images; give --png FILE or --gif FILE with it");
        return Step::Exit;
    }
    if (!m_strPng.empty() && m_strPng == m_strGif) {
        exitCode = FailWithHint("--png and --gif both name " + m_strPng + "; give two files");
        return Step::Exit;
    }
    if (m_strPng == kStandardStream && m_terminals.bOutput) {
        exitCode = FailWithHint("--png - would pour the image's bytes onto the terminal; send "
                                "standard output to a file or a program (> water.png, or "
                                "| display -)");
        return Step::Exit;
    }
    return Step::Go;
}

CRenderCommand::Step CRenderCommand::TakeOption(const std::string& option, const char* const* argv,
                                                int argc, int& index, int& exitCode) {
    const std::string name = option.substr(0, option.find('='));
    std::string value;
    exitCode = kExitFailure;
    if (option == "--help" || option == "-h") {
        m_out << kHelp;
        exitCode = kExitOk;
        return Step::Exit;
    }
    if (option == "--version") {
        m_out << kProgram << ' ' << ONDELINE_VERSION << '\n';
        exitCode = kExitOk;
        return Step::Exit;
    }
    if (option == "--dump") {
        m_bDump = true;
        return Step::Go;
    }
    if (option == "--stats") {
        m_bStats = true;
        return Step::Go;
    }
    if (name == "--png" || name == "--gif") {
        if (!ReadValue(option, argv, argc, index, value)) {
            return Step::Exit;
        }
        return TakeFileName(name, value, name == "--png" ? m_strPng : m_strGif, exitCode);
    }
    if (name == "--scale") {
        if (!ReadValue(option, argv, argc, index, value)) {
            return Step::Exit;
        }
        if (!ParseScale(value, m_nScale)) {
            exitCode = FailWithHint("--scale \"" + value + "\" is not a whole number " +
                                    std::to_string(CPngWriter::kMinScale) + ".." +
                                    std::to_string(CPngWriter::kMaxScale));
            return Step::Exit;
        }
        m_bScaleGiven = true;
        return Step::Go;
    }
    exitCode = FailWithHint("unknown option " + option);
    return Step::Exit;
}

// The value of --png or --scale: after '=' in the same argument, or the next argument.
bool CRenderCommand::ReadValue(const std::string& option, const char* const* argv, int argc,
                               int& index, std::string& value) {
    const std::size_t equals = option.find('=');
    if (equals != std::string::npos) {
        value = option.substr(equals + 1);
        return true;
    }
    if (index + 1 >= argc) {
        FailWithHint(option + " needs a value");
        return false;
    }
    value = argv[++index];
    return true;
}

CRenderCommand::Step CRenderCommand::TakeFileName(const std::string& name, const std::string& value,
                                                  std::string& target, int& exitCode) {
    if (value.empty() || std::filesystem::path(value).filename().empty()) {
        exitCode = FailWithHint(name + " needs a file name, not \"" + value + "\"");
        return Step::Exit;
    }
    // A GIF is one file however many frames it has; "-" is kept from meaning a file of that
    // name, which nobody asking for it would expect.
    if (name == "--gif" && value == kStandardStream) {
        exitCode = FailWithHint("--gif cannot write to standard output; give it a file name");
        return Step::Exit;
    }
    target = value;
    return Step::Go;
}

int CRenderCommand::Render(std::istream& script) {
    CSceneScript scene;
    if (!scene.Parse(script)) {
        m_err << ScriptName() << ':' << scene.Error() << '\n';
        return kExitFailure;
    }
    // Nothing asked for could be written, so the run has failed, whichever output was asked for.
    if (scene.FrameCount() == 0) {
        return FailAtLine(std::max(scene.LineCount(), 1),
                          "the script has no \"now\" line, so there are no frames to write");
    }
    if (m_strPng == kStandardStream && scene.FrameCount() > 1) {
        return FailAtLine(SecondFrameLine(scene.Directives()),
                          "a second \"now\" line, but --png - writes one frame to standard "
                          "output; give --png a file name to write them all");
    }
    std::optional<CGifWriter> gif;
    if (!m_strGif.empty()) {
        const std::string fault = CGifWriter::CheckScene(scene.Directives(), m_nScale);
        if (!fault.empty()) {
            m_err << ScriptName() << ':' << fault << '\n';
            return kExitFailure;
        }
        gif.emplace(m_strGif, m_nScale);
    }
    CSceneRenderer renderer;
    std::optional<CPngWriter> png;
    if (m_strPng == kStandardStream) {
        png.emplace(m_out, kStandardOutput, m_nScale);
    } else if (!m_strPng.empty()) {
        png.emplace(m_strPng, scene.FrameCount(), m_nScale);
    }
    std::string sinkError;
    const bool rendered = renderer.Run(scene.Directives(), [&](const SceneFrame& frame) {
        if (m_bDump && !(m_out << CFrameDump::Format(frame))) {
            sinkError = "cannot write the dump to standard output";
            return false;
        }
        if (png && !png->WriteFrame(frame)) {
            sinkError = png->Error();
            return false;
        }
        if (gif && !gif->AddFrame(frame)) {
            sinkError = gif->Error();
            return false;
        }
        return true;
    });
    if (!rendered) {
        return Fail(sinkError.empty() ? renderer.Error() : sinkError);
    }
    if (m_bDump && !m_out.flush()) {
        return Fail("cannot write the dump to standard output");
    }
    if (const int exitCode = Commit(png ? &*png : nullptr, gif ? &*gif : nullptr);
        exitCode != kExitOk) {
        return exitCode;
    }
    if (m_bStats) {
        char line[96];
        std::snprintf(line, sizeof line, "frames %d, mean synthesis time %.1f us",
                      renderer.FramesRendered(), renderer.MeanSynthesisMicroseconds());
        m_err << line << '\n';
    }
    return kExitOk;
}

// The GIF goes into place first, as it is the one still to be encoded; should the PNG images then
// fail, it is taken away again, so that the run leaves all of its files or none.
int CRenderCommand::Commit(CPngWriter* png, CGifWriter* gif) {
    if (gif != nullptr && !gif->Commit()) {
        return Fail(gif->Error());
    }
    if (png != nullptr && !png->Commit()) {
        if (gif != nullptr) {
            gif->Withdraw();
        }
        return Fail(png->Error());
    }
    return kExitOk;
}

int CRenderCommand::Fail(const std::string& what) {
    m_err << kProgram << ": " << what << '\n';
    return kExitFailure;
}

int CRenderCommand::FailWithHint(const std::string& what) {
    Fail(what);
    m_err << kHint << '\n';
    return kExitFailure;
}

// A fault of the script, named as compilers name them, so that an editor can jump to it.
int CRenderCommand::FailAtLine(int line, const std::string& what) {
    m_err << ScriptName() << ':' << line << ": " << what << '\n';
    return kExitFailure;
}

std::string CRenderCommand::ScriptName() const {
    return m_strScript.empty() ? kStandardStream : m_strScript;
}

// Fuzzes ondeline-render's scene scripts: any bytes go to the parser, which must either refuse
// them with one readable "LINE: what is wrong" or accept only values within the documented
// limits. An accepted script is then run through the real renderer, as far as a small budget of
// cells allows, and every frame it makes must be the size its grid says, with each pixel built
// from its level as the options say, and few enough colours for one GIF colour table.

#include "tools/render/CFrameDump.h"
#include "tools/render/CGifWriter.h"
#include "tools/render/CSceneRenderer.h"
#include "tools/render/CSceneScript.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kCellBudget = 60000; // cells rendered per input, over all its frames
constexpr std::size_t kMaxMessageLength = 400;
constexpr int kMaxGifColours = 64;
constexpr int kStripWidth = 10;
constexpr int kLevels = 32;

[[noreturn]] void Fault(const std::string& what) {
    std::fprintf(stderr, "script fuzzer: %s\n", what.c_str());
    std::abort();
}

// A refusal is one short line that names a line of the script, with nothing unprintable in it.
void CheckRefusal(const std::string& message) {
    std::size_t digits = 0;
    while (digits < message.size() && message[digits] >= '0' && message[digits] <= '9') {
        ++digits;
    }
    if (digits == 0 || message[0] == '0' || message.compare(digits, 2, ": ") != 0 ||
        message.size() <= digits + 2) {
        Fault("a refusal does not read \"LINE: what is wrong\": " + message);
    }
    if (message.size() > kMaxMessageLength) {
        Fault("a refusal is " + std::to_string(message.size()) + " characters long");
    }
    for (const char c : message) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            Fault("a refusal holds a control character: " + message);
        }
    }
}

bool IsPixel(int value) {
    return value >= -CSceneScript::kMaxClientPixel && value <= CSceneScript::kMaxClientPixel;
}

bool IsGridSide(int value) {
    return value >= CSceneScript::kMinGridCells && value <= CSceneScript::kMaxGridCells;
}

// What the frame made at one `now` must look like.
struct ExpectedFrame {
    std::uint32_t tick;
    int width;
    int height;
    FieldOptions options;
};

// Checks every accepted value against the limits and lists the frames the script will make.
std::vector<ExpectedFrame> CheckAccepted(const CSceneScript& script) {
    std::vector<ExpectedFrame> frames;
    ExpectedFrame state{
        0, CSceneRenderer::kDefaultGridCells, CSceneRenderer::kDefaultGridCells, {}};
    int lastLine = 0;
    for (const SceneDirective& directive : script.Directives()) {
        if (directive.line <= lastLine) {
            Fault("directive lines do not rise: " + std::to_string(directive.line));
        }
        lastLine = directive.line;
        const SceneAction& action = directive.action;
        if (const auto* grid = std::get_if<GridDirective>(&action)) {
            if (!IsGridSide(grid->width) || !IsGridSide(grid->height)) {
                Fault("a grid beyond the limits was accepted");
            }
            state.width = grid->width;
            state.height = grid->height;
        } else if (const auto* options = std::get_if<OptionsDirective>(&action)) {
            state.options = options->options;
        } else if (const auto* drop = std::get_if<DropDirective>(&action)) {
            if (!std::isfinite(drop->x) || !std::isfinite(drop->y)) {
                Fault("a drop off the number line was accepted");
            }
        } else if (const auto* rect = std::get_if<RectDirective>(&action)) {
            const DisplayRect& r = rect->rect;
            if (!IsPixel(r.left) || !IsPixel(r.top) || !IsPixel(r.right) || !IsPixel(r.bottom)) {
                Fault("a rectangle beyond the limits was accepted");
            }
        } else if (const auto* click = std::get_if<ClickDirective>(&action)) {
            if (!IsPixel(click->px) || !IsPixel(click->py)) {
                Fault("a click beyond the limits was accepted");
            }
        } else if (const auto* now = std::get_if<NowDirective>(&action)) {
            state.tick = now->tick;
            frames.push_back(state);
        }
    }
    if (static_cast<int>(frames.size()) != script.FrameCount()) {
        Fault("the frame count is not the number of now lines");
    }
    return frames;
}

// The directives up to the first frame that would take the cells rendered past the budget.
std::vector<SceneDirective> WithinBudget(const std::vector<SceneDirective>& directives,
                                         const std::vector<ExpectedFrame>& frames) {
    std::vector<SceneDirective> kept;
    std::int64_t cells = 0;
    std::size_t frame = 0;
    for (const SceneDirective& directive : directives) {
        if (std::holds_alternative<NowDirective>(directive.action)) {
            const ExpectedFrame& expected = frames[frame++];
            cells += std::int64_t{expected.width} * expected.height;
            if (cells > kCellBudget) {
                break;
            }
        }
        kept.push_back(directive);
    }
    return kept;
}

void CheckPixel(std::uint16_t pixel, const FieldOptions& options, int stripLevel, int column) {
    const int level = pixel & 31;
    const int red = (pixel >> 10) & 31;
    const int green = (pixel >> 5) & 31;
    if ((pixel & 0x8000) != 0) {
        Fault("a pixel has bit 15 set");
    }
    if (options.addColor ? (red != level / 3 || green != level / 2) : (red != 0 || green != 0)) {
        Fault("a pixel's tint does not follow its level");
    }
    if (options.spectrum && column < kStripWidth && level != stripLevel) {
        Fault("the Spectrum strip shows the wrong level");
    }
}

class FrameChecker {
public:
    explicit FrameChecker(const std::vector<ExpectedFrame>& frames) : m_frames(frames) {}

    bool operator()(const SceneFrame& frame) {
        if (m_nFrame >= m_frames.size()) {
            Fault("the renderer made more frames than the script has now lines");
        }
        const ExpectedFrame& expected = m_frames[m_nFrame++];
        if (frame.tick != expected.tick || frame.width != expected.width ||
            frame.height != expected.height ||
            frame.pixels.size() != static_cast<std::size_t>(frame.width) * frame.height) {
            Fault("a frame is not the size or tick of its now line");
        }
        for (int row = 0; row < frame.height; ++row) {
            const int stripLevel = (kLevels * row) / frame.height;
            for (int column = 0; column < frame.width; ++column) {
                const std::uint16_t pixel = frame.Pixel(column, row);
                CheckPixel(pixel, expected.options, stripLevel, column);
                m_colours.set(pixel);
            }
        }
        if (static_cast<int>(m_colours.count()) > kMaxGifColours) {
            Fault("the frames hold more colours than a GIF of them may");
        }
        const std::string dump = CFrameDump::Format(frame);
        if (std::count(dump.begin(), dump.end(), '\n') != 1 + frame.height + kMaxDrops) {
            Fault("a dump has the wrong number of lines");
        }
        return true;
    }

    std::size_t Frames() const { return m_nFrame; }

private:
    const std::vector<ExpectedFrame>& m_frames;
    std::size_t m_nFrame = 0;
    std::bitset<65536> m_colours;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    CSceneScript script;
    if (!script.Parse(in)) {
        CheckRefusal(script.Error());
        return 0;
    }
    const std::vector<ExpectedFrame> frames = CheckAccepted(script);
    for (const int scale : {1, 16}) {
        const std::string fault = CGifWriter::CheckScene(script.Directives(), scale);
        if (!fault.empty()) {
            CheckRefusal(fault);
        }
    }
    const std::vector<SceneDirective> directives = WithinBudget(script.Directives(), frames);
    FrameChecker checker(frames);
    CSceneRenderer renderer;
    if (!renderer.Run(directives, std::ref(checker))) {
        Fault("the renderer failed on an accepted script: " + renderer.Error());
    }
    const auto rendered = static_cast<std::size_t>(
        std::count_if(directives.begin(), directives.end(), [](const SceneDirective& d) {
            return std::holds_alternative<NowDirective>(d.action);
        }));
    if (checker.Frames() != rendered || renderer.FramesRendered() != static_cast<int>(rendered)) {
        Fault("the renderer skipped a frame");
    }
    return 0;
}

#include "tools/render/CGifWriter.h"

#include "platform/gdi/PixelFormat.h"
#include "tools/render/CSceneRenderer.h"
#include "tools/render/TemporaryFile.h"

#include <gif_lib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

#include <unistd.h>

namespace {

constexpr int kColourResolution = 8; // bits per channel in the colour table
constexpr int kBackgroundIndex = 0;
constexpr int kMillisecondsPerDelay = 10; // GIF delays count hundredths of a second
// Ticks wrap past 4294967295 to 0 as the program's clock does; a step forward of more than half
// the counter is taken for a step back.
constexpr std::uint32_t kMaxForwardGap = 0x7fffffff;
constexpr std::uint16_t kColourBits = 0x7fff; // bit 15 of a pixel word carries no colour
constexpr int kMinTableSize = 2;              // a GIF colour table has 2, 4, ... 256 entries

// The application extension that makes browsers and viewers play the animation in a loop; a
// count of 0 means for ever.
constexpr char kLoopApplication[] = "NETSCAPE2.0";
constexpr int kLoopApplicationLength = 11;
constexpr GifByteType kLoopForever[] = {1, 0, 0};

struct GifOutput {
    std::FILE* file;
    int error; // errno of the first failed write, 0 while all is well
};

int WriteBytes(GifFileType* gif, const GifByteType* bytes, int count) {
    auto* output = static_cast<GifOutput*>(gif->UserData);
    errno = 0;
    const std::size_t written =
        std::fwrite(bytes, 1, static_cast<std::size_t>(count), output->file);
    if (written != static_cast<std::size_t>(count) && output->error == 0) {
        output->error = errno != 0 ? errno : EIO;
    }
    return static_cast<int>(written);
}

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColourMap = std::unique_ptr<ColorMapObject, MapDeleter>;

ColourMap MakeColourMap(const std::vector<std::uint16_t>& words) {
    int size = kMinTableSize;
    while (size < static_cast<int>(words.size())) {
        size *= 2;
    }
    std::vector<GifColorType> colours(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < words.size(); ++i) {
        const unsigned word = words[i];
        colours[i] =
            GifColorType{WidenChannel(word >> 10u), WidenChannel(word >> 5u), WidenChannel(word)};
    }
    return ColourMap(GifMakeMapObject(size, colours.data()));
}

int PutLoopExtension(GifFileType* gif) {
    if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, kLoopApplicationLength, kLoopApplication) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, sizeof kLoopForever, kLoopForever) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif) == GIF_ERROR) {
        return GIF_ERROR;
    }
    return GIF_OK;
}

int PutDelay(GifFileType* gif, int delay) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = delay;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const std::size_t length = EGifGCBToExtension(&control, extension);
    return EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension);
}

std::string AtLine(int line, const std::string& what) {
    return std::to_string(line) + ": " + what;
}

} // namespace

CGifWriter::CGifWriter(std::string target, int scale)
    : m_strTarget(std::move(target)), m_nScale(scale) {
    m_index.fill(-1);
}

CGifWriter::~CGifWriter() {
    RemoveTemporary();
}

int CGifWriter::DelayFor(std::uint32_t gapMs) {
    const std::uint64_t rounded =
        (std::uint64_t{gapMs} + kMillisecondsPerDelay / 2) / kMillisecondsPerDelay;
    return static_cast<int>(std::clamp<std::uint64_t>(rounded, kMinDelay, kMaxDelay));
}

std::string CGifWriter::CheckScene(const std::vector<SceneDirective>& directives, int scale) {
    int width = CSceneRenderer::kDefaultGridCells;
    int height = CSceneRenderer::kDefaultGridCells;
    bool seenFrame = false;
    std::uint32_t lastTick = 0;
    for (const SceneDirective& directive : directives) {
        if (const auto* grid = std::get_if<GridDirective>(&directive.action)) {
            width = grid->width;
            height = grid->height;
        }
        const auto* now = std::get_if<NowDirective>(&directive.action);
        if (now == nullptr) {
            continue;
        }
        const int side = std::max(width, height);
        if (static_cast<std::int64_t>(side) * scale > kMaxSide) {
            return AtLine(directive.line,
                          "a " + std::to_string(width) + " x " + std::to_string(height) +
                              " grid at --scale " + std::to_string(scale) + " is " +
                              std::to_string(side * scale) + " pixels across, more than a GIF's " +
                              std::to_string(kMaxSide));
        }
        const std::uint32_t gap = now->tick - lastTick;
        if (seenFrame && gap == 0) {
            return AtLine(directive.line, "tick " + std::to_string(now->tick) +
                                              " repeats the frame before; the frames of a GIF " +
                                              "must follow each other in time");
        }
        if (seenFrame && gap > kMaxForwardGap) {
            return AtLine(directive.line, "tick " + std::to_string(now->tick) + " goes back from " +
                                              std::to_string(lastTick) +
                                              "; the frames of a GIF must follow each other in " +
                                              "time");
        }
        seenFrame = true;
        lastTick = now->tick;
    }
    return {};
}

bool CGifWriter::AddFrame(const SceneFrame& frame) {
    try {
        StoredFrame stored{frame.tick, frame.width, frame.height, {}};
        stored.indices.reserve(frame.pixels.size());
        for (const std::uint16_t pixel : frame.pixels) {
            const int index = IndexOf(pixel);
            if (index < 0) {
                return false;
            }
            stored.indices.push_back(static_cast<std::uint8_t>(index));
        }
        m_frames.push_back(std::move(stored));
    } catch (const std::bad_alloc&) {
        m_strError = "cannot write " + m_strTarget + ": out of memory";
        return false;
    }
    return true;
}

int CGifWriter::IndexOf(std::uint16_t word) {
    const std::uint16_t colour = word & kColourBits;
    if (m_index[colour] >= 0) {
        return m_index[colour];
    }
    if (static_cast<int>(m_words.size()) == kMaxColours) {
        m_strError = "cannot write " + m_strTarget + ": the frames have more than " +
                     std::to_string(kMaxColours) + " colours";
        return -1;
    }
    m_index[colour] = static_cast<std::int16_t>(m_words.size());
    m_words.push_back(colour);
    return m_index[colour];
}

bool CGifWriter::Commit() {
    if (m_frames.empty()) {
        return true;
    }
    if (!PlanPalette()) {
        return false;
    }
    int fd = -1;
    if (!OpenTemporaryBeside(m_strTarget, m_strTemp, fd, m_strError)) {
        return false;
    }
    if (!Encode(fd)) {
        RemoveTemporary();
        return false;
    }
    if (std::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0) {
        m_strError = "cannot write " + m_strTarget + ": " + std::strerror(errno);
        RemoveTemporary();
        return false;
    }
    m_strTemp.clear();
    m_bCommitted = true;
    return true;
}

// The screen is as large as the largest frame; a smaller frame is shown at the top left with
// black round it, so black joins the palette. The palette is written in rising order of the
// words, which makes the table the same whatever order the colours first appeared in.
bool CGifWriter::PlanPalette() {
    for (const StoredFrame& frame : m_frames) {
        m_nScreenW = std::max(m_nScreenW, frame.width);
        m_nScreenH = std::max(m_nScreenH, frame.height);
    }
    const bool padded = std::any_of(m_frames.begin(), m_frames.end(), [this](const StoredFrame& f) {
        return f.width != m_nScreenW || f.height != m_nScreenH;
    });
    if (padded && IndexOf(kBlack) < 0) {
        return false;
    }
    m_palette = m_words;
    std::sort(m_palette.begin(), m_palette.end());
    for (std::size_t i = 0; i < m_words.size(); ++i) {
        const auto at = std::lower_bound(m_palette.begin(), m_palette.end(), m_words[i]);
        m_remap[i] = static_cast<std::uint8_t>(at - m_palette.begin());
    }
    m_nBlack = padded ? m_remap[static_cast<std::size_t>(m_index[kBlack])] : 0;
    return true;
}

bool CGifWriter::Encode(int fd) {
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        m_strError = "cannot write " + m_strTarget + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    GifOutput output{file, 0};
    int code = E_GIF_SUCCEEDED;
    GifFileType* gif = EGifOpen(&output, WriteBytes, &code);
    if (gif != nullptr) {
        if (PutAnimation(gif) == GIF_ERROR) {
            code = gif->Error;
        }
        int closeCode = E_GIF_SUCCEEDED;
        if (EGifCloseFile(gif, &closeCode) == GIF_ERROR && code == E_GIF_SUCCEEDED) {
            code = closeCode;
        }
    }
    errno = 0;
    if (std::fclose(file) != 0 && output.error == 0) {
        output.error = errno != 0 ? errno : EIO;
    }
    if (output.error != 0 || code != E_GIF_SUCCEEDED) {
        m_strError = "cannot write " + m_strTarget + ": " +
                     (output.error != 0 ? std::strerror(output.error) : GifErrorString(code));
        return false;
    }
    return true;
}

int CGifWriter::PutAnimation(GifFileType* gif) {
    const ColourMap map = MakeColourMap(m_palette);
    if (!map) {
        gif->Error = E_GIF_ERR_NOT_ENOUGH_MEM;
        return GIF_ERROR;
    }
    EGifSetGifVersion(gif, true); // delays and the loop need GIF89a
    const int width = m_nScreenW * m_nScale;
    const int height = m_nScreenH * m_nScale;
    if (EGifPutScreenDesc(gif, width, height, kColourResolution, kBackgroundIndex, map.get()) ==
            GIF_ERROR ||
        PutLoopExtension(gif) == GIF_ERROR) {
        return GIF_ERROR;
    }
    std::vector<std::uint8_t> line(static_cast<std::size_t>(width));
    for (std::size_t i = 0; i < m_frames.size(); ++i) {
        if (PutDelay(gif, DelayOf(i)) == GIF_ERROR ||
            PutFrame(gif, m_frames[i], line) == GIF_ERROR) {
            return GIF_ERROR;
        }
    }
    return GIF_OK;
}

// Every frame covers the whole screen, so each one stands on its own.
int CGifWriter::PutFrame(GifFileType* gif, const StoredFrame& frame,
                         std::vector<std::uint8_t>& line) {
    const int width = static_cast<int>(line.size());
    if (EGifPutImageDesc(gif, 0, 0, width, m_nScreenH * m_nScale, false, nullptr) == GIF_ERROR) {
        return GIF_ERROR;
    }
    for (int row = 0; row < m_nScreenH; ++row) {
        ScaleRow(frame, row, line);
        for (int copy = 0; copy < m_nScale; ++copy) {
            if (EGifPutLine(gif, line.data(), width) == GIF_ERROR) {
                return GIF_ERROR;
            }
        }
    }
    return GIF_OK;
}

void CGifWriter::ScaleRow(const StoredFrame& frame, int row,
                          std::vector<std::uint8_t>& line) const {
    std::fill(line.begin(), line.end(), static_cast<std::uint8_t>(m_nBlack));
    if (row >= frame.height) {
        return;
    }
    const std::uint8_t* cells = frame.indices.data() + static_cast<std::size_t>(row) *
                                                           static_cast<std::size_t>(frame.width);
    auto out = line.begin();
    for (int column = 0; column < frame.width; ++column) {
        out = std::fill_n(out, m_nScale, m_remap[cells[column]]);
    }
}

// A frame shows until the next one's tick; the last shows as long as the one before it.
int CGifWriter::DelayOf(std::size_t frame) const {
    if (m_frames.size() == 1) {
        return kLoneFrameDelay;
    }
    const std::size_t from = frame + 1 < m_frames.size() ? frame : frame - 1;
    return DelayFor(m_frames[from + 1].tick - m_frames[from].tick);
}

void CGifWriter::Withdraw() {
    if (m_bCommitted) {
        std::remove(m_strTarget.c_str());
        m_bCommitted = false;
    }
}

void CGifWriter::RemoveTemporary() {
    if (!m_strTemp.empty()) {
        std::remove(m_strTemp.c_str());
        m_strTemp.clear();
    }
}

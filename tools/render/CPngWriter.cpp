#include "tools/render/CPngWriter.h"

#include "platform/gdi/PixelFormat.h"
#include "tools/render/TemporaryFile.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>

#include <unistd.h>

namespace {

constexpr int kBytesPerPixel = 3; // 8-bit red, green, blue
constexpr int kFrameNumberDigits = 4;

struct PngFault {
    char message[256];
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* fault = static_cast<PngFault*>(png_get_error_ptr(png));
    std::snprintf(fault->message, sizeof fault->message, "%s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Spreads one picture row, enlarged scale times across, into 8-bit RGB.
void ExpandRow(const SceneFrame& frame, int row, int scale, png_bytep out) {
    for (int column = 0; column < frame.width; ++column) {
        const std::uint16_t pixel = frame.Pixel(column, row);
        const png_byte rgb[kBytesPerPixel] = {WidenChannel(pixel >> 10u), WidenChannel(pixel >> 5u),
                                              WidenChannel(pixel)};
        for (int copy = 0; copy < scale; ++copy) {
            std::memcpy(out, rgb, kBytesPerPixel);
            out += kBytesPerPixel;
        }
    }
}

// Only plain values live in this frame: libpng leaves it by longjmp on any fault, which must
// not skip a destructor.
bool EncodePng(std::FILE* file, const SceneFrame& frame, int scale, png_bytep row,
               PngFault& fault) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &fault, OnPngError, OnPngWarning);
    if (png == nullptr) {
        std::snprintf(fault.message, sizeof fault.message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(frame.width * scale),
                 static_cast<png_uint_32>(frame.height * scale), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < frame.height; ++y) {
        ExpandRow(frame, y, scale, row);
        for (int copy = 0; copy < scale; ++copy) {
            png_write_row(png, row);
        }
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

CPngWriter::CPngWriter(std::string target, int frameCount, int scale)
    : m_strTarget(std::move(target)), m_nFrames(frameCount), m_nScale(scale) {}

CPngWriter::CPngWriter(std::ostream& out, std::string name, int scale)
    : m_strTarget(std::move(name)), m_nFrames(1), m_nScale(scale), m_pStream(&out) {}

CPngWriter::~CPngWriter() {
    if (!m_bCommitted) {
        RemoveAll();
    }
}

std::string CPngWriter::FrameFileName(const std::string& target, int index, int frameCount) {
    if (frameCount == 1) {
        return target;
    }
    char number[16];
    std::snprintf(number, sizeof number, "-%0*d", kFrameNumberDigits, index);
    std::filesystem::path path(target);
    const std::string extension = path.extension().string();
    path.replace_filename(path.stem().string() + number + extension);
    return path.string();
}

bool CPngWriter::WriteFrame(const SceneFrame& frame) {
    if (m_pStream != nullptr) {
        return WriteFrameToStream(frame);
    }
    const std::string finalName =
        FrameFileName(m_strTarget, static_cast<int>(m_files.size()) + 1, m_nFrames);
    std::string tempName;
    int fd = -1;
    if (!OpenTemporaryBeside(finalName, tempName, fd, m_strError)) {
        return false;
    }
    m_files.emplace_back(tempName, finalName);
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        m_strError = "cannot write " + finalName + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    std::vector<png_byte> row(static_cast<std::size_t>(frame.width) *
                              static_cast<std::size_t>(m_nScale) * kBytesPerPixel);
    PngFault fault{};
    errno = 0;
    const bool encoded = EncodePng(file, frame, m_nScale, row.data(), fault);
    const int encodeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !closed) {
        const int cause = encoded ? errno : encodeErrno;
        m_strError = "cannot write " + finalName + ": " +
                     (cause != 0 ? std::strerror(cause) : fault.message);
        return false;
    }
    return true;
}

// The image is encoded into memory, so that nothing reaches the stream unless the whole run
// succeeds, just as no file is put in place before then.
bool CPngWriter::WriteFrameToStream(const SceneFrame& frame) {
    if (m_bEncoded) {
        m_strError = "cannot write more than one frame to " + m_strTarget;
        return false;
    }
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* memory = open_memstream(&buffer, &size);
    if (memory == nullptr) {
        m_strError = "cannot write " + m_strTarget + ": " + std::strerror(errno);
        return false;
    }
    std::vector<png_byte> row(static_cast<std::size_t>(frame.width) *
                              static_cast<std::size_t>(m_nScale) * kBytesPerPixel);
    PngFault fault{};
    const bool encoded = EncodePng(memory, frame, m_nScale, row.data(), fault);
    const bool closed = std::fclose(memory) == 0;
    if (encoded && closed) {
        m_encoded.assign(buffer, buffer + size);
        m_bEncoded = true;
    }
    std::free(buffer);
    if (!m_bEncoded) {
        m_strError = "cannot write " + m_strTarget + ": " +
                     (encoded ? std::string("out of memory") : std::string(fault.message));
    }
    return m_bEncoded;
}

bool CPngWriter::Commit() {
    if (m_pStream != nullptr) {
        if (m_bEncoded &&
            !m_pStream->write(m_encoded.data(), static_cast<std::streamsize>(m_encoded.size()))
                 .flush()) {
            m_strError = "cannot write " + m_strTarget;
            return false;
        }
        m_bCommitted = true;
        return true;
    }
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (std::rename(m_files[i].first.c_str(), m_files[i].second.c_str()) != 0) {
            m_strError = "cannot write " + m_files[i].second + ": " + std::strerror(errno);
            // Frames already in place go too: a run that fails leaves nothing.
            for (std::size_t done = 0; done < i; ++done) {
                std::remove(m_files[done].second.c_str());
            }
            m_files.erase(m_files.begin(), m_files.begin() + static_cast<std::ptrdiff_t>(i));
            RemoveAll();
            return false;
        }
    }
    m_files.clear();
    m_bCommitted = true;
    return true;
}

void CPngWriter::RemoveAll() {
    for (const auto& file : m_files) {
        std::remove(file.first.c_str());
    }
    m_files.clear();
}

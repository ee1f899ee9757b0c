#include "tools/icons/CInstallerPicture.h"

#include "tools/icons/LittleEndian.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kBitsPerPixel = 24;
constexpr int kBytesPerPixel = 3;
constexpr unsigned kFileType = 0x4D42; // "BM"

// Rows are padded to whole 32-bit words.
int RowBytes(int width) {
    return (width * kBytesPerPixel + 3) / 4 * 4;
}

unsigned Channel(std::uint32_t argb, int shift) {
    return (argb >> shift) & 0xFF;
}

} // namespace

CInstallerPicture::CInstallerPicture(int width, int height) : m_image(width, height) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            m_image.SetPixel(x, y, kWhite);
        }
    }
}

void CInstallerPicture::Place(const CRgbaImage& picture, int left, int top) {
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            m_image.SetPixel(
                left + x, top + y,
                CRgbaImage::Over(picture.Pixel(x, y), m_image.Pixel(left + x, top + y)));
        }
    }
}

std::string CInstallerPicture::Bytes() const {
    const int width = m_image.Width();
    const int height = m_image.Height();
    const auto pixelBytes = static_cast<std::uint32_t>(RowBytes(width) * height);
    std::string file;
    PutWord(file, kFileType);
    PutLong(file, kFileHeaderSize + kInfoHeaderSize + pixelBytes);
    PutLong(file, 0); // reserved
    PutLong(file, kFileHeaderSize + kInfoHeaderSize);
    PutLong(file, kInfoHeaderSize);
    PutLong(file, static_cast<std::uint32_t>(width));
    PutLong(file, static_cast<std::uint32_t>(height));
    PutWord(file, 1); // planes
    PutWord(file, kBitsPerPixel);
    PutLong(file, 0); // no compression
    PutLong(file, pixelBytes);
    PutLong(file, 0); // no preferred resolution
    PutLong(file, 0);
    PutLong(file, 0); // no palette
    PutLong(file, 0);
    for (int y = height - 1; y >= 0; --y) {
        std::string row(static_cast<std::size_t>(RowBytes(width)), '\0');
        for (int x = 0; x < width; ++x) {
            const std::uint32_t argb = m_image.Pixel(x, y);
            const auto at = static_cast<std::size_t>(x * kBytesPerPixel);
            row[at] = static_cast<char>(Channel(argb, 0));
            row[at + 1] = static_cast<char>(Channel(argb, 8));
            row[at + 2] = static_cast<char>(Channel(argb, 16));
        }
        file += row;
    }
    return file;
}

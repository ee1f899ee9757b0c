#include "tools/icons/CIconFile.h"

#include "tools/icons/LittleEndian.h"

#include <png.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr int kIconType = 1;          // the file holds icons (2 would be cursors)
constexpr int kDirectorySize = 6;     // reserved word, type, count
constexpr int kEntrySize = 16;        // one image's line of the directory
constexpr int kBitmapHeaderSize = 40; // the bitmap info header each bitmap image starts with
constexpr int kPaletteBits = 4;
constexpr int kTrueColourBits = 32;
// Pixels the first byte of a 4-bit row holds in its high half.
constexpr int kPixelsPerPaletteByte = 2;

// Bitmap rows are padded to whole 32-bit words.
int RowBytes(int width, int bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}

bool Opaque(std::uint32_t argb) {
    return (argb >> 24) != 0;
}

} // namespace

// The bitmap header of an icon image counts the colour rows and the mask's together, so its
// height is twice the picture's.
std::string CIconFile::BitmapHeader(int width, int height, int bitCount, int colours) {
    std::string header;
    PutLong(header, kBitmapHeaderSize);
    PutLong(header, static_cast<std::uint32_t>(width));
    PutLong(header, static_cast<std::uint32_t>(2 * height));
    PutWord(header, 1); // planes
    PutWord(header, static_cast<unsigned>(bitCount));
    PutLong(header, 0); // no compression
    PutLong(header,
            static_cast<std::uint32_t>((RowBytes(width, bitCount) + RowBytes(width, 1)) * height));
    PutLong(header, 0); // no preferred resolution
    PutLong(header, 0);
    PutLong(header, static_cast<std::uint32_t>(colours));
    PutLong(header, 0); // every colour matters
    return header;
}

// One bit a pixel, rows bottom first like the colours: set where the picture is transparent.
std::string CIconFile::Mask(const CRgbaImage& picture) {
    std::string mask;
    for (int y = picture.Height() - 1; y >= 0; --y) {
        std::string row(static_cast<std::size_t>(RowBytes(picture.Width(), 1)), '\0');
        for (int x = 0; x < picture.Width(); ++x) {
            if (!Opaque(picture.Pixel(x, y))) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
            }
        }
        mask += row;
    }
    return mask;
}

void CIconFile::AddPalettedImage(const IconImage& image) {
    const int colours = static_cast<int>(image.palette.size());
    std::string data = BitmapHeader(image.width, image.height, kPaletteBits, colours);
    for (const std::uint32_t rgb : image.palette) {
        PutLong(data, rgb & 0xFFFFFF); // blue, green, red, then a zero byte
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::string row(static_cast<std::size_t>(RowBytes(image.width, kPaletteBits)), '\0');
        for (int x = 0; x < image.width; ++x) {
            const int index = IconPixelIndex(image, x, y);
            const int value = index < 0 ? 0 : index;
            const int shift = x % kPixelsPerPaletteByte == 0 ? 4 : 0;
            row[static_cast<std::size_t>(x / kPixelsPerPaletteByte)] |=
                static_cast<char>(value << shift);
        }
        data += row;
    }
    data += Mask(CRgbaImage::FromIconImage(image));
    m_entries.push_back({image.width, image.height, colours, kPaletteBits, data});
}

bool CIconFile::AddPicture(const CRgbaImage& picture) {
    const int width = picture.Width();
    const int height = picture.Height();
    if (width <= 0 || height <= 0 || width > kMaxSize || height > kMaxSize) {
        return false;
    }
    if (width >= kPngSize) {
        const std::vector<std::uint8_t> rgba = picture.RgbaBytes();
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        image.width = static_cast<png_uint_32>(width);
        image.height = static_cast<png_uint_32>(height);
        image.format = PNG_FORMAT_RGBA;
        png_alloc_size_t size = 0;
        if (png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr) == 0) {
            png_image_free(&image);
            return false;
        }
        std::string png(size, '\0');
        if (png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), 0, nullptr) == 0) {
            png_image_free(&image);
            return false;
        }
        png.resize(size);
        m_entries.push_back({width, height, 0, kTrueColourBits, png});
        return true;
    }
    std::string data = BitmapHeader(width, height, kTrueColourBits, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            PutLong(data, picture.Pixel(x, y)); // blue, green, red, opacity
        }
    }
    data += Mask(picture);
    m_entries.push_back({width, height, 0, kTrueColourBits, data});
    return true;
}

std::string CIconFile::Bytes() const {
    std::string file;
    PutWord(file, 0);
    PutWord(file, kIconType);
    PutWord(file, static_cast<unsigned>(m_entries.size()));
    std::uint32_t offset =
        kDirectorySize + kEntrySize * static_cast<std::uint32_t>(m_entries.size());
    for (const Entry& entry : m_entries) {
        file += static_cast<char>(entry.width & 0xFF); // 256 is written as 0
        file += static_cast<char>(entry.height & 0xFF);
        file += static_cast<char>(entry.colours & 0xFF);
        file += '\0';
        PutWord(file, 1); // planes
        PutWord(file, static_cast<unsigned>(entry.bitCount));
        PutLong(file, static_cast<std::uint32_t>(entry.data.size()));
        PutLong(file, offset);
        offset += static_cast<std::uint32_t>(entry.data.size());
    }
    for (const Entry& entry : m_entries) {
        file += entry.data;
    }
    return file;
}

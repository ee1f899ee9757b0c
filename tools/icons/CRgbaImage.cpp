#include "tools/icons/CRgbaImage.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000;
constexpr unsigned kChannelMax = 255;

unsigned Channel(std::uint32_t argb, int shift) {
    return (argb >> shift) & 0xFF;
}

} // namespace

CRgbaImage::CRgbaImage(int width, int height)
    : m_nWidth(std::max(0, width)), m_nHeight(std::max(0, height)),
      m_pixels(static_cast<std::size_t>(m_nWidth) * static_cast<std::size_t>(m_nHeight), 0) {}

CRgbaImage CRgbaImage::FromIconImage(const IconImage& image) {
    CRgbaImage picture(image.width, image.height);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const int index = IconPixelIndex(image, x, y);
            if (index >= 0 && static_cast<std::size_t>(index) < image.palette.size()) {
                picture.SetPixel(x, y, kOpaque | image.palette[static_cast<std::size_t>(index)]);
            }
        }
    }
    return picture;
}

std::uint32_t CRgbaImage::Pixel(int x, int y) const {
    if (!Contains(x, y)) {
        return 0;
    }
    return m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_nWidth) +
                    static_cast<std::size_t>(x)];
}

void CRgbaImage::SetPixel(int x, int y, std::uint32_t argb) {
    if (Contains(x, y)) {
        m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_nWidth) +
                 static_cast<std::size_t>(x)] = argb;
    }
}

std::vector<std::uint8_t> CRgbaImage::RgbaBytes() const {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(m_pixels.size() * 4);
    for (const std::uint32_t argb : m_pixels) {
        bytes.push_back(static_cast<std::uint8_t>(argb >> 16));
        bytes.push_back(static_cast<std::uint8_t>(argb >> 8));
        bytes.push_back(static_cast<std::uint8_t>(argb));
        bytes.push_back(static_cast<std::uint8_t>(argb >> 24));
    }
    return bytes;
}

std::uint32_t CRgbaImage::Over(std::uint32_t top, std::uint32_t bottom) {
    const unsigned alpha = Channel(top, 24);
    std::uint32_t result = kOpaque;
    for (const int shift : {16, 8, 0}) {
        const unsigned mixed = (Channel(top, shift) * alpha +
                                Channel(bottom, shift) * (kChannelMax - alpha) + kChannelMax / 2) /
                               kChannelMax;
        result |= mixed << shift;
    }
    return result;
}

bool CRgbaImage::Contains(int x, int y) const {
    return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight;
}

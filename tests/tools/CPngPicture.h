#pragma once

// A PNG file read back as 8-bit RGB, to check what the renderer wrote.

#include <png.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CPngPicture {
public:
    bool Load(const std::string& path) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path.c_str())) {
            return false;
        }
        image.format = PNG_FORMAT_RGB;
        m_rgb.resize(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, m_rgb.data(), 0, nullptr)) {
            return false;
        }
        m_nWidth = static_cast<int>(image.width);
        m_nHeight = static_cast<int>(image.height);
        return true;
    }

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }

    std::array<int, 3> Rgb(int x, int y) const {
        const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(m_nWidth) +
                                static_cast<std::size_t>(x)) *
                               3;
        return {m_rgb[at], m_rgb[at + 1], m_rgb[at + 2]};
    }

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<std::uint8_t> m_rgb;
};

#pragma once

// A picture with an alpha channel, as the desktop's icon themes want it: 8 bits of red, green,
// blue and opacity per pixel, rows top first.

#include "res/IconImage.h"

#include <cstdint>
#include <vector>

class CRgbaImage {
public:
    CRgbaImage(int width, int height); // fully transparent

    // The icon exactly as its data draws it: one pixel per character, transparent where the
    // data says so.
    static CRgbaImage FromIconImage(const IconImage& image);

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // 0xAARRGGBB; 0 outside the picture.
    std::uint32_t Pixel(int x, int y) const;
    void SetPixel(int x, int y, std::uint32_t argb);
    bool operator==(const CRgbaImage& other) const = default;
    // Rows top first, each pixel four bytes R, G, B, A, as PNG stores them.
    std::vector<std::uint8_t> RgbaBytes() const;

    // top's colour over an opaque bottom, weighted by top's opacity and rounded: the opaque
    // pixel a picture with soft edges shows on a plain ground.
    static std::uint32_t Over(std::uint32_t top, std::uint32_t bottom);

private:
    bool Contains(int x, int y) const;

    int m_nWidth;
    int m_nHeight;
    std::vector<std::uint32_t> m_pixels;
};

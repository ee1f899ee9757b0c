#pragma once

// The program's icons as data: each image is a 16-colour palette and one text row per pixel
// row, a hexadecimal digit (the 4-bit palette index) per pixel, or '.' where the icon is
// transparent.

#include <cstdint>
#include <span>

inline constexpr int kIconColours = 16;
inline constexpr char kIconTransparent = '.';

struct IconImage {
    int width;
    int height;
    std::span<const std::uint32_t> palette; // 0xRRGGBB, kIconColours entries
    std::span<const char* const> rows;      // height rows of width characters, top row first
};

// An icon resource: the same picture at several sizes.
struct IconGroup {
    unsigned id;
    std::span<const IconImage> images;
};

// The icon group with this resource id; null when there is none.
const IconGroup* FindIconGroup(unsigned id);

// The palette index of pixel (x, y), or -1 where the image is transparent or (x, y) lies
// outside it.
int IconPixelIndex(const IconImage& image, int x, int y);

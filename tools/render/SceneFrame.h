#pragma once

// One rendered frame, copied out of the surface: the pixels top row first, as a picture is
// read, and the drop table as the frame left it.

#include "ripple/RippleDrop.h"

#include <array>
#include <cstdint>
#include <vector>

struct SceneFrame {
    std::uint32_t tick = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> pixels; // width x height words, row 0 at the top
    std::array<RippleDrop, kMaxDrops> drops{};

    std::uint16_t Pixel(int column, int row) const {
        return pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(column)];
    }
};

#pragma once

// The numbers and small steps that define a ring and its pixel, shared by the plain loop and the
// fast synthesis so that the two cannot drift apart.

#include "platform/gdi/PixelFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ring {

inline constexpr double kPhasePerMs = 0.006666666666666667; // radians per ms: a swing every 942 ms
inline constexpr double kDriftX = 0.00005;        // cells a drop moves right per evaluation
inline constexpr double kDriftY = 0.00002;        // cells a drop moves down per evaluation
inline constexpr double kLifetimeMs = 15000.0;    // a drop older than this is retired
inline constexpr double kFrontSpeed = 0.01256636; // cells per ms the outermost ring travels
inline constexpr double kWaveNumber = 0.628;      // per cell: a wavelength of about ten cells
inline constexpr double kDistanceDamping = 0.04;  // per cell of distance from the centre
inline constexpr double kUnit = 1.0;              // the 1 of the damping divisor and threshold
inline constexpr double kAgeDamping = 0.0005;     // per ms: older than 2 s, fall off as 2000/age
inline constexpr double kGain = 16.0;             // sum of weights to level steps
inline constexpr double kOffset = 16.5;           // calm water rounds to level 16
inline constexpr int kStripWidth = 10;            // pixels of the Spectrum strip in every row
inline constexpr int kMinLevel = 0;               // the deepest trough
inline constexpr int kMaxLevel = 31;              // the highest crest
inline constexpr int kLevelCount = 32;            // levels the Spectrum strip spreads down the rows
inline constexpr int kBytesPerPixel = 2;          // one 16-bit word a pixel

// The pixel of a level, tinted or not: the blue channel always carries the level.
inline std::uint16_t LevelPixel(int level, bool addColor) {
    return addColor ? PackPixel(level / 3, level / 2, level) : PackPixel(0, 0, level);
}

inline void StorePixel(unsigned char* row, int column, std::uint16_t pixel) {
    // Rows need not be aligned for 16-bit stores when a caller hands in odd memory.
    std::memcpy(row + static_cast<std::ptrdiff_t>(column) * kBytesPerPixel, &pixel, sizeof pixel);
}

inline double DropAge(std::uint32_t now, std::uint32_t tick) {
    // Unsigned difference: a drop from just before the counter wrapped is young just after it.
    return static_cast<double>(static_cast<std::uint32_t>(now - tick));
}

inline int Quantise(double sum) {
    // A weight is at most 1 in size and there are ten drops, so the value is always well inside
    // int before it is clamped.
    int level = static_cast<int>(sum * kGain + kOffset);
    if (level <= kMinLevel) {
        level = kMinLevel;
    }
    if (level >= kMaxLevel) {
        level = kMaxLevel;
    }
    return level;
}

// The level of the strip in row i of h rows.
inline int StripLevel(int i, int h) {
    return static_cast<int>((static_cast<long long>(kLevelCount) * i) / h);
}

inline bool GridFitsBuffer(int gridW, int gridH, const void* bits, int stride, int rows) {
    if (bits == nullptr || gridH <= 0 || stride <= 0 || rows <= 0) {
        return false;
    }
    return static_cast<long long>(gridW) * kBytesPerPixel <= stride && gridH <= rows;
}

} // namespace ring

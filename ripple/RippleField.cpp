#include "ripple/RippleField.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

constexpr double kPhasePerMs = 0.006666666666666667; // radians per ms: a full swing every 942 ms
constexpr double kDriftX = 0.00005;                  // cells a drop moves right per evaluation
constexpr double kDriftY = 0.00002;                  // cells a drop moves down per evaluation
constexpr double kLifetimeMs = 15000.0;              // a drop older than this is retired
constexpr double kFrontSpeed = 0.01256636;           // cells per ms the outermost ring travels
constexpr double kWaveNumber = 0.628;                // per cell: a wavelength of about ten cells
constexpr double kDistanceDamping = 0.04;            // per cell of distance from the centre
constexpr double kUnit = 1.0;                        // the 1 of the damping divisor and threshold
constexpr double kAgeDamping = 0.0005;               // per ms: older than 2 s, fall off as 2000/age
constexpr double kGain = 16.0;                       // sum of weights to level steps
constexpr double kOffset = 16.5;                     // calm water rounds to level 16
constexpr int kStripWidth = 10;                      // pixels of the Spectrum strip in every row
constexpr int kMinLevel = 0;                         // the deepest trough
constexpr int kMaxLevel = 31;                        // the highest crest
constexpr int kLevelCount = 32;   // levels the Spectrum strip spreads down the rows
constexpr int kBytesPerPixel = 2; // one 16-bit word a pixel

std::uint16_t PackPixel(int red, int green, int blue) {
    return static_cast<std::uint16_t>(((red & 31) << 10) | ((green & 31) << 5) | (blue & 31));
}

void StorePixel(unsigned char* row, int column, std::uint16_t pixel) {
    // Rows need not be aligned for 16-bit stores when a caller hands in odd memory.
    std::memcpy(row + static_cast<std::ptrdiff_t>(column) * kBytesPerPixel, &pixel, sizeof pixel);
}

// The sum of every live drop's ring at cell (x, y). Drift steps each drop before its lifetime test,
// so a drop moves once per evaluated cell, including the evaluation that retires it.
double SumRings(double x, double y, bool drift, std::uint32_t now, double phase, DropTable drops) {
    double sum = 0.0;
    for (RippleDrop& drop : drops) {
        if (drop.active == 0) {
            continue;
        }
        const double dx = x - drop.x;
        const double dy = y - drop.y;
        if (drift) {
            drop.x += kDriftX;
            drop.y += kDriftY;
        }
        const double age = static_cast<double>(static_cast<std::uint32_t>(now - drop.tick));
        if (age > kLifetimeMs) {
            drop.active = 0;
            continue;
        }
        const double r = std::sqrt(dy * dy + dx * dx);
        if (!(r < age * kFrontSpeed)) {
            continue;
        }
        double w = std::cos(r * kWaveNumber - phase) / (r * kDistanceDamping + kUnit);
        const double a = age * kAgeDamping;
        if (a > kUnit) {
            w = w / a;
        }
        sum += w;
    }
    return sum;
}

int Quantise(double sum) {
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

bool GridFitsBuffer(int gridW, int gridH, const void* bits, int stride, int rows) {
    if (bits == nullptr || gridH <= 0 || stride <= 0 || rows <= 0) {
        return false;
    }
    return static_cast<long long>(gridW) * kBytesPerPixel <= stride && gridH <= rows;
}

} // namespace

void SynthesizeField(int gridW, int gridH, const FieldOptions& options, std::uint32_t now,
                     DropTable drops, void* bits, int stride, int rows) {
    // A grid larger than the buffer would send rows before its start or pixels into the next
    // row, so such a frame is refused whole rather than drawn in part.
    if (!GridFitsBuffer(gridW, gridH, bits, stride, rows)) {
        return;
    }
    auto* const base = static_cast<unsigned char*>(bits);
    const double phase = static_cast<double>(now) * kPhasePerMs;
    // The strip is ten pixels wide in any grid the program offers; a narrower grid keeps it
    // inside its own row.
    const int stripWidth = gridW < kStripWidth ? gridW : kStripWidth;

    for (int i = 0; i < gridH; ++i) {
        const double y = static_cast<double>(i);
        // Bottom-up memory: the top row on screen is the last row of the buffer.
        unsigned char* const row = base + static_cast<std::ptrdiff_t>(stride) * (rows - 1 - i);
        int red = 0;
        int green = 0;
        for (int j = 0; j < gridW; ++j) {
            const double x = static_cast<double>(j);
            const double sum = SumRings(x, y, options.drift, now, phase, drops);
            const int level = Quantise(sum);
            if (options.addColor) {
                red = level / 3;
                green = level / 2;
            }
            StorePixel(row, j, PackPixel(red, green, level));
        }
        if (options.spectrum) {
            const int s = static_cast<int>((static_cast<long long>(kLevelCount) * i) / gridH);
            if (options.addColor) {
                red = s / 3;
                green = s / 2;
            }
            for (int j = 0; j < stripWidth; ++j) {
                StorePixel(row, j, PackPixel(red, green, s));
            }
        }
    }
}

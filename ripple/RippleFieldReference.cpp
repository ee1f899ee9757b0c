#include "ripple/RippleFieldReference.h"

#include "ripple/RingFormula.h"

#include <cmath>
#include <cstddef>

using namespace ring;

namespace {

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
        const double age = DropAge(now, drop.tick);
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

} // namespace

void SynthesizeFieldReference(int gridW, int gridH, const FieldOptions& options, std::uint32_t now,
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
            const int s = StripLevel(i, gridH);
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

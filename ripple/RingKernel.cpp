#include "ripple/RingKernel.h"

#include <cmath>

using namespace ring;

#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
// Built once for the baseline instruction set of the machine (SSE2 on x86-64, NEON on ARM64)
// and, on x86-64, again for AVX2 and for AVX-512; the loader picks the widest the processor has.
#define ONDELINE_WIDER_VECTORS                                                                     \
    __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#endif
#endif
#ifndef ONDELINE_WIDER_VECTORS
#define ONDELINE_WIDER_VECTORS
#endif

namespace {

// One drop's weight at a cell dx, dy away from it. The same operations, in the same order, as the
// plain loop: r and the argument are bit for bit its own, so the front test is exact and only
// the cosine is approximate.
inline double Weight(double dx, double dy, double front, double phase, double gain,
                     double divisor) {
    const double r = std::sqrt(dy * dy + dx * dx);
    const double t = r * kWaveNumber - phase;
    const double w = RingCosine(t) / (r * gain + divisor);
    return r < front ? w : 0.0;
}

inline int Clamped(int level) {
    return level < kMinLevel ? kMinLevel : (level > kMaxLevel ? kMaxLevel : level);
}

} // namespace

ONDELINE_WIDER_VECTORS
void AccumulateRings(const RingSpan& span, double* sum) {
    double* __restrict out = sum;
    const double row = span.row;
    const double front = span.front;
    const double phase = span.phase;
    const double divisor = span.ageDivisor;
    // (r * 0.04 + 1) * divisor, gathered into r * gain + divisor.
    const double gain = kDistanceDamping * divisor;
    const int first = span.firstColumn;
    const int count = span.count;
    if (span.stepX == 0.0 && span.stepY == 0.0) {
        const double x = span.x;
        const double dy = row - span.y;
        for (int m = 0; m < count; ++m) {
            const double dx = static_cast<double>(first + m) - x;
            out[m] += Weight(dx, dy, front, phase, gain, divisor);
        }
        return;
    }
    // m * step is a whole number of the position's ulps and the sum stays in its binade, so
    // both are exact: the very positions the additions one by one reach.
    const double x = span.x;
    const double y = span.y;
    const double stepX = span.stepX;
    const double stepY = span.stepY;
    const double column = static_cast<double>(first);
    for (int m = 0; m < count; ++m) {
        const double at = static_cast<double>(m);
        const double dx = (column + at) - (x + at * stepX);
        const double dy = row - (y + at * stepY);
        out[m] += Weight(dx, dy, front, phase, gain, divisor);
    }
}

ONDELINE_WIDER_VECTORS
void QuantiseTrusted(const double* sum, int count, double bound, int* level) {
    const double* __restrict in = sum;
    int* __restrict out = level;
    for (int m = 0; m < count; ++m) {
        // Quantise, below and above the sum. Sums stay within ten in size, well inside int.
        const int low = Clamped(static_cast<int>((in[m] - bound) * kGain + kOffset));
        const int high = Clamped(static_cast<int>((in[m] + bound) * kGain + kOffset));
        out[m] = low == high ? low : -1;
    }
}

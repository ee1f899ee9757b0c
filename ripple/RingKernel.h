#pragma once

// The heavy part of a frame: one drop's rings over a run of cells of one row, summed fast. The
// distance, the ring front and the cosine's argument are the very doubles the plain loop works
// with; only the cosine and the damping divisor are approximated, and their error, and so the
// error of every sum, has a proven bound (below) that lets the caller tell which levels it can
// trust.

#include "ripple/RingFormula.h"

// One drop's share of a run of cells in one row. At the run's m-th cell the drop stands at
// (x + m * stepX, y + m * stepY), which is how Drift moves it wherever its additions round
// uniformly (both steps are 0 without Drift).
struct RingSpan {
    double row;      // the row, as a grid coordinate
    int firstColumn; // the column of the run's first cell
    int count;       // cells in the run
    double x;        // the drop's position at the first cell, before its drift step there
    double y;
    double stepX; // how far it has moved by the next cell
    double stepY;
    double front;      // age * front speed: cells at this distance or more are not reached
    double phase;      // now * phase factor, for the whole frame
    double ageDivisor; // age * age damping when that is above 1, otherwise 1
};

// Adds to sum[0..count) the drop's weight at each cell of the run, or 0 where the ring front has
// not arrived.
void AccumulateRings(const RingSpan& span, double* sum);

// The instruction sets the kernel is built for, from the plainest: SSE2 or NEON, AVX2, AVX-512.
enum class RingKernelLevel { kBaseline, kAvx2, kAvx512 };

// The widest kernel this processor can run; AccumulateRings uses it unless told otherwise.
RingKernelLevel WidestRingKernel();
// Makes AccumulateRings use the kernel built for level, if this processor can run it (so that the
// tests can hold every kernel to the plain loop on one machine); returns whether it can.
bool UseRingKernel(RingKernelLevel level);

// The level of each of count sums, when every value within bound of the sum has that same level,
// or -1 where the level is in doubt and the cell must be summed again exactly.
void QuantiseTrusted(const double* sum, int count, double bound, int* level);

namespace ring {

// 2 pi in two parts: the first has 30 significant bits, so k times it is exact for any |k| below
// 2^23, and the second carries the next 53 bits.
inline constexpr double kTwoPiHigh = 0x1.921fb548p+2;
inline constexpr double kTwoPiLow = -0x1.de973dcb3b39ap-29;
inline constexpr double kInverseTwoPi = 0.15915494309189535;
// Adding and taking away 1.5 * 2^52 rounds a double below 2^51 to the nearest whole number.
inline constexpr double kRoundingShift = 6755399441055744.0;

// a * b + c, with one rounding when kFused (where the processor has fused multiply-add; elsewhere
// it is a slow library call) or two. Only the approximate steps may use it: the steps the plain
// loop's results depend on bit for bit are never fused.
template <bool kFused> inline double MulAdd(double a, double b, double c) {
    if constexpr (kFused) {
        return __builtin_fma(a, b, c);
    } else {
        return a * b + c;
    }
}

// cos t for |t| < 5e7, the most a reached cell can ask for (the phase reaches 2.9e7 at the top of
// the tick range and r * 0.628 stays below 119). Error below kRingCosineError; the argument is
// brought into [-pi, pi] and the cosine's Taylor series taken to the x^16 term.
template <bool kFused = false> inline double RingCosine(double t) {
    const double k = MulAdd<kFused>(t, kInverseTwoPi, kRoundingShift) - kRoundingShift;
    const double x = MulAdd<kFused>(-k, kTwoPiLow, MulAdd<kFused>(-k, kTwoPiHigh, t));
    const double z = x * x;
    double p = 1.0 / 20922789888000.0;              // 1 / 16!
    p = MulAdd<kFused>(p, z, -1.0 / 87178291200.0); // 1 / 14!
    p = MulAdd<kFused>(p, z, 1.0 / 479001600.0);    // 1 / 12!
    p = MulAdd<kFused>(p, z, -1.0 / 3628800.0);     // 1 / 10!
    p = MulAdd<kFused>(p, z, 1.0 / 40320.0);        // 1 / 8!
    p = MulAdd<kFused>(p, z, -1.0 / 720.0);         // 1 / 6!
    p = MulAdd<kFused>(p, z, 1.0 / 24.0);           // 1 / 4!
    p = MulAdd<kFused>(p, z, -0.5);                 // 1 / 2!
    return MulAdd<kFused>(p, z, 1.0);
}

// The error of RingCosine against the true cosine of its (double) argument, with room to spare:
// - reduction: t - k * kTwoPiHigh is exact, fused or not (k * kTwoPiHigh has at most 53 bits,
//   and both terms are multiples of t's ulp or coarser with a difference below 4); the second
//   part, its product and the parts of 2 pi left out add under 3e-16;
// - series: |x| stays within pi + 1e-8, where x^18 / 18!, the first term left out, is below
//   1.39e-7 and bounds the truncation;
// - arithmetic: at most sixteen roundings on terms that add up to at most cosh(pi) < 11.6, under
//   3e-14 (fused steps round once where plain ones round twice).
inline constexpr double kRingCosineError = 1.4e-7;

// How far a fast sum may lie from the plain loop's sum at the same cell. Both start from the same
// distance and argument. Each of at most ten weights differs by the cosine error plus a few
// roundings (the libm cosine is within an ulp, the divisor (r * 0.04 + 1) * age divisor is
// gathered as r * (0.04 * age divisor) + age divisor, three roundings instead of two, and it is at
// least 1: under 5e-15 in all), and each order of adding ten weights of size at most 1 rounds by
// under 1.2e-14: together under 10 * (1.4e-7 + 5e-15) + 2.4e-14, about 1.4e-6. The bound has
// seven times that, which also covers the rounding of the bound's own use.
inline constexpr double kSumErrorBound = 1e-5;

} // namespace ring

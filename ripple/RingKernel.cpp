#include "ripple/RingKernel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

using namespace ring;

#if (defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__))) && defined(__GNUC__)
// Besides the baseline (SSE2), the kernel is built for AVX2 and for AVX-512, both with fused
// multiply-add, and the widest the processor has is picked at start. A 32-bit build has them as
// well; it must realign the stack where they are entered (-mstackrealign), as its callers keep
// it aligned to 4 bytes only.
#define ONDELINE_X86_LEVELS 1
#define ONDELINE_AVX2 "avx2,fma"
#define ONDELINE_AVX512 "avx512f,avx512vl,avx512dq,avx2,fma"
#endif

namespace {

constexpr int kBlock = 256; // cells the kernel takes at a time

// 0, 1, 2, ... as doubles: the offset of each cell of a block from its first.
constexpr std::array<double, kBlock> kOffsets = [] {
    std::array<double, kBlock> offsets{};
    for (int m = 0; m < kBlock; ++m) {
        offsets[static_cast<std::size_t>(m)] = m;
    }
    return offsets;
}();

// One drop's weight at a cell dx, dy away from it. The distance and the argument are the plain
// loop's operations in its order, never fused, so r and the argument are bit for bit its own and
// the front test is exact; only the cosine and the damping divisor are approximate.
template <bool kFused>
[[gnu::always_inline]] inline double Weight(double dx, double dy, double front, double phase,
                                            double gain, double divisor) {
    const double r = std::sqrt(dy * dy + dx * dx);
    const double t = r * kWaveNumber - phase;
    const double w = RingCosine<kFused>(t) / MulAdd<kFused>(r, gain, divisor);
    return r < front ? w : 0.0;
}

inline int Clamped(int level) {
    return level < kMinLevel ? kMinLevel : (level > kMaxLevel ? kMaxLevel : level);
}

// The kernel's loop, built into one function per instruction set.
template <bool kFused>
[[gnu::always_inline]] inline void SumRings(const RingSpan& span, double* sum) {
    const double row = span.row;
    const double front = span.front;
    const double phase = span.phase;
    const double divisor = span.ageDivisor;
    // (r * 0.04 + 1) * divisor, gathered into r * gain + divisor.
    const double gain = kDistanceDamping * divisor;
    const bool still = span.stepX == 0.0 && span.stepY == 0.0;
    for (int start = 0; start < span.count; start += kBlock) {
        const int count = std::min(kBlock, span.count - start);
        double* __restrict out = sum + start;
        const double* __restrict at = kOffsets.data();
        // Whole numbers, exact; the offsets come from a table, as converting the loop counter
        // would double the registers a vector loop needs.
        const double column = static_cast<double>(span.firstColumn) + static_cast<double>(start);
        if (still) {
            const double dy = row - span.y;
            const double x = span.x;
            for (int m = 0; m < count; ++m) {
                const double dx = (column + at[m]) - x;
                out[m] += Weight<kFused>(dx, dy, front, phase, gain, divisor);
            }
            continue;
        }
        // Any multiple of a step is a whole number of the position's ulps and every position
        // stays in its binade, so all of these are exact: the very positions the additions one
        // by one reach.
        const double stepX = span.stepX;
        const double stepY = span.stepY;
        const double x = span.x + static_cast<double>(start) * stepX;
        const double y = span.y + static_cast<double>(start) * stepY;
        for (int m = 0; m < count; ++m) {
            const double dx = (column + at[m]) - (x + at[m] * stepX);
            const double dy = row - (y + at[m] * stepY);
            out[m] += Weight<kFused>(dx, dy, front, phase, gain, divisor);
        }
    }
}

#ifdef ONDELINE_X86_LEVELS
// AVX-512 and AVX2 both come with fused multiply-add; the baseline has neither.
__attribute__((target(ONDELINE_AVX512))) void SumRingsAvx512(const RingSpan& span, double* sum) {
    SumRings<true>(span, sum);
}

__attribute__((target(ONDELINE_AVX2))) void SumRingsAvx2(const RingSpan& span, double* sum) {
    SumRings<true>(span, sum);
}
#endif

void SumRingsBaseline(const RingSpan& span, double* sum) {
#if !defined(ONDELINE_X86_LEVELS) && (defined(__ARM_FEATURE_FMA) || defined(__FMA__))
    SumRings<true>(span, sum); // fused multiply-add is part of the baseline here
#else
    SumRings<false>(span, sum);
#endif
}

using SumRingsFn = void (*)(const RingSpan&, double*);

// The kernel for level, or null when this processor cannot run it.
SumRingsFn KernelFor(RingKernelLevel level) {
    switch (level) {
    case RingKernelLevel::kBaseline:
        return SumRingsBaseline;
#ifdef ONDELINE_X86_LEVELS
    case RingKernelLevel::kAvx2:
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") ? SumRingsAvx2
                                                                               : nullptr;
    case RingKernelLevel::kAvx512:
        __builtin_cpu_init();
        return KernelFor(RingKernelLevel::kAvx2) != nullptr && __builtin_cpu_supports("avx512f") &&
                       __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq")
                   ? SumRingsAvx512
                   : nullptr;
#endif
    default:
        return nullptr;
    }
}

SumRingsFn& ChosenKernel() {
    static SumRingsFn chosen = KernelFor(WidestRingKernel());
    return chosen;
}

} // namespace

RingKernelLevel WidestRingKernel() {
    for (RingKernelLevel level : {RingKernelLevel::kAvx512, RingKernelLevel::kAvx2}) {
        if (KernelFor(level) != nullptr) {
            return level;
        }
    }
    return RingKernelLevel::kBaseline;
}

bool UseRingKernel(RingKernelLevel level) {
    const SumRingsFn kernel = KernelFor(level);
    if (kernel == nullptr) {
        return false;
    }
    ChosenKernel() = kernel;
    return true;
}

void AccumulateRings(const RingSpan& span, double* sum) {
    ChosenKernel()(span, sum);
}

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

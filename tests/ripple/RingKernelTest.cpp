#include "ripple/RingKernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace {

// The cosine's argument ranges from -2.9e7 (the phase at the top of the tick range) to 119 (the
// farthest reached cell at phase 0); its error must stay within the bound everywhere, at the
// edges of every reduction interval most of all.
constexpr double kLargestPhase = 4294967295.0 * ring::kPhasePerMs;

// What the AVX2 and AVX-512 kernels compute, with the processor's own fused multiply-add as
// theirs. The C library's fma cannot stand in for it: MinGW's is not correctly rounded.
#if (defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__))) && defined(__GNUC__)
__attribute__((target("fma"), flatten)) double FusedCosine(double t) {
    return ring::RingCosine<true>(t);
}
bool ProcessorFuses() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("fma");
}
#else
double FusedCosine(double t) {
    return ring::RingCosine<true>(t);
}
bool ProcessorFuses() {
    return true;
}
#endif

double CosineError(double t) {
    return std::fabs(ring::RingCosine(t) - std::cos(t));
}

TEST(RingKernelTest, CosineStaysWithinItsBoundOverTheWholeRange) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> anywhere(-kLargestPhase - 1.0, 120.0);
    std::uniform_real_distribution<double> small(-40.0, 40.0);
    double worst = 0.0;
    for (int n = 0; n < 2000000; ++n) {
        const double t = n % 2 == 0 ? anywhere(random) : small(random);
        worst = std::fmax(worst, CosineError(t));
    }
    EXPECT_LT(worst, ring::kRingCosineError);
}

TEST(RingKernelTest, CosineStaysWithinItsBoundAtTheEdgesOfTheReduction) {
    // Odd multiples of pi are where the reduced argument is largest and the series weakest.
    double worst = 0.0;
    for (double k = -4.6e6; k <= 20.0; k += 997.0) {
        for (double edge :
             {k * 2.0 * std::numbers::pi + std::numbers::pi,
              k * 2.0 * std::numbers::pi - std::numbers::pi, k * 2.0 * std::numbers::pi}) {
            for (double t = std::nextafter(edge, -1e300), n = 0; n < 5;
                 t = std::nextafter(t, 1e300), ++n) {
                worst = std::fmax(worst, CosineError(t));
            }
        }
    }
    EXPECT_LT(worst, ring::kRingCosineError);
}

void ExpectSumsWithinTheBound() {
    // Ten weights at random distances, ages and phases: the fast sum against the plain loop's
    // own arithmetic in slot order.
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> offset(-180.0, 180.0);
    std::uniform_int_distribution<std::uint32_t> tick;
    std::uniform_int_distribution<int> age(1, 15000);
    double worst = 0.0;
    for (int n = 0; n < 20000; ++n) {
        const std::uint32_t now = tick(random);
        const double phase = static_cast<double>(now) * ring::kPhasePerMs;
        double fast[8] = {};
        double plain[8] = {};
        for (int k = 0; k < 10; ++k) {
            const double dropX = offset(random);
            const double dropY = offset(random);
            const double a = age(random);
            const double front = a * ring::kFrontSpeed;
            const double damping = a * ring::kAgeDamping;
            // Every other drop moves a quarter cell down per cell, which is exact.
            const double stepY = k % 2 == 0 ? 0.0 : 0.25;
            const RingSpan span{0.0, 0,     8,     dropX, dropY,
                                0.0, stepY, front, phase, damping > 1.0 ? damping : 1.0};
            AccumulateRings(span, fast);
            for (int m = 0; m < 8; ++m) {
                const double dx = static_cast<double>(m) - dropX;
                const double dy = 0.0 - (dropY + stepY * m);
                const double r = std::sqrt(dy * dy + dx * dx);
                if (!(r < front)) {
                    continue;
                }
                double w = std::cos(r * ring::kWaveNumber - phase) / (r * 0.04 + 1.0);
                if (damping > 1.0) {
                    w = w / damping;
                }
                plain[m] += w;
            }
        }
        for (int m = 0; m < 8; ++m) {
            worst = std::fmax(worst, std::fabs(fast[m] - plain[m]));
        }
    }
    EXPECT_LT(worst, ring::kSumErrorBound / 7.0) << "the bound has a sevenfold margin";
}

TEST(RingKernelTest, FastSumsOfEveryKernelStayWithinTheBoundOfThePlainOnes) {
    for (RingKernelLevel level :
         {RingKernelLevel::kBaseline, RingKernelLevel::kAvx2, RingKernelLevel::kAvx512}) {
        if (UseRingKernel(level)) {
            SCOPED_TRACE(static_cast<int>(level));
            ExpectSumsWithinTheBound();
        }
    }
    UseRingKernel(WidestRingKernel());
}

TEST(RingKernelTest, FusedCosineStaysWithinTheSameBound) {
    if (!ProcessorFuses()) {
        GTEST_SKIP() << "no kernel fuses on this processor";
    }
    std::mt19937_64 random(13);
    std::uniform_real_distribution<double> anywhere(-kLargestPhase - 1.0, 120.0);
    double worst = 0.0;
    for (int n = 0; n < 200000; ++n) {
        const double t = anywhere(random);
        worst = std::fmax(worst, std::fabs(FusedCosine(t) - std::cos(t)));
    }
    EXPECT_LT(worst, ring::kRingCosineError);
}

TEST(RingKernelTest, TrustsALevelOnlyWhenTheWholeIntervalAgrees) {
    struct Case {
        double sum;
        double bound;
        int level;
    };
    const Case cases[] = {
        {0.0, 1e-8, 16},
        {1.0 / 32.0, 1e-8, -1},
        {1.0 / 32.0 + 1e-7, 1e-8, 17},
        {1.0 / 32.0 - 1e-7, 1e-8, 16},
        {-1.0 / 32.0, 1e-8, -1},
        {0.90625, 1e-8, -1},
        {0.91, 1e-8, 31},
        {5.0, 1e-8, 31},
        {-0.96875, 1e-8, -1},
        {-0.97, 1e-8, 0},
        {-7.0, 1e-8, 0},
        {-0.96875 + 1.0 / 16.0, 1e-8, -1},
        {0.2, 1.0, -1},
    };
    for (const Case& c : cases) {
        int level = 99;
        QuantiseTrusted(&c.sum, 1, c.bound, &level);
        EXPECT_EQ(level, c.level) << "sum " << c.sum << " bound " << c.bound;
    }
}

} // namespace

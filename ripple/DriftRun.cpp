#include "ripple/DriftRun.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr int kMantissaBits = 52;                     // stored bits of a double's significand
constexpr double kBinadeLow = 4503599627370496.0;     // 2^52: the smallest significand in ulps
constexpr double kBinadeHigh = 9007199254740992.0;    // 2^53: one past the largest
constexpr double kMaxStepInUlps = 1125899906842624.0; // 2^50: keeps ulp counts inside int64
constexpr double kSmallestRegular = 0x1p-1000;        // well clear of the subnormals

// How many additions of step, starting at p, are certain to land exactly on p + m * delta,
// m = 1, 2, ...: while the exact sums stay at least an ulp inside p's binade, the doubles around
// them are evenly spaced, so each rounds by the same amount; delta is that rounded step. Returns
// 0 where this cannot be promised (a tie, a binade edge close by, tiny or non-finite values) and
// the caller steps one addition at a time instead.
std::int64_t StepsOnEvenGrid(double p, double step, double delta, std::int64_t wanted) {
    if (!std::isfinite(p) || std::fabs(p) < kSmallestRegular || delta <= 0.0) {
        return 0;
    }
    int exponent = 0;
    std::frexp(p, &exponent); // |p| = f * 2^exponent with f in [0.5, 1)
    const double ulp = std::ldexp(1.0, exponent - 1 - kMantissaBits);
    const double stepInUlps = step / ulp; // exact: a power-of-two scaling
    if (stepInUlps >= kMaxStepInUlps) {
        return 0;
    }
    const double whole = std::nearbyint(stepInUlps);
    if (std::fabs(stepInUlps - whole) == 0.5 || whole * ulp != delta) {
        return 0; // a tie rounds to even, which depends on p itself
    }
    const auto k = static_cast<std::int64_t>(whole);
    const auto units = static_cast<std::int64_t>(std::fabs(p) / ulp); // in [2^52, 2^53)
    const auto low = static_cast<std::int64_t>(kBinadeLow);
    const auto high = static_cast<std::int64_t>(kBinadeHigh);
    // With the true step within half an ulp of k ulps, the m-th sum lies in
    // (units + m*k - 1/2 ... units + m*k + k + 1/2) ulps on the way up, mirrored on the way down;
    // one more ulp of room on each side keeps every candidate double on the even grid.
    std::int64_t fits = 0;
    if (p > 0.0) {
        if (units + k - 2 < low) {
            return 0;
        }
        fits = (high - 2 - units) / k;
    } else {
        fits = (units - 2 - low) / k;
    }
    return fits < wanted ? fits : wanted;
}

} // namespace

double AdvanceDrift(double start, double step, int count, double* out) {
    double p = start;
    std::int64_t done = 0;
    while (done < count) {
        const double next = p + step;
        const double delta = next - p;
        const std::int64_t run = delta == 0.0 || !std::isfinite(p)
                                     ? count - done // the position can no longer change
                                     : StepsOnEvenGrid(p, step, delta, count - done);
        if (run <= 1) {
            if (out != nullptr) {
                out[done] = p;
            }
            p = next;
            ++done;
            continue;
        }
        const double stride = std::isfinite(p) ? delta : 0.0;
        if (out != nullptr) {
            double* const at = out + done;
            for (std::int64_t m = 0; m < run; ++m) {
                at[m] = p + static_cast<double>(m) * stride;
            }
        }
        p = p + static_cast<double>(run) * stride;
        done += run;
    }
    return p;
}

#include "ripple/DriftRun.h"

#include <bit>
#include <cmath>

namespace {

constexpr int kMantissaBits = 52;                     // stored bits of a double's significand
constexpr double kBinadeLow = 4503599627370496.0;     // 2^52: the smallest significand in ulps
constexpr double kBinadeHigh = 9007199254740992.0;    // 2^53: one past the largest
constexpr double kMaxStepInUlps = 1125899906842624.0; // 2^50: keeps ulp counts inside int64
constexpr double kSmallestRegular = 0x1p-900;         // so that its ulp is no subnormal
constexpr double kRoundingShift = 4503599627370496.0; // 2^52: rounds below it to whole numbers
constexpr std::uint64_t kExponentMask = 0x7FF0000000000000u;
constexpr std::uint64_t kMantissaShift = std::uint64_t{kMantissaBits} << kMantissaBits;

// The spacing of the doubles in the binade of p (a normal number), which is 2^-52 of its power of
// two.
double UlpOf(double p) {
    const std::uint64_t exponent = std::bit_cast<std::uint64_t>(p) & kExponentMask;
    return std::bit_cast<double>(exponent - kMantissaShift);
}

} // namespace

std::int64_t UniformDriftRun(double p, double step, std::int64_t wanted, double& delta) {
    delta = 0.0;
    const double next = p + step;
    if (!std::isfinite(p) || next == p) {
        return wanted; // the position can no longer change
    }
    if (std::fabs(p) < kSmallestRegular || !(step > 0.0)) {
        return 0;
    }
    const double ulp = UlpOf(p);
    const double stepInUlps = step / ulp; // exact: a power-of-two scaling
    if (!(stepInUlps < kMaxStepInUlps)) {
        return 0;
    }
    const double whole = (stepInUlps + kRoundingShift) - kRoundingShift;
    if (std::fabs(stepInUlps - whole) == 0.5 || whole < 1.0 || next - p != whole * ulp) {
        return 0; // a tie rounds to even, which depends on p itself
    }
    const auto k = static_cast<std::int64_t>(whole);
    const auto units = static_cast<std::int64_t>(std::fabs(p) / ulp); // in [2^52, 2^53)
    const auto low = static_cast<std::int64_t>(kBinadeLow);
    const auto high = static_cast<std::int64_t>(kBinadeHigh);
    // The true step lies within half an ulp of k ulps, so the m-th sum lies within
    // units + m*k + k +- 1/2 ulps on the way up (mirrored on the way down, towards zero); one more
    // ulp of room on each side keeps every candidate double on the evenly spaced grid.
    std::int64_t fits = 0;
    if (p > 0.0) {
        if (units + k - 2 < low) {
            return 0;
        }
        fits = (high - 2 - units) / k;
    } else {
        fits = (units - 2 - low) / k;
    }
    if (fits <= 0) {
        return 0;
    }
    delta = whole * ulp;
    return fits < wanted ? fits : wanted;
}

double AdvanceDrift(double start, double step, int count, double* out) {
    double p = start;
    std::int64_t done = 0;
    while (done < count) {
        double delta = 0.0;
        const std::int64_t run = UniformDriftRun(p, step, count - done, delta);
        if (run == 0) {
            if (out != nullptr) {
                out[done] = p;
            }
            p = p + step;
            ++done;
            continue;
        }
        // m * delta is a whole number of ulps below 2^53 of them, and p plus it stays inside the
        // binade: both exact.
        if (out != nullptr) {
            double* const at = out + done;
            for (std::int64_t m = 0; m < run; ++m) {
                at[m] = p + static_cast<double>(m) * delta;
            }
        }
        p = p + static_cast<double>(run) * delta;
        done += run;
    }
    return p;
}

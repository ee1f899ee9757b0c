#include "ripple/DriftRun.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double kDriftX = 0.00005;
constexpr double kDriftY = 0.00002;

// The positions one rounded addition at a time: what AdvanceDrift must reproduce bit for bit.
std::vector<double> OneByOne(double start, double step, int count, double& end) {
    std::vector<double> out(static_cast<std::size_t>(count));
    double p = start;
    for (int m = 0; m < count; ++m) {
        out[static_cast<std::size_t>(m)] = p;
        p += step;
    }
    end = p;
    return out;
}

// Same bits: NaN equals NaN and -0 differs from +0.
::testing::AssertionResult SameBits(double expected, double actual) {
    if (std::bit_cast<std::uint64_t>(expected) == std::bit_cast<std::uint64_t>(actual)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << std::hexfloat << actual << " instead of " << expected;
}

void ExpectSameRun(double start, double step, int count) {
    double end = 0.0;
    const std::vector<double> expected = OneByOne(start, step, count, end);
    std::vector<double> actual(static_cast<std::size_t>(count), -1.0);
    const double actualEnd = AdvanceDrift(start, step, count, actual.data());
    for (int m = 0; m < count; ++m) {
        ASSERT_TRUE(
            SameBits(expected[static_cast<std::size_t>(m)], actual[static_cast<std::size_t>(m)]))
            << std::hexfloat << "start " << start << " step " << step << " position " << m;
    }
    EXPECT_TRUE(SameBits(end, actualEnd)) << std::hexfloat << "start " << start;
    EXPECT_TRUE(SameBits(end, AdvanceDrift(start, step, count, nullptr)))
        << std::hexfloat << "start " << start << " without positions";
}

TEST(DriftRunTest, MatchesOneAdditionAtATimeAcrossBinadesZeroAndTheExtremes) {
    const double inf = std::numeric_limits<double>::infinity();
    const double starts[] = {0.0,
                             -0.0,
                             1e-310,
                             -1e-310,
                             1e-300,
                             5e-5,
                             -5e-5,
                             -1.3,
                             0.99999,
                             std::nextafter(1.0, 0.0),
                             1.0,
                             2.0 - 1e-9,
                             63.99999,
                             64.0,
                             -64.0,
                             -64.00001,
                             -1.0000001,
                             -0.5,
                             12.0,
                             199.99,
                             1e15,
                             4503599627370495.0,
                             4503599627370496.5,
                             9e15,
                             -1e300,
                             1e308,
                             inf,
                             -inf,
                             std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::denorm_min()};
    for (double start : starts) {
        for (double step : {kDriftX, kDriftY}) {
            for (int count : {0, 1, 2, 7, 256, 40000}) {
                ExpectSameRun(start, step, count);
            }
        }
    }
}

TEST(DriftRunTest, TiesThatRoundToEvenAreFollowedExactly) {
    // Between 2^52 and 2^53 doubles are whole numbers, so half a step is a tie on every addition;
    // it rounds to the even neighbour, which depends on the position itself.
    constexpr double kTwo52 = 4503599627370496.0;
    for (double start : {kTwo52, kTwo52 + 1.0, kTwo52 + 2.0, -kTwo52 - 3.0, 2.0 * kTwo52 - 8.0}) {
        for (double step : {0.5, 1.5, 2.5, 0.25, 0.75}) {
            ExpectSameRun(start, step, 1000);
        }
    }
}

TEST(DriftRunTest, MatchesOneAdditionAtATimeFromRandomStarts) {
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> grid(-300.0, 300.0);
    std::uniform_int_distribution<int> exponent(-1020, 1020);
    for (int n = 0; n < 400; ++n) {
        const double start = n % 4 == 0 ? std::ldexp(grid(random), exponent(random)) : grid(random);
        ExpectSameRun(start, n % 2 == 0 ? kDriftX : kDriftY, 1 + n * 97 % 3000);
    }
}

} // namespace

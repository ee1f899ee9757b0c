#include "tests/platform/SessionHooks.h"

#include "ripple/RandomSource.h"
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

namespace {

std::vector<int> Draw(int count) {
    std::vector<int> values;
    for (int n = 0; n < count; ++n) {
        values.push_back(Rand());
    }
    return values;
}

TEST(RandomSourceTest, EveryValueFromZeroTo32767TurnsUpAndNoOther) {
    ResetRand();
    std::vector<bool> seen(RAND_MAX_VALUE + 1, false);
    for (int n = 0; n < (1 << 20); ++n) {
        const int value = Rand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, RAND_MAX_VALUE);
        seen[static_cast<std::size_t>(value)] = true;
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), false), 0);
}

TEST(RandomSourceTest, ResetStartsTheSameSequenceAgain) {
    ResetRand();
    const std::vector<int> first = Draw(1000);
    EXPECT_NE(std::set<int>(first.begin(), first.end()).size(), 1u);
    ResetRand();
    EXPECT_EQ(Draw(1000), first);
}

TEST(RandomSourceTest, ReplacedSourceIsUsedUntilRestored) {
    ResetRand();
    const std::vector<int> own = Draw(5);
    ResetRand();
    int calls = 0;
    SetRandSource([&calls] {
        ++calls;
        return 4321;
    });
    EXPECT_EQ(Draw(3), std::vector<int>(3, 4321));
    EXPECT_EQ(calls, 3);
    SetRandSource({});
    EXPECT_EQ(Draw(5), own) << "a replacement leaves the generator's own state alone";
}

TEST(TickSourceTest, ReplacedClockIsUsedUntilRestored) {
    std::uint32_t fake = 0xFFFFFFF0u;
    SetTickSource([&fake] { return fake; });
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    fake = 5;
    EXPECT_EQ(GetTickCount(), 5u);
    SetTickSource({});
    const std::uint32_t a = GetTickCount();
    const std::uint32_t b = GetTickCount();
    EXPECT_LT(static_cast<std::uint32_t>(b - a), 1000u) << "the real clock is back";
}

TEST(TickSourceTest, RealClockMovesForwardInMilliseconds) {
    SetTickSource({});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    const std::uint32_t start = GetTickCount();
    std::uint32_t previous = start;
    // Wrapping differences: even across the 32-bit wrap every step is a small forward one.
    while (static_cast<std::uint32_t>(previous - start) < 20 &&
           std::chrono::steady_clock::now() < deadline) {
        const std::uint32_t now = GetTickCount();
        ASSERT_LT(static_cast<std::uint32_t>(now - previous), 1000u);
        previous = now;
    }
    EXPECT_GE(static_cast<std::uint32_t>(previous - start), 20u);
}

} // namespace

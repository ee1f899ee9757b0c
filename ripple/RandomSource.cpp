#include "ripple/RandomSource.h"

#include <cstdint>
#include <utility>

namespace {

// A 32-bit linear congruential generator with the multiplier and increment of Numerical Recipes.
// Its low bits have short periods, so values are taken from the top fifteen.
constexpr std::uint32_t kMultiplier = 1664525u;
constexpr std::uint32_t kIncrement = 1013904223u;
constexpr std::uint32_t kStartState = 0x4F6E6465u; // fixed, so every run draws the same rain
constexpr int kDroppedLowBits = 17;                // 32 - 15: keeps the top fifteen bits

std::uint32_t g_randState = kStartState;
std::function<int()> g_randSource;

int NextOwnRand() {
    g_randState = g_randState * kMultiplier + kIncrement;
    return static_cast<int>(g_randState >> kDroppedLowBits);
}

} // namespace

int Rand() {
    return g_randSource ? g_randSource() : NextOwnRand();
}

void ResetRand() {
    g_randState = kStartState;
}

void SetRandSource(std::function<int()> source) {
    g_randSource = std::move(source);
}

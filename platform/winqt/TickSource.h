#pragma once

#include <cstdint>
#include <functional>

// Milliseconds from a monotonic clock, reduced to 32 bits: it wraps after about 49.7 days, and
// everything that takes differences of it does so in unsigned 32-bit arithmetic.
std::uint32_t GetTickCount();

// Tests replace the clock to make frames exact; an empty function restores it.
void SetTickSource(std::function<std::uint32_t()> source);

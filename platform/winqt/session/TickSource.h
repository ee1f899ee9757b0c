#pragma once

// GetTickCount's milliseconds come from a monotonic clock, reduced to 32 bits.

#include <cstdint>
#include <functional>

// Tests replace the clock to make frames exact; an empty function restores it.
void SetTickSource(std::function<std::uint32_t()> source);

#include <windows.h>

#include <chrono>
#include <cstdint>

// The milliseconds of a monotonic clock, of which only the low 32 bits are kept: callers work
// with wrapping differences.
DWORD GetTickCount() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

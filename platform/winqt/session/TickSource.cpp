#include "platform/winqt/session/TickSource.h"

#include <windows.h>

#include <chrono>
#include <utility>

namespace {

std::function<std::uint32_t()> g_tickSource;

std::uint32_t SteadyMilliseconds() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    // Only the low 32 bits are kept: callers work with wrapping differences.
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

} // namespace

DWORD GetTickCount() {
    return g_tickSource ? g_tickSource() : SteadyMilliseconds();
}

void SetTickSource(std::function<std::uint32_t()> source) {
    g_tickSource = std::move(source);
}

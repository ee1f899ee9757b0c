#include "platform/winweb/session/UnwindStack.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr std::size_t kUnwindBytes = 64 * 1024; // far more than the deepest wait needs

// Asyncify's layout: where the next frame goes, where the space ends, then the space.
struct UnwindData {
    std::uint8_t* next;
    std::uint8_t* end;
    alignas(16) std::uint8_t space[kUnwindBytes];
};

UnwindData g_unwind;

} // namespace

void* FreshUnwindData() {
    g_unwind.next = g_unwind.space;
    g_unwind.end = g_unwind.space + kUnwindBytes;
    return &g_unwind;
}

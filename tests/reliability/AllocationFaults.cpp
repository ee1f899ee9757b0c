#include "tests/reliability/AllocationFaults.h"

#include <new>

namespace {

std::size_t g_nFailBytes = 0;
int g_nFailCount = 0;

bool TakeFault(std::size_t bytes) {
    if (g_nFailCount <= 0 || bytes != g_nFailBytes) {
        return false;
    }
    --g_nFailCount;
    return true;
}

} // namespace

void FailNextAllocationsOf(std::size_t bytes, int count) {
    g_nFailBytes = bytes;
    g_nFailCount = count;
}

int PendingAllocationFaults() {
    return g_nFailCount;
}

// Memory comes from the throwing forms, so that it goes back through the usual operator delete
// and a sanitizer sees matching pairs.
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    if (TakeFault(bytes)) {
        return nullptr;
    }
    try {
        return ::operator new(bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
    if (TakeFault(bytes)) {
        return nullptr;
    }
    try {
        return ::operator new[](bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

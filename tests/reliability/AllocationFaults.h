#pragma once

// Makes the global allocation operators fail on demand, as they do when memory runs out. The
// executable that links this replaces the nothrow forms of operator new and new[]; every other
// allocation goes on as before.

#include <cstddef>

// The next count nothrow allocations of exactly bytes bytes return null (0 turns it off).
void FailNextAllocationsOf(std::size_t bytes, int count);
// How many of the failures asked for have not happened yet.
int PendingAllocationFaults();

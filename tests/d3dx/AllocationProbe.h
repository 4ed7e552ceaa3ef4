// What the program asks of operator new while a probe is alive: the largest
// single request and the total. The d3dx tests replace the global operator
// new and delete with counting ones (plain malloc and free underneath), so
// that a test can show a reader refused a file before making room for its
// pixels, wherever in the process that room would have come from (a decoded
// level or the runtime's texture).
#pragma once

#include <cstddef>

namespace orvtest {

// One thread runs the tests: plain counters are enough.
extern bool g_AllocationsCounted;
extern size_t g_LargestAllocation, g_AllocatedTotal;

struct AllocationProbe {
    AllocationProbe() { g_LargestAllocation = g_AllocatedTotal = 0, g_AllocationsCounted = true; }
    ~AllocationProbe() { g_AllocationsCounted = false; }
    size_t Largest() const { return g_LargestAllocation; }
    size_t Total() const { return g_AllocatedTotal; }
};

}  // namespace orvtest

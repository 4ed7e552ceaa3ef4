// What the program asks of operator new while a probe is alive: the largest
// single request and the total; and, when asked, every request from the n-th
// on refused. The programs that link this file (the d3dx and kernel tests)
// replace the global operator new and delete with counting ones (plain malloc
// and free underneath), so that a test can show a reader refused a file
// before making room for its pixels, wherever in the process that room would
// have come from (a decoded level or the runtime's texture), or what is left
// when memory runs out part way.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvtest {

// One thread runs the tests: plain counters are enough.
extern bool g_AllocationsCounted;
extern size_t g_LargestAllocation, g_AllocatedTotal, g_Allocations, g_FailFrom;

struct AllocationProbe {
    AllocationProbe() {
        g_LargestAllocation = g_AllocatedTotal = g_Allocations = 0, g_FailFrom = SIZE_MAX;
        g_AllocationsCounted = true;
    }
    ~AllocationProbe() { g_AllocationsCounted = false; }
    size_t Largest() const { return g_LargestAllocation; }
    size_t Total() const { return g_AllocatedTotal; }
    // Requests from the n-th (from 0) on fail while the probe lives.
    void FailFrom(size_t n) { g_FailFrom = n; }
    size_t Count() const { return g_Allocations; }
};

}  // namespace orvtest

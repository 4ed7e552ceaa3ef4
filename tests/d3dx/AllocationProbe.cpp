#include "AllocationProbe.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

// One thread runs the tests: plain counters are enough.
bool g_Armed = false;
size_t g_Largest = 0, g_Total = 0;

}  // namespace

// The array and nothrow forms call these.
void* operator new(size_t size) {
    if (g_Armed) g_Total += size, g_Largest = std::max(g_Largest, size);
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }

namespace orvtest {

AllocationProbe::AllocationProbe() {
    g_Largest = g_Total = 0;
    g_Armed = true;
}

AllocationProbe::~AllocationProbe() { g_Armed = false; }

size_t AllocationProbe::Largest() const { return g_Largest; }
size_t AllocationProbe::Total() const { return g_Total; }

}  // namespace orvtest

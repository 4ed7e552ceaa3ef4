#include "AllocationProbe.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace orvtest {

bool g_AllocationsCounted = false;
size_t g_LargestAllocation = 0, g_AllocatedTotal = 0;

}  // namespace orvtest

// The array and nothrow forms call these.
void* operator new(size_t size) {
    using namespace orvtest;
    if (g_AllocationsCounted) g_AllocatedTotal += size, g_LargestAllocation = std::max(g_LargestAllocation, size);
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }

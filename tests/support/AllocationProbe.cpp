#include "support/AllocationProbe.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace orvtest {

bool g_AllocationsCounted = false;
size_t g_LargestAllocation = 0, g_AllocatedTotal = 0, g_Allocations = 0, g_FailFrom = SIZE_MAX;

}  // namespace orvtest

// Every form is replaced: a sanitizer's own forms would not pair with ours.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    using namespace orvtest;
    if (g_AllocationsCounted) {
        if (g_Allocations++ >= g_FailFrom) return nullptr;
        g_AllocatedTotal += size, g_LargestAllocation = std::max(g_LargestAllocation, size);
    }
    return std::malloc(size ? size : 1);
}
void* operator new(size_t size) {
    if (void* block = ::operator new(size, std::nothrow)) return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return ::operator new(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return ::operator new(size, std::nothrow); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

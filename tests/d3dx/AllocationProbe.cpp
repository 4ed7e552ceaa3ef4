#include "AllocationProbe.h"

#include <cstdlib>
#include <new>

namespace {

// One thread runs the tests: plain counters are enough.
bool g_Armed = false;
size_t g_Largest = 0, g_Total = 0;

void* Allocate(size_t size) {
    if (g_Armed) {
        g_Total += size;
        if (size > g_Largest) g_Largest = size;
    }
    return std::malloc(size ? size : 1);
}

}  // namespace

void* operator new(size_t size) {
    if (void* block = Allocate(size)) return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return ::operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace orvtest {

AllocationProbe::AllocationProbe() {
    g_Largest = g_Total = 0;
    g_Armed = true;
}

AllocationProbe::~AllocationProbe() { g_Armed = false; }

size_t AllocationProbe::Largest() const { return g_Largest; }
size_t AllocationProbe::Total() const { return g_Total; }

}  // namespace orvtest

// KERNEL32 pieces: the calling thread's last error, MulDiv and the program's
// module handle. The last-error
// calls are not journaled: they are per-thread bookkeeping that every failing
// stand-in uses, and a failure injected into them would mean nothing.
#include <orv/PlatformControl.h>

#include <climits>
#include <cstdint>

namespace {

thread_local DWORD t_LastError = ERROR_SUCCESS;

}  // namespace

extern "C" {

DWORD WINAPI GetLastError(void) { return t_LastError; }

void WINAPI SetLastError(DWORD error) { t_LastError = error; }

// number * numerator / denominator with a 64-bit intermediate, rounded half
// away from zero; -1 for a zero denominator or a result outside int's range.
int WINAPI MulDiv(int number, int numerator, int denominator) {
    orvplatform::CallScope scope("MulDiv", {static_cast<uint64_t>(number),
                                            static_cast<uint64_t>(numerator),
                                            static_cast<uint64_t>(denominator)});
    if (scope.Injected()) {
        SetLastError(static_cast<DWORD>(scope.InjectedResult()) & 0xFFFF);
        return scope.Finish(-1);
    }
    if (denominator == 0) return scope.Finish(-1);
    int64_t product = int64_t{number} * numerator;
    bool negative = (product < 0) != (denominator < 0);
    uint64_t magnitude = product < 0 ? 0 - static_cast<uint64_t>(product)
                                     : static_cast<uint64_t>(product);
    uint64_t divisor = denominator < 0 ? 0 - static_cast<uint64_t>(int64_t{denominator})
                                       : static_cast<uint64_t>(denominator);
    uint64_t quotient = (magnitude + divisor / 2) / divisor;
    uint64_t limit = negative ? uint64_t{INT_MAX} + 1 : uint64_t{INT_MAX};
    if (quotient > limit) return scope.Finish(-1);
    int64_t result = negative ? -static_cast<int64_t>(quotient) : static_cast<int64_t>(quotient);
    return scope.Finish(static_cast<int>(result));
}

// Only the program itself is a module here.
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    constexpr uintptr_t kProgramModule = 0x00400000;
    if (moduleName) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(kProgramModule);
}

}  // extern "C"

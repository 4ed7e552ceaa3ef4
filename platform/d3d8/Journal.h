// Argument encoding for the platform journal: integers and enumerations by
// value, pointers by address, floats by their bit pattern.
#pragma once

#include <orv/PlatformControl.h>

#include <cstdint>
#include <type_traits>

namespace orvd3d8 {

template <typename T>
inline uint64_t J(T value) {
    if constexpr (std::is_pointer_v<T>)
        return orvplatform::Arg(value);
    else if constexpr (std::is_floating_point_v<T>)
        return orvplatform::FloatBits(static_cast<float>(value));
    else if constexpr (std::is_enum_v<T>)
        return static_cast<uint64_t>(static_cast<std::underlying_type_t<T>>(value));
    else
        return static_cast<uint64_t>(value);
}

inline uint64_t J(std::nullptr_t) { return 0; }

}  // namespace orvd3d8

// Opens the journal entry of an operation and returns the injected result when
// a failure applies. `scope` must be named `scope` in the calling method, and
// every other return goes through scope.Finish so the journal sees the result.
#define ORV_CALL(api, ...)                            \
    orvplatform::CallScope scope(api, {__VA_ARGS__}); \
    if (scope.Injected()) return scope.Finish(scope.InjectedResult())

// The same for operations without an HRESULT: an injected failure makes them
// return `failed` (a count of 0, a null handle) and do nothing else.
#define ORV_CALL_OR(failed, api, ...)                 \
    orvplatform::CallScope scope(api, {__VA_ARGS__}); \
    if (scope.Injected()) return failed

#define ORV_CALL_VOID(api, ...)                       \
    orvplatform::CallScope scope(api, {__VA_ARGS__}); \
    if (scope.Injected()) return

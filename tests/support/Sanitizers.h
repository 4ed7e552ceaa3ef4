// Whether AddressSanitizer (and with it the leak checker) instruments this
// build: GCC says so with __SANITIZE_ADDRESS__, clang through __has_feature.
// The sanitized build defines ORV_SANITIZED_BUILD, so that a check that asks
// cannot quietly switch itself off there.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define ORV_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORV_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef ORV_ADDRESS_SANITIZER
#define ORV_ADDRESS_SANITIZER 0
#endif

#if defined(ORV_SANITIZED_BUILD) && !ORV_ADDRESS_SANITIZER
#error "the sanitized build, but the compiler reports no AddressSanitizer"
#endif

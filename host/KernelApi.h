// Export and import of the host kernel library's classes.
#pragma once

#if defined(_WIN32)
#if defined(ORV_KERNEL_BUILD)
#define ORVKERNEL_API __declspec(dllexport)
#else
#define ORVKERNEL_API __declspec(dllimport)
#endif
#else
#define ORVKERNEL_API __attribute__((visibility("default")))
#endif

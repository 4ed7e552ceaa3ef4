// The time the extension-routine benchmarks measure by.
#pragma once

#include <chrono>
#include <ctime>

// The calling thread's processor time: both sides of a comparison run on this
// thread, and other programs on a shared machine take turns with it in
// wall-clock time but not in this. The kernel's time spent on this thread's
// page faults counts.
inline double ThreadSeconds() {
#ifdef CLOCK_THREAD_CPUTIME_ID
    timespec now;
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) == 0) return now.tv_sec + now.tv_nsec * 1e-9;
#endif
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

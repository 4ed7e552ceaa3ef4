// Forced into GoogleTest's own sources for the Windows build: the MinGW-w64
// runtime with Win32 threads has no std::mutex, which GoogleTest's
// Notification needs; only GoogleTest's own tests use it, so an empty one
// does.
#pragma once

namespace testing {
namespace internal {
class Notification {
public:
    void Notify() {}
    void WaitForNotification() {}
};
}  // namespace internal
}  // namespace testing

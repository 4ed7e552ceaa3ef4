// Thousands of frames of the host session in a row, with the journal off as a
// host program runs: animated textures, material switches and text every
// frame. After a warm-up (the stand-in keeps the last 4096 draws), the heap
// in use, the live Direct3D and GDI objects and the log stay where they were.
#include <gtest/gtest.h>

#include <malloc.h>

#include <chrono>
#include <cstdio>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "HostScenario.h"
#include "support/Sanitizers.h"

#if ORV_ADDRESS_SANITIZER
// The sanitizer's allocator statistics (GCC does not ship their header).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using orvsweep::HostScenario;

constexpr int kWarmUpFrames = 500;
constexpr int kMeasuredFrames = 2500;
// Growth allowed over the measured frames, for the allocator's bookkeeping:
// a leak of 4 bytes a frame would show.
constexpr size_t kHeapSlack = 8 * 1024;

// Bytes the program has allocated and not freed.
size_t HeapInUse() {
#if ORV_ADDRESS_SANITIZER
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;  // small blocks and mapped ones
#endif
}

struct Snapshot { size_t heap, direct3D, gdi, lines; };

TEST(Soak, ThousandsOfFramesKeepMemoryObjectsAndLogFlat) {
    orvplatform::ResetAll();
    orvplatform::EnableJournal(false);
    // Pixels are not what this is about; the draws are checked and recorded
    // all the same.
    orvd3d8::EnableRasterizer(false);
    const size_t gdiAtStart = orvplatform::LiveGdiObjectCount();
    {
        HostScenario scenario;
        for (const HostScenario::Step& step : HostScenario::Opening()) scenario.Run(step);
        const auto frames = [&scenario, frame = HostScenario::OneFrame()](int count) {
            for (int i = 0; i < count; ++i)
                for (const HostScenario::Step& step : frame) scenario.Run(step);
            return Snapshot{HeapInUse(), orvd3d8::LiveObjectCount(), orvplatform::LiveGdiObjectCount(),
                            scenario.Lines().size()};
        };
        const Snapshot warm = frames(kWarmUpFrames);
        const auto start = std::chrono::steady_clock::now();
        const Snapshot end = frames(kMeasuredFrames);
        std::printf("Heap in use after %d frames: %zu bytes; after %d more: %zu bytes; %zu Direct3D and %zu GDI "
                    "objects alive; %.2f ms a frame\n",
                    kWarmUpFrames, warm.heap, kMeasuredFrames, end.heap, end.direct3D, end.gdi,
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
                        kMeasuredFrames);
        EXPECT_LE(end.heap, warm.heap + kHeapSlack);
        EXPECT_EQ(end.direct3D, warm.direct3D);
        EXPECT_EQ(end.gdi, warm.gdi);
        EXPECT_EQ(end.lines, warm.lines) << scenario.Lines().back();
        EXPECT_GT(warm.direct3D, 0u);
    }
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 0u);
    EXPECT_EQ(orvplatform::LiveGdiObjectCount(), gdiAtStart);
}

}  // namespace

// The goal of every ratio the benchmarks report: the most its median may be,
// by the name Google Benchmark gives the measuring benchmark. Ratios without
// an entry are shown in the summary without a goal.
#pragma once

#include <cstddef>
#include <string_view>

namespace orvbench {

struct RatioGoal {
    std::string_view name;
    double most;  // the median ratio meets the goal at or below this
};

inline constexpr RatioGoal kRatioGoals[] = {
    // The draws against the device calls they make (bench/geometry).
    {"RenderVertexBuffer4Passes", 1.05},
    {"RenderVertices", 1.05},
    {"RenderScreenQuad", 1.05},
    // Materials against the device calls they make (bench/material).
    {"SetMaterialSwitching", 1.1},
    {"EightLayerDrawOnTwoStages", 1.1},
    // The registry against a hash map of lowercased names and a bare bind
    // (bench/plugin).
    {"FindTextureByName/last:1", 4.0},
    {"FindTextureByName/last:0", 4.0},
    {"SetTexture", 1.1},
    // Texture decoding against libsquish, ZAR loads against reading the
    // file's bytes (bench/texture).
    {"DxtDecodeAgainstSquish/1", 1.0},
    {"DxtDecodeAgainstSquish/5", 1.0},
    {"ZarLoadAgainstFileRead/1", 1.1},
    {"ZarLoadAgainstFileRead/5", 1.1},
    // Image loads and mip chains against their libraries and a copy
    // (bench/d3dx).
    {"BM_LoadPngWithMipChainVsLibpng", 1.05},
    {"BM_LoadJpegWithMipChainVsLibjpeg", 1.1},
    {"BM_MipChainVsMemcpy", 1.0},
    // Rebuilding a DXT1 level: at least 1.3 times as fast as libsquish's range
    // fit, with an error within 5 % of its cluster fit's (bench/d3dx).
    {"BM_RebuildDxt1TextureLikeVsSquish", 1.0 / 1.3},
    {"BM_Dxt1TextureLikeErrorVsClusterFit", 1.05},
    // Capture (bench/replay): a frame recorded against the same frame plain;
    // the demo's capture against the files it read plus 64 KiB.
    {"RecordingOverhead", 1.10},
    {"CaptureSizeAgainstFiles", 1.0},
};

constexpr bool GoalsArePositiveAndNamed() {
    for (const RatioGoal& goal : kRatioGoals)
        if (goal.name.empty() || !(goal.most > 0.0)) return false;
    return true;
}
static_assert(GoalsArePositiveAndNamed(), "every goal names a ratio and a positive bound");

constexpr bool GoalsAreNamedOnce() {
    for (size_t i = 0; i < std::size(kRatioGoals); ++i)
        for (size_t j = i + 1; j < std::size(kRatioGoals); ++j)
            if (kRatioGoals[i].name == kRatioGoals[j].name) return false;
    return true;
}
static_assert(GoalsAreNamedOnce(), "one goal per ratio");

}  // namespace orvbench

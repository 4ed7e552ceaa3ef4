// Rebuilding a 512 x 512 DXT1 level, as a texture load does for the levels a
// file does not store: the pixel library's encoder against libsquish's range
// fit in time, and against its cluster fit in error (the ...ErrorVsClusterFit
// ratio: RMSE over RMSE), on a texture-like picture and on noise; the goals
// are in support/RatioGoals.h. Counters: each side's RMSE over the decoded
// pixels and the largest distance a 4x4 block's mean colour moves
// (block_shift; for ours on the texture-like picture at most 8).
#include <benchmark/benchmark.h>

#include <squish.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <d3d8.h>

#include "pixels/BlockCodec.h"
#include "support/InterleavedRatio.h"

namespace {

constexpr UINT kSide = 512;
constexpr UINT kBlockSide = 4;
constexpr size_t kBlockBytes = 8;
constexpr size_t kBlockPitch = kSide / kBlockSide * kBlockBytes;

uint32_t Hash(uint32_t x, uint32_t y) {
    uint32_t h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Value noise of several octaves, as a stone or wood texture: smooth areas
// with detail at every scale down to single pixels.
constexpr double kPersistence = 0.6;
constexpr UINT kFinestCell = 1;
uint32_t TextureLike(UINT x, UINT y) {
    double channels[3] = {};
    for (int c = 0; c < 3; ++c) {
        double sum = 0, amplitude = 1, total = 0;
        for (UINT cell = 64; cell >= kFinestCell; cell /= 2, total += amplitude, amplitude *= kPersistence) {
            const UINT cx = x / cell, cy = y / cell;
            const double fx = double(x % cell) / cell, fy = double(y % cell) / cell;
            const auto v = [&](UINT i, UINT j) { return (Hash(i + 97 * c, j) & 0xFFFF) / 65535.0; };
            const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
            const double top = v(cx, cy) * (1 - sx) + v(cx + 1, cy) * sx;
            const double bottom = v(cx, cy + 1) * (1 - sx) + v(cx + 1, cy + 1) * sx;
            sum += amplitude * (top * (1 - sy) + bottom * sy);
        }
        channels[c] = 255 * sum / total;
    }
    const auto byte = [](double v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return 0xFF000000u | byte(channels[0]) << 16 | byte(channels[1]) << 8 | byte(channels[2]);
}

uint32_t Noise(UINT x, UINT y) { return 0xFF000000u | (Hash(x, y) & 0xFFFFFF); }

std::vector<uint32_t> Picture(uint32_t (*pixel)(UINT, UINT)) {
    std::vector<uint32_t> argb(size_t{kSide} * kSide);
    for (UINT y = 0; y < kSide; ++y)
        for (UINT x = 0; x < kSide; ++x) argb[size_t{y} * kSide + x] = pixel(x, y);
    return argb;
}

void Ours(const std::vector<uint32_t>& argb, std::vector<uint8_t>& blocks) {
    CompressBlocks(D3DFMT_DXT1, argb.data(), size_t{kSide} * 4, kSide, kSide, blocks.data(), kBlockPitch);
}

void Squish(const std::vector<uint32_t>& argb, std::vector<uint8_t>& blocks, int fit) {
    std::vector<uint8_t> rgba(argb.size() * 4);
    for (size_t i = 0; i < argb.size(); ++i) {
        rgba[4 * i] = static_cast<uint8_t>(argb[i] >> 16);
        rgba[4 * i + 1] = static_cast<uint8_t>(argb[i] >> 8);
        rgba[4 * i + 2] = static_cast<uint8_t>(argb[i]);
        rgba[4 * i + 3] = static_cast<uint8_t>(argb[i] >> 24);
    }
    squish::CompressImage(rgba.data(), kSide, kSide, blocks.data(), squish::kDxt1 | fit);
}

struct Quality {
    double rmse = 0;
    double worstBlockShift = 0;
};

Quality Measure(const std::vector<uint32_t>& argb, const std::vector<uint8_t>& blocks) {
    std::vector<uint32_t> decoded(argb.size());
    DecodeBlocks(D3DFMT_DXT1, blocks.data(), kBlockPitch, kSide, kSide, decoded.data(), size_t{kSide} * 4,
                 BlockRounding::Truncated);
    Quality quality;
    double squares = 0;
    for (UINT by = 0; by < kSide; by += kBlockSide)
        for (UINT bx = 0; bx < kSide; bx += kBlockSide) {
            double shift[3] = {};
            for (UINT y = by; y < by + kBlockSide; ++y)
                for (UINT x = bx; x < bx + kBlockSide; ++x)
                    for (int c = 0; c < 3; ++c) {
                        const size_t i = size_t{y} * kSide + x;
                        const int d = int(decoded[i] >> (8 * c) & 0xFF) - int(argb[i] >> (8 * c) & 0xFF);
                        squares += d * d;
                        shift[c] += d;
                    }
            for (double s : shift)
                quality.worstBlockShift = std::max(quality.worstBlockShift, std::abs(s) / (kBlockSide * kBlockSide));
        }
    quality.rmse = std::sqrt(squares / (double(argb.size()) * 3));
    return quality;
}

void RebuildDxt1Level(benchmark::State& state, uint32_t (*pixel)(UINT, UINT)) {
    const std::vector<uint32_t> argb = Picture(pixel);
    std::vector<uint8_t> ours(kBlockPitch * kSide / kBlockSide), range(ours.size());
    orvbench::MeasureRatio(
        state, [&] { Ours(argb, ours); benchmark::DoNotOptimize(ours.data()); },
        [&] { Squish(argb, range, squish::kColourRangeFit); benchmark::DoNotOptimize(range.data()); });
    const Quality oursQuality = Measure(argb, ours), rangeQuality = Measure(argb, range);
    state.counters["rmse"] = oursQuality.rmse;
    state.counters["rmse_range_fit"] = rangeQuality.rmse;
    state.counters["block_shift"] = oursQuality.worstBlockShift;
    state.counters["block_shift_range_fit"] = rangeQuality.worstBlockShift;
}

// The error of ours over cluster fit's, which takes far too long to time in
// a loop: encoded once, the ratio is exact.
void Dxt1ErrorAgainstClusterFit(benchmark::State& state, uint32_t (*pixel)(UINT, UINT)) {
    const std::vector<uint32_t> argb = Picture(pixel);
    std::vector<uint8_t> ours(kBlockPitch * kSide / kBlockSide), cluster(ours.size());
    for (auto _ : state) {
        Ours(argb, ours);
        Squish(argb, cluster, squish::kColourClusterFit);
    }
    const Quality oursQuality = Measure(argb, ours), clusterQuality = Measure(argb, cluster);
    state.counters["ratio"] = oursQuality.rmse / clusterQuality.rmse;
    state.counters["rmse"] = oursQuality.rmse;
    state.counters["rmse_cluster_fit"] = clusterQuality.rmse;
    state.counters["block_shift"] = oursQuality.worstBlockShift;
    state.counters["block_shift_cluster_fit"] = clusterQuality.worstBlockShift;
}

void BM_RebuildDxt1TextureLikeVsSquish(benchmark::State& state) { RebuildDxt1Level(state, TextureLike); }
BENCHMARK(BM_RebuildDxt1TextureLikeVsSquish)->Unit(benchmark::kMillisecond);

void BM_RebuildDxt1NoiseVsSquish(benchmark::State& state) { RebuildDxt1Level(state, Noise); }
BENCHMARK(BM_RebuildDxt1NoiseVsSquish)->Unit(benchmark::kMillisecond);

void BM_Dxt1TextureLikeErrorVsClusterFit(benchmark::State& state) {
    Dxt1ErrorAgainstClusterFit(state, TextureLike);
}
BENCHMARK(BM_Dxt1TextureLikeErrorVsClusterFit)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

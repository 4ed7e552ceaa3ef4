// Texture hot paths, each interleaved with its reference: software DXT
// decoding of a 1024 x 1024 frame against libsquish's decompression of the
// same blocks, loading a 1024 x 1024 DXT ZAR file through the driver on a
// device that samples DXT against reading the file's bytes. The registry's
// lookups are measured with the driver's other operations (bench/plugin).
#include <benchmark/benchmark.h>
#include <squish.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "pixels/BlockCodec.h"
#include "host/File.h"
#include "host/FileSystem.h"
#include "host/Kernel.h"
#include "texture/PixelFormats.h"
#include "texture/ZarFormat.h"
#include "support/BenchDisplay.h"
#include "support/InterleavedRatio.h"

namespace {

using orvbench::Display;

constexpr unsigned kSide = 1024;
// The decoded picture fits the processor's own cache: the decoders are
// compared, not the memory another program shares with them.
constexpr unsigned kDecodeSide = 256;

std::vector<uint8_t> NoiseBlocks(size_t bytes, uint32_t seed) {
    std::vector<uint8_t> data(bytes);
    for (uint8_t& byte : data) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(seed >> 24);
    }
    return data;
}

size_t FrameBytes(int compression, unsigned side = kSide) {
    return (side / 4) * (side / 4) * (compression == 1 ? 8 : 16);
}

void DxtDecodeAgainstSquish(benchmark::State& state) {
    const int compression = static_cast<int>(state.range(0));
    const std::vector<uint8_t> blocks = NoiseBlocks(FrameBytes(compression, kDecodeSide), 42);
    std::vector<uint8_t> ours(kDecodeSide * kDecodeSide * 4), theirs(kDecodeSide * kDecodeSide * 4);
    const PixelPacking packing = PixelPacking::Of(D3DFMT_A8R8G8B8);
    const D3DFORMAT format = DxtFormat(static_cast<unsigned>(compression));
    const int flags = compression == 1 ? squish::kDxt1 : squish::kDxt5;
    orvbench::MeasureRatio(
        state,
        [&] {
            DecodeDxtImage(format, blocks.data(), kDecodeSide, kDecodeSide, packing, 4, ours.data(), kDecodeSide * 4,
                           BlockRounding::Nearest);
            benchmark::DoNotOptimize(ours.data());
        },
        [&] {
            squish::DecompressImage(theirs.data(), kDecodeSide, kDecodeSide, blocks.data(), flags);
            benchmark::DoNotOptimize(theirs.data());
        });
}
BENCHMARK(DxtDecodeAgainstSquish)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

std::string ScratchDirectory() {
    const std::string directory = "/tmp/orv_bench_texture_" + std::to_string(getpid());
    mkdir(directory.c_str(), 0755);
    return directory;
}

bool WriteZar(const std::string& path, uint16_t side, int compression, uint32_t seed) {
    zar::Header header;
    header.width = header.height = side;
    header.compression = static_cast<uint8_t>(compression);
    header.layoutFlags = compression ? 0 : 0x0009;
    uint8_t bytes[zar::kHeaderSize];
    zar::WriteHeader(header, bytes);
    uint64_t columns, rows;
    zar::TopLevelShape(header, &columns, &rows);
    const std::vector<uint8_t> payload = NoiseBlocks(columns * rows * zar::ElementSize(header), seed);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes &&
                         std::fwrite(payload.data(), 1, payload.size(), file) == payload.size();
    return std::fclose(file) == 0 && written;
}

void ZarLoadAgainstFileRead(benchmark::State& state) {
    const int compression = static_cast<int>(state.range(0));
    Display display;
    if (!display) return state.SkipWithError("no display");
    const std::string path = ScratchDirectory() + "/frame.zar";
    if (!WriteZar(path, kSide, compression, 7)) return state.SkipWithError("cannot write");
    FileSystem* files = display.GetKernel().m_pFileSystem;
    std::vector<uint8_t> buffer(zar::kHeaderSize + FrameBytes(compression));
    orvbench::MeasureRatio(
        state,
        [&] {
            Texture* texture = display->CreateTextureFromFile(path.c_str(), false, true);
            display->ReleaseTexture(texture);
        },
        [&] {
            File* file = files->OpenReading(path.c_str());
            if (!file) return;
            file->Read(buffer.data(), static_cast<unsigned long>(buffer.size()));
            file->Close();
        });
    std::remove(path.c_str());
}
BENCHMARK(ZarLoadAgainstFileRead)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace

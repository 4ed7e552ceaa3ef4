// The texture registry among 10,000 registered textures, each driver
// operation interleaved with a reference, journal and rasteriser off: the
// lookup by name of the last texture registered and of an absent name
// against a bare hash-map lookup of the same names already in lower case
// (well under a microsecond either way), and SetTexture of a registered
// texture against binding that texture directly, without the driver's check
// of the pointer.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/FileSystem.h"
#include "host/Texture.h"
#include "plugin/D3DDriver.h"
#include "support/BenchDisplay.h"
#include "support/InterleavedRatio.h"
#include "texture/D3DTexture.h"
#include "texture/ZarFormat.h"

namespace {

constexpr unsigned kTextures = 10000;

// One display with kTextures textures registered from 1 x 1 ZAR files named
// Texture_<n>.ZAR, made once for all the benchmarks of the run.
class Registry {
public:
    static Registry& Get() {
        static Registry registry;
        return registry;
    }
    explicit operator bool() const { return m_bReady; }
    D3DDriver* Driver() const { return static_cast<D3DDriver*>(m_Display.Renderer()); }
    Texture* Last() const { return m_pLast; }

private:
    Registry() : m_Directory("/tmp/orv_bench_registry_" + std::to_string(getpid())) {
        if (!m_Display) return;
        mkdir(m_Directory.c_str(), 0755);
        // The textures are registered by names relative to the kernel's base
        // directory: the same names, and so the same hash buckets, in every
        // run, whatever the process's number.
        m_Display.GetKernel().m_pFileSystem->SetBaseDirectory(m_Directory.c_str());
        for (unsigned i = 0; i < kTextures; ++i) {
            const std::string name = "Texture_" + std::to_string(i) + ".ZAR";
            const std::string path = m_Directory + "/" + name;
            if (!WriteZar(path)) return;
            m_pLast = m_Display->CreateTextureFromFile(name.c_str(), false, false);
            std::remove(path.c_str());
            if (!m_pLast) return;
        }
        rmdir(m_Directory.c_str());
        m_bReady = true;
    }

    static bool WriteZar(const std::string& path) {
        zar::Header header;
        header.width = header.height = 1;
        header.layoutFlags = 0x0009;
        uint8_t bytes[zar::kHeaderSize + 4] = {};
        zar::WriteHeader(header, bytes);
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) return false;
        const bool written = std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
        return std::fclose(file) == 0 && written;
    }

    orvbench::Display m_Display;
    std::string m_Directory;
    Texture* m_pLast = nullptr;
    bool m_bReady = false;
};

// The name asked for: the last one registered, in other letters' case, or
// one that is not there.
std::string Wanted(bool last) { return last ? "texture_9999.zar" : "absent.zar"; }

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

void FindTextureByName(benchmark::State& state) {
    Registry& registry = Registry::Get();
    if (!registry) return state.SkipWithError("no registry");
    const bool last = state.range(0) != 0;
    const String wanted(Wanted(last).c_str());
    std::unordered_map<std::string, int> names;
    for (unsigned i = 0; i < kTextures; ++i)
        names.emplace(Lower("Texture_" + std::to_string(i) + ".ZAR"),
                      static_cast<int>(i));
    const std::string lowered = Lower(Wanted(last));
    orvbench::MeasureRatio(
        state, [&] { benchmark::DoNotOptimize(registry.Driver()->FindTextureByName(wanted)); },
        [&] { benchmark::DoNotOptimize(names.find(lowered)); });
}
BENCHMARK(FindTextureByName)->ArgName("last")->Arg(1)->Arg(0);

void SetTexture(benchmark::State& state) {
    Registry& registry = Registry::Get();
    if (!registry) return state.SkipWithError("no registry");
    D3DTexture* texture = static_cast<D3DTexture*>(registry.Last());
    orvbench::MeasureRatio(
        state, [&] { registry.Driver()->SetTexture(0, registry.Last()); },
        [&] { benchmark::DoNotOptimize(texture->Bind(0)); });
}
BENCHMARK(SetTexture);

}  // namespace

#include "FuzzSupport.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

namespace orvfuzz {

void ConfigurePlatform() {
    orvplatform::ResetAll();
    orvplatform::EnableJournal(false);
    orvd3d8::AdapterConfig plain = orvd3d8::DefaultAdapter();
    plain.description = "Orv Plain Rasterizer";
    plain.textureCaps |= D3DPTEXTURECAPS_POW2;
    std::vector<D3DFORMAT> formats;
    for (D3DFORMAT format : plain.textureFormats)
        if (format < D3DFMT_DXT1 || format > D3DFMT_DXT5) formats.push_back(format);
    plain.textureFormats = formats;
    orvd3d8::SetAdapters({orvd3d8::DefaultAdapter(), plain});
}

const std::string& ScratchDirectory() {
    // Kept to the very end: the exit handler below still needs it.
    static const std::string* directory = [] {
        // Under TMPDIR, which run-fuzzer.sh points into memory where the
        // machine offers it: every input is a file.
        std::string pattern = (std::filesystem::temp_directory_path() / "orvfuzz.XXXXXX").string();
        if (!mkdtemp(&pattern[0])) Fail("a scratch directory can be made");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchDirectory(), ignored);
        });
        return new std::string(pattern);
    }();
    return *directory;
}

std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = ScratchDirectory() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) Fail("the scratch file can be written");
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) Fail("the scratch file can be written");
    return path;
}

LiveObjects CountLiveObjects() { return {orvd3d8::LiveObjectCount(), orvplatform::LiveGdiObjectCount()}; }

void RequireNothingLeft(const LiveObjects& baseline, const char* after) {
    const LiveObjects now = CountLiveObjects();
    if (now.direct3D == baseline.direct3D && now.gdi == baseline.gdi) return;
    std::fprintf(stderr, "== %s left objects alive: Direct3D %zu (before %zu), GDI %zu (before %zu)\n",
                 after, now.direct3D, baseline.direct3D, now.gdi, baseline.gdi);
    for (const std::string& object : orvd3d8::LiveObjectDescriptions())
        std::fprintf(stderr, "   %s\n", object.c_str());
    abort();
}

void Fail(const char* expectation) {
    std::fprintf(stderr, "== expected: %s\n", expectation);
    abort();
}

}  // namespace orvfuzz

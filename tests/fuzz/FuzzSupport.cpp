#include "FuzzSupport.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

namespace orvfuzz {

namespace {

size_t g_Direct3DBaseline = 0, g_GdiBaseline = 0;

}  // namespace

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
    const bool written = file && (size == 0 || std::fwrite(data, 1, size, file) == size);
    if (!file || std::fclose(file) != 0 || !written) Fail("the scratch file can be written");
    return path;
}

void TakeBaseline() {
    g_Direct3DBaseline = orvd3d8::LiveObjectCount();
    g_GdiBaseline = orvplatform::LiveGdiObjectCount();
}

void RequireNothingLeft(const char* after) {
    const size_t direct3D = orvd3d8::LiveObjectCount(), gdi = orvplatform::LiveGdiObjectCount();
    if (direct3D == g_Direct3DBaseline && gdi == g_GdiBaseline) return;
    std::fprintf(stderr, "== %s left objects alive: Direct3D %zu (before %zu), GDI %zu (before %zu)\n", after,
                 direct3D, g_Direct3DBaseline, gdi, g_GdiBaseline);
    for (const std::string& object : orvd3d8::LiveObjectDescriptions()) std::fprintf(stderr, "   %s\n", object.c_str());
    abort();
}

void Fail(const char* expectation) {
    std::fprintf(stderr, "== expected: %s\n", expectation);
    abort();
}

}  // namespace orvfuzz

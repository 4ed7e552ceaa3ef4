#include "FuzzHost.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/FileSystem.h"

// The plug-in's objects are linked in: its export is called directly.
extern "C" RenderDevice* CreatePlugin(Kernel* kernel);

namespace orvfuzz {

namespace {

// A windowed display takes any size; a small back buffer keeps frames cheap.
constexpr unsigned kWidth = 64, kHeight = 48, kBitsPerPixel = 32, kRefreshRate = 60;
constexpr unsigned kPlainTextureBits = 16;

size_t g_Direct3DBaseline = 0, g_GdiBaseline = 0;

void ConfigurePlatform() {
    orvplatform::ResetAll();
    orvplatform::EnableJournal(false);
    orvd3d8::AdapterConfig plain = orvd3d8::DefaultAdapter();
    plain.description = "Orv Plain Rasterizer";
    plain.textureCaps |= D3DPTEXTURECAPS_POW2;
    plain.textureFormats.clear();
    for (D3DFORMAT format : orvd3d8::DefaultAdapter().textureFormats)
        if (format < D3DFMT_DXT1 || format > D3DFMT_DXT5) plain.textureFormats.push_back(format);
    orvd3d8::SetAdapters({orvd3d8::DefaultAdapter(), plain});
}

}  // namespace

FuzzHost::FuzzHost(unsigned adapter) : m_pKernel(std::make_unique<Kernel>(nullptr, false)) {
    m_pKernel->m_pFileSystem->SetBaseDirectory(ORV_EXAMPLES_DIR);
    m_pDriver = CreatePlugin(m_pKernel.get());
    if (!m_pDriver) Fail("CreatePlugin gives a driver");
    if (!m_pDriver->SetDisplayMode(kWidth, kHeight, kBitsPerPixel, kRefreshRate, adapter, true))
        Fail("the driver sets a windowed display");
    if (!(m_pDevice = orvd3d8::LastDevice())) Fail("the display has a device");
}

FuzzHost::~FuzzHost() { delete m_pDriver; }

const std::array<FuzzHost*, kAdapterCount>& FuzzHost::OnEveryAdapter() {
    // Never destroyed: the hosts live as long as the process.
    static std::array<FuzzHost*, kAdapterCount> hosts = {};
    if (!hosts[0]) {
        ConfigurePlatform();
        for (unsigned adapter = 0; adapter < kAdapterCount; ++adapter) hosts[adapter] = new FuzzHost(adapter);
        hosts[kPlainAdapter]->Driver()->SetTextureBitDepth(kPlainTextureBits);
        TakeBaseline();
    }
    return hosts;
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
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size)).flush())
        Fail("the scratch file can be written");
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

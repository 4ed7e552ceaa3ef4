#include "FuzzHost.h"

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "FuzzSupport.h"
#include "host/FileSystem.h"

// The plug-in's objects are linked in: its export is called directly.
extern "C" RenderDevice* CreatePlugin(Kernel* kernel);

namespace orvfuzz {

namespace {

// A windowed display takes any size; a small back buffer keeps frames cheap.
constexpr unsigned kWidth = 64, kHeight = 48, kBitsPerPixel = 32, kRefreshRate = 60;
constexpr unsigned kPlainTextureBits = 16;

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

}  // namespace orvfuzz

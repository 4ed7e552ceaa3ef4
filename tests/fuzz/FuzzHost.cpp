#include "FuzzHost.h"

#include <orv/D3D8Control.h>

#include "FuzzSupport.h"
#include "host/FileSystem.h"

// The plug-in's objects are linked in: its export is called directly.
extern "C" RenderDevice* CreatePlugin(Kernel* kernel);

namespace orvfuzz {

namespace {

// A windowed display takes any size; a small back buffer keeps frames cheap.
constexpr unsigned kWidth = 64, kHeight = 48, kBitsPerPixel = 32, kRefreshRate = 60;

}  // namespace

FuzzHost::FuzzHost(unsigned adapter, const char* baseDirectory)
    : m_pKernel(std::make_unique<Kernel>(nullptr, false)) {
    m_pKernel->m_pFileSystem->SetBaseDirectory(baseDirectory);
    m_pDriver = CreatePlugin(m_pKernel.get());
    if (!m_pDriver) Fail("CreatePlugin gives a driver");
    if (!m_pDriver->SetDisplayMode(kWidth, kHeight, kBitsPerPixel, kRefreshRate, adapter, true))
        Fail("the driver sets a windowed display");
    m_pDevice = orvd3d8::LastDevice();
    if (!m_pDevice) Fail("the display has a device");
}

FuzzHost::~FuzzHost() { delete m_pDriver; }

void FuzzHost::ForgetDraws() const { orvd3d8::ClearDraws(m_pDevice); }

}  // namespace orvfuzz

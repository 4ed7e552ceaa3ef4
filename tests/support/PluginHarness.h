// Drives the plug-in the way the host does: loads the library by path,
// resolves its two exports and creates drivers with a kernel whose log lines
// the test can read.
#pragma once

#include <gtest/gtest.h>

#include <d3d8.h>

#include <memory>
#include <string>
#include <vector>

#include "host/Kernel.h"
#include "host/RenderDevice.h"

namespace orvtest {

// The loaded plug-in library; loaded once per test program.
struct PluginLibrary {
    void* handle = nullptr;
    CreatePluginFunction createPlugin = nullptr;
    GetRendererVersionFunction getRendererVersion = nullptr;
};
const PluginLibrary& LoadPlugin();

// Base fixture: every platform stand-in reset, a fresh capturing kernel, and
// at the end no Direct3D object left alive.
class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A driver from CreatePlugin (null when it refused); destroyed at the
    // end of the test unless the test destroys it first with Destroy.
    RenderDevice* Create();
    void Destroy(RenderDevice* device);
    // Create, then a windowed display of the given size; fails the test
    // when the display cannot be set.
    RenderDevice* CreateWindowed(unsigned width = 640, unsigned height = 480);

    const std::vector<std::string>& Lines() const { return m_pKernel->GetCapturedLines(); }
    void ClearLines() { m_pKernel->ClearCapturedLines(); }
    // True when some captured line equals `line`.
    bool Logged(const std::string& line) const;
    size_t CountLogged(const std::string& line) const;

    Kernel* kernel() const { return m_pKernel.get(); }
    // Scratch directory for files a test writes (created on demand).
    static std::string OutputPath(const std::string& name);

    std::unique_ptr<Kernel> m_pKernel;
    std::vector<RenderDevice*> m_Devices;
};

// A fixture whose tests start with a windowed 640 x 480 display: the driver
// as the host sees it, and the stand-in device behind it.
class DisplayTest : public PluginTest {
protected:
    void SetUp() override;

    RenderDevice* m_pRenderer = nullptr;
    IDirect3DDevice8* m_pD3D = nullptr;
};

}  // namespace orvtest

// One windowed 640 x 480 display for a benchmark run, on the stand-in runtime
// with its journal and rasteriser off: what is timed is the driver's own work
// and the device calls it makes.
#pragma once

#include <memory>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Kernel.h"
#include "host/RenderDevice.h"

extern "C" RenderDevice* CreatePlugin(Kernel* kernel);

namespace orvbench {

class Display {
public:
    // stages: the texture stages the adapter reports (0 keeps its default).
    explicit Display(DWORD stages = 0) : m_Kernel(nullptr, false) {
        orvplatform::ResetAll();
        orvplatform::EnableJournal(false);
        orvd3d8::EnableRasterizer(false);
        if (stages) orvd3d8::Adapter(0).maxSimultaneousTextures = stages;
        m_pRenderer.reset(CreatePlugin(&m_Kernel));
        if (m_pRenderer && !m_pRenderer->SetDisplayMode(640, 480, 32, 60, 0, true))
            m_pRenderer.reset();
    }
    ~Display() {
        m_pRenderer.reset();
        orvplatform::ResetAll();
    }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    RenderDevice* operator->() const { return m_pRenderer.get(); }
    explicit operator bool() const { return m_pRenderer != nullptr; }
    RenderDevice* Renderer() const { return m_pRenderer.get(); }
    IDirect3DDevice8* Device() const { return orvd3d8::LastDevice(); }
    Kernel& GetKernel() { return m_Kernel; }

private:
    Kernel m_Kernel;
    std::unique_ptr<RenderDevice> m_pRenderer;
};

}  // namespace orvbench

// A host as the demo host makes one, for the targets that drive the plug-in:
// a kernel without a log file whose file system starts at a base directory,
// the plug-in's driver from CreatePlugin and a windowed display on one of the
// fuzzing adapters. Made once per process and kept to the end.
#pragma once

#include <d3d8.h>

#include <memory>

#include "host/Kernel.h"
#include "host/RenderDevice.h"

namespace orvfuzz {

class FuzzHost {
public:
    // Aborts when the driver or its display cannot be made.
    FuzzHost(unsigned adapter, const char* baseDirectory);
    ~FuzzHost();
    FuzzHost(const FuzzHost&) = delete;
    FuzzHost& operator=(const FuzzHost&) = delete;

    RenderDevice* Driver() const { return m_pDriver; }
    IDirect3DDevice8* Device() const { return m_pDevice; }
    // Forgets the draws the stand-in device recorded.
    void ForgetDraws() const;

private:
    std::unique_ptr<Kernel> m_pKernel;
    RenderDevice* m_pDriver = nullptr;
    IDirect3DDevice8* m_pDevice = nullptr;
};

}  // namespace orvfuzz

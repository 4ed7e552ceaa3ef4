// Makes a pass source current in a driver in place of a material's, for the
// programs that link the plug-in's code directly (the draw benchmarks). The
// driver names this class as a friend.
#pragma once

#include "device/MaterialPasses.h"
#include "plugin/D3DDriver.h"

class DrawPassTestAccess {
public:
    static void SetPasses(RenderDevice* device, MaterialPasses* passes) {
        static_cast<D3DDriver*>(device)->m_pMaterialPasses = passes;
    }
};

// Shared by the geometry tests: reference counts, the index slot and the
// vertex shader of the device.
#pragma once

#include "host/HostTypes.h"
#include "support/D3D8Fixture.h"
#include "support/PluginHarness.h"

namespace orvtest {

class GeometryTest : public DisplayTest {
protected:
    IDirect3DIndexBuffer8* BoundIndices() const {
        IDirect3DIndexBuffer8* indices = nullptr;
        UINT base = 0;
        m_pD3D->GetIndices(&indices, &base);
        if (indices) indices->Release();
        return indices;
    }
    DWORD VertexShader() const {
        DWORD shader = 0;
        m_pD3D->GetVertexShader(&shader);
        return shader;
    }
};

}  // namespace orvtest

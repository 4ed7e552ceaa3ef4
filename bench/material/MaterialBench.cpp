// Materials against the stand-in runtime with its journal and rasteriser off:
// switching the current material, and drawing with an eight-layer material on
// a device of two texture stages. Each against the same device calls made
// directly, interleaved on one device.
#include <benchmark/benchmark.h>

#include <memory>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Kernel.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/RenderDevice.h"
#include "host/VertexBuffer.h"
#include "support/BenchDisplay.h"
#include "support/InterleavedRatio.h"

namespace {

using orvbench::Display;

// What making a material current sends to the device.
void ApplyBare(IDirect3DDevice8* device, const D3DMATERIAL8& material, DWORD cull) {
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_CULLMODE, cull);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
}

void SetMaterialSwitching(benchmark::State& state) {
    Display display(8);
    if (!display) return state.SkipWithError("no display");
    Material* materials[2] = {display->CreateMaterial(), display->CreateMaterial()};
    materials[1]->SetCulling(false);
    materials[1]->SetDiffuse(0.2f, 0.4f, 0.6f);

    IDirect3DDevice8* device = display.Device();
    D3DMATERIAL8 bare[2] = {};
    unsigned next = 0, bareNext = 0;
    orvbench::MeasureRatio(
        state,
        [&] {
            display->SetMaterial(materials[next]);
            next ^= 1;
        },
        [&] {
            ApplyBare(device, bare[bareNext], bareNext ? D3DCULL_NONE : D3DCULL_CCW);
            bareNext ^= 1;
        });
    display->SetMaterial(nullptr);
}
BENCHMARK(SetMaterialSwitching);

// A triangle list of 2 triangles from a bound vertex buffer: four passes of
// two layers each, the later three blending.
void EightLayerDrawOnTwoStages(benchmark::State& state) {
    Display display(2);
    if (!display) return state.SkipWithError("no display");
    IDirect3DDevice8* device = display.Device();
    VertexBuffer* hostBuffer = display->CreateVertexBuffer(6, false, false);
    if (!hostBuffer || !display->SetVertexBuffer(hostBuffer))
        return state.SkipWithError("no host vertex buffer");
    Material* material = display->CreateMaterial();
    material->SetFrameBlend(false);
    for (int i = 0; i < 8; ++i) material->AddLayer()->SetColorOp(i == 0 ? TEXTUREOP_MODULATE : TEXTUREOP_MODULATE2X);
    display->SetMaterial(material);

    D3DMATRIX scroll = {};
    scroll._11 = scroll._22 = scroll._33 = scroll._44 = 1.0f;
    auto stage = [&](DWORD unit) {
        device->SetTexture(unit, nullptr);
        for (D3DTEXTURESTAGESTATETYPE type : {D3DTSS_ADDRESSU, D3DTSS_ADDRESSV, D3DTSS_ADDRESSW})
            device->SetTextureStageState(unit, type, D3DTADDRESS_WRAP);
        device->SetTextureStageState(unit, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(unit, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(unit, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(unit, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(unit, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(unit, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetTextureStageState(unit, D3DTSS_TEXTURETRANSFORMFLAGS,
                                     unit == 1 ? D3DTTFF_COUNT2 : D3DTTFF_DISABLE);
        if (unit == 1) device->SetTransform(D3DTS_TEXTURE1, &scroll);
    };

    // Both sides draw from the buffer the driver bound.
    display->BeginScene();
    orvbench::MeasureRatio(
        state, [&] { display->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2); },
        [&] {
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
            for (int pass = 0; pass < 4; ++pass) {
                if (pass > 0) device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
                stage(0);
                stage(1);
                device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
                device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
            }
        });
    display->EndScene();
    display->SetMaterial(nullptr);
    display->SetVertexBuffer(nullptr);
    display->DestroyVertexBuffer(hostBuffer);
}
BENCHMARK(EightLayerDrawOnTwoStages);

}  // namespace

// Materials against the stand-in runtime with its journal and rasteriser off:
// switching the current material, and drawing with an eight-layer material on
// a device of two texture stages. Each reports `x_bare`, its time over the
// time of the same device calls made directly.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Kernel.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/RenderDevice.h"
#include "host/VertexBuffer.h"
#include "support/BenchDisplay.h"

namespace {

using orvbench::Display;

using Clock = std::chrono::steady_clock;

// Nanoseconds per call of `calls`, over enough repetitions to be steady.
template <typename Calls>
double BareNanoseconds(Calls calls) {
    constexpr int kRepetitions = 20000;
    for (int i = 0; i < 1000; ++i) calls();
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kRepetitions; ++i) calls();
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / kRepetitions;
}

void ReportRatio(benchmark::State& state, Clock::time_point start, double bare) {
    const double own = std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                       static_cast<double>(state.iterations());
    state.counters["bare_ns"] = bare;
    state.counters["x_bare"] = own / bare;
}

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
    unsigned next = 0;
    const double bareNs = BareNanoseconds([&] {
        ApplyBare(device, bare[next], next ? D3DCULL_NONE : D3DCULL_CCW);
        next ^= 1;
    });

    const Clock::time_point start = Clock::now();
    for (auto _ : state) {
        display->SetMaterial(materials[next]);
        next ^= 1;
    }
    ReportRatio(state, start, bareNs);
    display->SetMaterial(nullptr);
}
BENCHMARK(SetMaterialSwitching);

// A triangle list of 2 triangles from a bound vertex buffer: four passes of
// two layers each, the later three blending.
void EightLayerDrawOnTwoStages(benchmark::State& state) {
    Display display(2);
    if (!display) return state.SkipWithError("no display");
    IDirect3DDevice8* device = display.Device();
    IDirect3DVertexBuffer8* buffer = nullptr;
    if (FAILED(device->CreateVertexBuffer(6 * kVertexStride, 0, kVertexFVF, D3DPOOL_MANAGED,
                                          &buffer)))
        return state.SkipWithError("no vertex buffer");
    // The bare calls draw from a buffer of their own.
    device->SetStreamSource(0, buffer, kVertexStride);
    device->SetVertexShader(kVertexFVF);

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

    display->BeginScene();
    const double bareNs = BareNanoseconds([&] {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        for (int pass = 0; pass < 4; ++pass) {
            if (pass > 0) device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            stage(0);
            stage(1);
            device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        }
    });

    const Clock::time_point start = Clock::now();
    for (auto _ : state) display->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2);
    ReportRatio(state, start, bareNs);
    display->EndScene();
    display->SetMaterial(nullptr);
    display->SetVertexBuffer(nullptr);
    display->DestroyVertexBuffer(hostBuffer);
    buffer->Release();
}
BENCHMARK(EightLayerDrawOnTwoStages);

}  // namespace

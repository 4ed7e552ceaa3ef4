// The draws' own cost: each driver draw against the identical device calls
// issued straight to the stand-in runtime, journal and rasteriser off,
// interleaved on one device. The driver's buffer draw runs with a four-pass
// material.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "device/MaterialPasses.h"
#include "host/Kernel.h"
#include "host/ScreenQuad.h"
#include "host/VertexBuffer.h"
#include "plugin/D3DDriver.h"
#include "support/InterleavedRatio.h"
#include "tests/support/DrawPassTestAccess.h"

extern "C" RenderDevice* CreatePlugin(Kernel* kernel);

namespace {

constexpr unsigned kPasses = 4;
constexpr unsigned kTriangles = 12;
constexpr D3DRENDERSTATETYPE kPassState = D3DRS_TEXTUREFACTOR;

// A material of four passes; each pass sets one device state.
class FourPasses : public MaterialPasses {
public:
    explicit FourPasses(IDirect3DDevice8* device) : m_pDevice(device) {}
    void BeginPasses() override { m_Next = 0; }
    void EndPasses() override {}
    int ApplyNextPass() override {
        m_pDevice->SetRenderState(kPassState, m_Next);
        return ++m_Next < kPasses ? 1 : 0;
    }

private:
    IDirect3DDevice8* m_pDevice;
    DWORD m_Next = 0;
};

// A windowed display inside a scene, with a static vertex buffer bound.
class Scene {
public:
    Scene() : m_Kernel(nullptr, false) {
        orvplatform::ResetAll();
        orvplatform::EnableJournal(false);
        orvd3d8::EnableRasterizer(false);
        m_pRenderer.reset(CreatePlugin(&m_Kernel));
        if (!m_pRenderer || !m_pRenderer->SetDisplayMode(640, 480, 32, 60, 0, true)) {
            m_pRenderer.reset();
            return;
        }
        m_pDevice = orvd3d8::LastDevice();
        m_pBuffer = m_pRenderer->CreateVertexBuffer(kTriangles * 3, false, false);
        m_pQuad = m_pRenderer->CreateScreenQuad(RECT{10, 10, 50, 30}, 0x80FFFFFF);
        if (!m_pBuffer || !m_pQuad || !m_pBuffer->Upload() ||
            !m_pRenderer->SetVertexBuffer(m_pBuffer) || !m_pRenderer->BeginScene()) {
            Close();
            return;
        }
        m_pDevice->GetStreamSource(0, &m_pD3DBuffer, &m_Stride);
        m_pD3DBuffer->Release();
    }
    ~Scene() {
        Close();
        orvplatform::ResetAll();
    }
    explicit operator bool() const { return m_pRenderer != nullptr; }
    RenderDevice* operator->() const { return m_pRenderer.get(); }
    RenderDevice* Renderer() const { return m_pRenderer.get(); }
    IDirect3DDevice8* Device() const { return m_pDevice; }
    ScreenQuad* Quad() const { return m_pQuad; }
    const Vertex* Vertices() const { return m_Vertices; }

private:
    void Close() {
        if (!m_pRenderer) return;
        DrawPassTestAccess::SetPasses(m_pRenderer.get(), nullptr);
        m_pRenderer->EndScene();
        m_pRenderer->DestroyScreenQuad(m_pQuad);
        m_pRenderer->DestroyVertexBuffer(m_pBuffer);
        m_pRenderer.reset();
    }

    Kernel m_Kernel;
    std::unique_ptr<RenderDevice> m_pRenderer;
    IDirect3DDevice8* m_pDevice = nullptr;
    VertexBuffer* m_pBuffer = nullptr;
    IDirect3DVertexBuffer8* m_pD3DBuffer = nullptr;
    UINT m_Stride = 0;
    ScreenQuad* m_pQuad = nullptr;
    Vertex m_Vertices[kTriangles * 3];
};

void RenderVertexBuffer4Passes(benchmark::State& state) {
    Scene scene;
    if (!scene) return state.SkipWithError("no display");
    FourPasses passes(scene.Device());
    DrawPassTestAccess::SetPasses(scene.Renderer(), &passes);
    IDirect3DDevice8* device = scene.Device();
    orvbench::MeasureRatio(
        state, [&] { scene->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, kTriangles); },
        [&] {
            for (DWORD pass = 0; pass < kPasses; ++pass) {
                device->SetRenderState(kPassState, pass);
                device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, kTriangles);
            }
        });
}
BENCHMARK(RenderVertexBuffer4Passes);

void RenderVertices(benchmark::State& state) {
    Scene scene;
    if (!scene) return state.SkipWithError("no display");
    IDirect3DDevice8* device = scene.Device();
    orvbench::MeasureRatio(
        state, [&] { scene->RenderVertices(PRIMITIVE_TRIANGLELIST, kTriangles, scene.Vertices()); },
        [&] {
            IDirect3DVertexBuffer8* saved = nullptr;
            UINT stride = 0;
            device->GetStreamSource(0, &saved, &stride);
            device->SetStreamSource(0, nullptr, 0);
            device->SetVertexShader(kVertexFVF);
            device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, kTriangles, scene.Vertices(), kVertexStride);
            device->SetStreamSource(0, saved, stride);
            device->SetVertexShader(kVertexFVF);
            if (saved) saved->Release();
        });
}
BENCHMARK(RenderVertices);

void RenderScreenQuad(benchmark::State& state) {
    Scene scene;
    if (!scene) return state.SkipWithError("no display");
    IDirect3DDevice8* device = scene.Device();
    const ScreenVertex* vertices = scene.Quad()->GetVertices();
    orvbench::MeasureRatio(
        state, [&] { scene->RenderScreenQuad(scene.Quad()); },
        [&] {
            DWORD shader = 0;
            device->GetVertexShader(&shader);
            IDirect3DVertexBuffer8* saved = nullptr;
            UINT stride = 0;
            device->GetStreamSource(0, &saved, &stride);
            device->SetVertexShader(kScreenVertexFVF);
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
            device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, vertices, kScreenVertexStride);
            device->SetStreamSource(0, saved, stride);
            device->SetVertexShader(shader);
            if (saved) saved->Release();
        });
}
BENCHMARK(RenderScreenQuad);

}  // namespace

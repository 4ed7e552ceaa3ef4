// The frame: depth and stencil clears, what presentation leaves behind, the
// front-buffer copy and its size rule, device loss, and draws: refusals and
// the unbinding of stream 0 by user-pointer draws.
#include <algorithm>
#include <cstring>
#include <vector>

#include "support/D3D8Fixture.h"

namespace {

class D3D8Frame : public D3D8Fixture {
protected:
    struct Vertex { float x, y, z, rhw; DWORD colour; };
    static constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

    // Binds a managed buffer of `count` vertices and 16-bit `indices`.
    void BindBuffers(UINT count, const std::vector<uint16_t>& indices) {
        const UINT bytes = static_cast<UINT>(indices.size() * sizeof(uint16_t));
        BYTE* data = nullptr;
        ASSERT_EQ(m_Device->CreateVertexBuffer(count * sizeof(Vertex), 0, kFvf, D3DPOOL_MANAGED, &m_Vertices), D3D_OK);
        ASSERT_EQ(m_Device->CreateIndexBuffer(bytes, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &m_Indices), D3D_OK);
        ASSERT_EQ(m_Indices->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, indices.data(), bytes);
        m_Indices->Unlock();
        ASSERT_EQ(m_Device->SetVertexShader(kFvf), D3D_OK);
        ASSERT_EQ(m_Device->SetStreamSource(0, m_Vertices, sizeof(Vertex)), D3D_OK);
        ASSERT_EQ(m_Device->SetIndices(m_Indices, 0), D3D_OK);
    }
    void TearDown() override {
        if (m_Device) {
            m_Device->SetStreamSource(0, nullptr, 0);
            m_Device->SetIndices(nullptr, 0);
        }
        if (m_Vertices) m_Vertices->Release();
        if (m_Indices) m_Indices->Release();
        D3D8Fixture::TearDown();
    }

    IDirect3DVertexBuffer8* m_Vertices = nullptr;
    IDirect3DIndexBuffer8* m_Indices = nullptr;
};

TEST_F(D3D8Frame, DepthAndStencilClearsNeedABufferThatHasThem) {
    ASSERT_EQ(Create(Windowed(FALSE)), D3D_OK);
    EXPECT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    IDirect3DSurface8* depth = reinterpret_cast<IDirect3DSurface8*>(this);
    EXPECT_EQ(m_Device->GetDepthStencilSurface(&depth), D3DERR_NOTFOUND);
    EXPECT_EQ(m_Device->Release(), 0u);

    // No stencil bits: the whole request is refused and nothing is cleared.
    ASSERT_NE(Device(TRUE, D3DFMT_D16), nullptr);
    constexpr DWORD kAll = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    EXPECT_EQ(m_Device->Clear(0, nullptr, kAll, 0xFFFFFFFF, 0.5f, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(orvd3d8::BackBufferImage(m_Device).At(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(m_Device->Release(), 0u);

    ASSERT_NE(Device(TRUE, D3DFMT_D24S8), nullptr);
    ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 0.25f, 0x5A), D3D_OK);
    const orvd3d8::DepthImage image = orvd3d8::DepthBufferImage(m_Device);
    EXPECT_NEAR(image.DepthAt(319, 239), 0.25f, 1e-6f);
    EXPECT_EQ(image.stencil.back(), 0x5Au);
}

TEST_F(D3D8Frame, OnlyTheCopySwapEffectKeepsTheBackBufferAfterPresent) {
    constexpr D3DCOLOR kClear = 0xFF336699;
    for (D3DSWAPEFFECT effect : {D3DSWAPEFFECT_DISCARD, D3DSWAPEFFECT_COPY}) {
        D3DPRESENT_PARAMETERS pp = Windowed();
        pp.SwapEffect = effect;
        ASSERT_EQ(Create(pp), D3D_OK);
        const RECT source = {0, 0, 10, 10};
        EXPECT_EQ(m_Device->Present(&source, nullptr, nullptr, nullptr),
                  effect == D3DSWAPEFFECT_COPY ? D3D_OK : D3DERR_INVALIDCALL);
        std::vector<uint32_t> previous;
        for (int frame = 0; frame < 2; ++frame) {
            ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, kClear, 1.0f, 0), D3D_OK);
            ASSERT_EQ(m_Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
            EXPECT_EQ(orvd3d8::DesktopImage(0).At(kWindowX, kWindowY), kClear);
            const orvd3d8::Image back = orvd3d8::BackBufferImage(m_Device);
            const size_t kept = std::count_if(back.pixels.begin(), back.pixels.end(),
                                              [](uint32_t p) { return (p & 0xFFFFFF) == (kClear & 0xFFFFFF); });
            EXPECT_TRUE(effect == D3DSWAPEFFECT_COPY ? kept == back.pixels.size()
                                                     : kept < back.pixels.size() / 100 && back.pixels != previous)
                << "discarded contents are scrambled anew every frame";
            previous = back.pixels;
        }
        EXPECT_EQ(m_Device->Release(), 0u);
        m_Device = nullptr;
    }
}

TEST_F(D3D8Frame, GetFrontBufferNeedsADesktopSizedA8R8G8B8Surface) {
    ASSERT_NE(Device(), nullptr);
    ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456, 1.0f, 0), D3D_OK);
    ASSERT_EQ(m_Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}) {
        IDirect3DSurface8* surface = nullptr;
        D3DLOCKED_RECT locked;
        ASSERT_EQ(m_Device->CreateImageSurface(1024, 768, format, &surface), D3D_OK);
        const HRESULT result = m_Device->GetFrontBuffer(surface);
        EXPECT_EQ(result, format == D3DFMT_A8R8G8B8 ? D3D_OK : D3DERR_INVALIDCALL) << format;
        if (result == D3D_OK && surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
            EXPECT_EQ(Texel<uint32_t>(locked, kWindowX, kWindowY), 0xFF123456u);
            EXPECT_EQ(Texel<uint32_t>(locked, kWindowX - 1, kWindowY), 0xFF000000u);
            surface->UnlockRect();
        }
        surface->Release();
    }
}

TEST_F(D3D8Frame, LostDeviceRefusesPresentAndResetWaitsForDefaultPoolResources) {
    ASSERT_NE(Device(), nullptr);
    orvd3d8::SetDeviceLost(m_Device, true);
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(m_Device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(m_Device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);

    IDirect3DVertexBuffer8* dynamic = nullptr;
    ASSERT_EQ(m_Device->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &dynamic), D3D_OK);
    D3DPRESENT_PARAMETERS pp = Windowed();
    EXPECT_EQ(m_Device->Reset(&pp), D3DERR_INVALIDCALL);
    dynamic->Release();
    ASSERT_EQ(m_Device->Reset(&pp), D3D_OK);
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3D_OK);
    DWORD lighting = FALSE;
    ASSERT_EQ(m_Device->GetRenderState(D3DRS_LIGHTING, &lighting), D3D_OK);
    EXPECT_EQ(lighting, static_cast<DWORD>(TRUE)) << "Reset restores the default states";
}

TEST_F(D3D8Frame, DrawsOutsideASceneOrPastTheBuffersAreRefused) {
    ASSERT_NE(Device(), nullptr);
    BindBuffers(6, {0, 1, 2, 3, 4, 6});  // the last index is past the vertices
    EXPECT_EQ(m_Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0), D3D_OK) << "count 0";
    ASSERT_EQ(m_Device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_Device->BeginScene(), D3DERR_INVALIDCALL) << "scenes do not nest";
    EXPECT_EQ(m_Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    EXPECT_EQ(m_Device->DrawPrimitive(D3DPT_TRIANGLELIST, 4, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 6, 0, 1), D3D_OK);
    EXPECT_EQ(m_Device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 6, 4, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 6, 3, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(orvd3d8::DrawsOf(m_Device).size(), 2u);
    ASSERT_EQ(m_Device->EndScene(), D3D_OK);
}

// A count of 0 draws nothing and unbinds nothing; a real UP draw unbinds
// stream 0 (and, indexed, the indices) and gives their references back.
TEST_F(D3D8Frame, UserPointerDrawsUnbindStreamZeroAndTheIndices) {
    ASSERT_NE(Device(), nullptr);
    const Vertex user[] = {{0, 0, 0, 1, 1}, {1, 0, 0, 1, 2}, {0, 1, 0, 1, 3}};
    const uint32_t userIndices[] = {2, 0, 1};
    BindBuffers(6, {0, 1, 2});
    ASSERT_EQ(m_Device->BeginScene(), D3D_OK);
    for (bool indexed : {false, true}) {
        ASSERT_EQ(m_Device->SetStreamSource(0, m_Vertices, sizeof(Vertex)), D3D_OK);
        ASSERT_EQ(m_Device->SetIndices(m_Indices, 0), D3D_OK);
        orvd3d8::ClearDraws(m_Device);
        ASSERT_EQ(m_Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 0, user, sizeof(Vertex)), D3D_OK);
        ASSERT_EQ(m_Device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 2, 2), D3D_OK);
        ASSERT_EQ(indexed ? m_Device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, userIndices,
                                                             D3DFMT_INDEX32, user, sizeof(Vertex))
                          : m_Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, user, sizeof(Vertex)),
                  D3D_OK);
        IDirect3DVertexBuffer8* stream = m_Vertices;
        IDirect3DIndexBuffer8* bound = nullptr;
        UINT stride = 1, base = 0;
        ASSERT_EQ(m_Device->GetStreamSource(0, &stream, &stride), D3D_OK);
        ASSERT_EQ(m_Device->GetIndices(&bound, &base), D3D_OK);
        EXPECT_TRUE(stream == nullptr && stride == 0) << indexed;
        EXPECT_EQ(bound, indexed ? nullptr : m_Indices);
        if (bound) bound->Release();
        EXPECT_EQ(RefCount(m_Vertices), 1u);
        const std::vector<orvd3d8::DrawRecord> draws = orvd3d8::DrawsOf(m_Device);
        ASSERT_EQ(draws.size(), 2u);
        EXPECT_EQ(draws[0].vertexCount, 4u);
        EXPECT_EQ(draws[1].indices, (indexed ? std::vector<uint32_t>{2, 0, 1} : std::vector<uint32_t>()));
    }
    ASSERT_EQ(m_Device->EndScene(), D3D_OK);
}

}  // namespace

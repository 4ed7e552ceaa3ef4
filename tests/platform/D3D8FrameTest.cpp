// Device creation and the frame: what creation refuses (the driver falls
// back on it), device loss and Reset, the front-buffer copy and its size
// rule, and draws: refusals and the unbinding of stream 0 by user-pointer
// draws. Textures, surfaces and
// buffers: reference counts of bindings and Get* calls, lock rules by pool
// and usage, and creation refusals.
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
        ASSERT_TRUE(m_Device->CreateVertexBuffer(count * sizeof(Vertex), 0, kFvf, D3DPOOL_MANAGED, &m_Vertices) == D3D_OK &&
                    m_Device->CreateIndexBuffer(bytes, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &m_Indices) == D3D_OK &&
                    m_Indices->Lock(0, 0, &data, 0) == D3D_OK);
        std::memcpy(data, indices.data(), bytes);
        ASSERT_TRUE(m_Indices->Unlock() == D3D_OK && m_Device->SetVertexShader(kFvf) == D3D_OK &&
                    m_Device->SetStreamSource(0, m_Vertices, sizeof(Vertex)) == D3D_OK &&
                    m_Device->SetIndices(m_Indices, 0) == D3D_OK);
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

TEST_F(D3D8Frame, CreationRefusesWhatTheAdapterLacksAndALostDeviceWaitsForReset) {
    D3DPRESENT_PARAMETERS refresh = Windowed(), unknown = Windowed();
    refresh.FullScreen_RefreshRateInHz = 60;
    unknown.Windowed = FALSE, unknown.BackBufferWidth = 640, unknown.BackBufferHeight = 480;
    unknown.BackBufferFormat = D3DFMT_UNKNOWN;
    constexpr DWORD kHw = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    const struct { const char* name; bool hal; DWORD behaviour; D3DPRESENT_PARAMETERS pp; HRESULT expected; } cases[] = {
        {"no HAL", false, kHw, Windowed(), D3DERR_NOTAVAILABLE},
        {"no behaviour", true, 0, Windowed(), D3DERR_INVALIDCALL},
        {"full-screen UNKNOWN", true, kHw, unknown, D3DERR_INVALIDCALL},
        {"windowed with a refresh rate", true, kHw, refresh, D3DERR_INVALIDCALL},
        {"depth format not offered", true, kHw, Windowed(TRUE, D3DFMT_D15S1), D3DERR_INVALIDCALL}};
    for (const auto& c : cases) {
        orvd3d8::Adapter(0).halAvailable = c.hal;
        D3DPRESENT_PARAMETERS pp = c.pp;
        IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(this);
        EXPECT_EQ(m_D3D->CreateDevice(0, D3DDEVTYPE_HAL, m_Window, c.behaviour, &pp, &device), c.expected) << c.name;
        EXPECT_TRUE(device == nullptr && orvd3d8::LiveObjectCount() == 1) << c.name;
    }
    orvd3d8::Adapter(0).halAvailable = true;
    ASSERT_NE(Device(), nullptr);
    orvd3d8::SetDeviceLost(m_Device, true);
    EXPECT_TRUE(m_Device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET &&
                m_Device->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST &&
                m_Device->SetRenderState(D3DRS_LIGHTING, FALSE) == D3D_OK);
    IDirect3DVertexBuffer8* dynamic = nullptr;
    ASSERT_EQ(m_Device->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &dynamic), D3D_OK);
    D3DPRESENT_PARAMETERS pp = Windowed();
    EXPECT_EQ(m_Device->Reset(&pp), D3DERR_INVALIDCALL) << "a default-pool buffer is alive";
    dynamic->Release();
    DWORD lighting = FALSE;
    EXPECT_TRUE(m_Device->Reset(&pp) == D3D_OK && m_Device->TestCooperativeLevel() == D3D_OK &&
                m_Device->GetRenderState(D3DRS_LIGHTING, &lighting) == D3D_OK && lighting == TRUE);
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

TEST_F(D3D8Frame, DrawsOutsideASceneOrPastTheBuffersAreRefused) {
    ASSERT_NE(Device(), nullptr);
    BindBuffers(6, {0, 1, 2});
    EXPECT_EQ(m_Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0), D3D_OK) << "count 0";
    ASSERT_EQ(m_Device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_Device->BeginScene(), D3DERR_INVALIDCALL) << "scenes do not nest";
    EXPECT_EQ(m_Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    EXPECT_EQ(m_Device->DrawPrimitive(D3DPT_TRIANGLELIST, 4, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(orvd3d8::DrawsOf(m_Device).size(), 1u);
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
        ASSERT_TRUE(m_Device->SetStreamSource(0, m_Vertices, sizeof(Vertex)) == D3D_OK &&
                    m_Device->SetIndices(m_Indices, 0) == D3D_OK);
        orvd3d8::ClearDraws(m_Device);
        ASSERT_TRUE(m_Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 0, user, sizeof(Vertex)) == D3D_OK &&
                    m_Device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 2, 2) == D3D_OK);
        ASSERT_EQ(indexed ? m_Device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, userIndices, D3DFMT_INDEX32, user,
                                                             sizeof(Vertex))
                          : m_Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, user, sizeof(Vertex)), D3D_OK);
        IDirect3DVertexBuffer8* stream = m_Vertices;
        IDirect3DIndexBuffer8* bound = nullptr;
        UINT stride = 1, base = 0;
        ASSERT_TRUE(m_Device->GetStreamSource(0, &stream, &stride) == D3D_OK && m_Device->GetIndices(&bound, &base) == D3D_OK);
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

class D3D8Resource : public D3D8Fixture {};

TEST_F(D3D8Resource, GetCallsHandOutReferencesAndBindingsHoldTheirResources) {
    ASSERT_NE(Device(), nullptr);
    IDirect3DTexture8* texture = nullptr;
    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(64, 32, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(RefCount(m_Device), 2u) << "a resource keeps its device alive";
    ASSERT_EQ(texture->GetSurfaceLevel(2, &level), D3D_OK);
    EXPECT_EQ(level->Release(), 1u);
    ASSERT_EQ(m_Device->SetTexture(0, texture), D3D_OK);
    EXPECT_EQ(texture->Release(), 0u) << "a binding is not an external reference";
    IDirect3DBaseTexture8* bound = nullptr;
    ASSERT_TRUE(m_Device->GetTexture(0, &bound) == D3D_OK && bound == texture);
    EXPECT_EQ(bound->Release(), 0u);

    IDirect3DVertexBuffer8 *vertices = nullptr, *stream = nullptr;
    IDirect3DIndexBuffer8 *indices = nullptr, *boundIndices = nullptr;
    UINT stride = 0, base = 0;
    ASSERT_TRUE(m_Device->CreateVertexBuffer(520, 0, 0, D3DPOOL_MANAGED, &vertices) == D3D_OK &&
                m_Device->CreateIndexBuffer(60, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices) == D3D_OK &&
                m_Device->SetStreamSource(0, vertices, 52) == D3D_OK && m_Device->SetIndices(indices, 4) == D3D_OK);
    EXPECT_EQ(vertices->Release() + indices->Release(), 0u);
    ASSERT_TRUE(m_Device->GetStreamSource(0, &stream, &stride) == D3D_OK &&
                m_Device->GetIndices(&boundIndices, &base) == D3D_OK);
    EXPECT_TRUE(stream == vertices && stride == 52 && boundIndices == indices && base == 4);
    EXPECT_EQ(stream->Release() + boundIndices->Release(), 0u);

    // The device frees the texture and buffers still bound when it goes.
    EXPECT_EQ(m_Device->Release(), 0u);
    m_Device = nullptr;
}

TEST_F(D3D8Resource, LockRulesFollowThePoolAndUsage) {
    ASSERT_NE(Device(), nullptr);
    const struct { DWORD usage; D3DPOOL pool; DWORD flags; HRESULT expected; } buffers[] = {
        {0, D3DPOOL_MANAGED, 0, D3D_OK}, {0, D3DPOOL_MANAGED, D3DLOCK_DISCARD, D3DERR_INVALIDCALL},
        {D3DUSAGE_WRITEONLY, D3DPOOL_DEFAULT, D3DLOCK_NOOVERWRITE, D3DERR_INVALIDCALL},
        {D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, D3DLOCK_DISCARD, D3D_OK},
    };
    for (const auto& c : buffers) {
        IDirect3DVertexBuffer8* buffer = nullptr;
        ASSERT_EQ(m_Device->CreateVertexBuffer(8400, c.usage, 0, c.pool, &buffer), D3D_OK);
        BYTE* data = nullptr;
        EXPECT_EQ(buffer->Lock(100, 4, &data, c.flags), c.expected) << c.usage << " " << c.flags;
        EXPECT_EQ(data != nullptr, c.expected == D3D_OK);
        EXPECT_EQ(data ? buffer->Unlock() : D3D_OK, D3D_OK);
        EXPECT_EQ(buffer->Lock(8000, 401, &data, 0), D3DERR_INVALIDCALL) << "past the end";
        EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL) << "a second Unlock";
        buffer->Release();
    }

    // Default-pool textures lock only when dynamic; a locked level locks once.
    IDirect3DTexture8* texture = nullptr;
    D3DLOCKED_RECT locked;
    for (DWORD usage : {DWORD{0}, DWORD{D3DUSAGE_DYNAMIC}}) {
        ASSERT_EQ(m_Device->CreateTexture(8, 8, 1, usage, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture), D3D_OK);
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), usage ? D3D_OK : D3DERR_INVALIDCALL);
        EXPECT_EQ(usage ? texture->LockRect(0, &locked, nullptr, 0) : D3DERR_INVALIDCALL, D3DERR_INVALIDCALL);
        texture->UnlockRect(0);
        texture->Release();
    }
}

TEST_F(D3D8Resource, CreationRefusesWhatTheAdapterCannotDo) {
    orvd3d8::Adapter(0).maxTextureWidth = 256;
    orvd3d8::Adapter(0).textureFormats = {D3DFMT_A8R8G8B8};
    ASSERT_NE(Device(), nullptr);
    // Width past the maximum, more levels than 64 x 64 has, a dynamic managed texture.
    const struct { UINT width, levels; DWORD usage; HRESULT expected; } cases[] = {
        {256, 0, 0, D3D_OK}, {512, 1, 0, D3DERR_INVALIDCALL}, {64, 8, 0, D3DERR_INVALIDCALL},
        {64, 1, D3DUSAGE_DYNAMIC, D3DERR_INVALIDCALL}};
    for (const auto& c : cases) {
        IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(this);
        EXPECT_EQ(m_Device->CreateTexture(c.width, 64, c.levels, c.usage, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                          &texture), c.expected) << c.width << " " << c.levels;
        EXPECT_EQ(texture != nullptr, c.expected == D3D_OK);
        if (texture) texture->Release();
    }
    IDirect3DVertexBuffer8* buffer = nullptr;
    EXPECT_EQ(m_Device->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &buffer), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->CreateVertexBuffer(51, 0, 0x352, D3DPOOL_MANAGED, &buffer), D3DERR_INVALIDCALL) << "under a vertex";
    EXPECT_EQ(buffer, nullptr);
}

}  // namespace

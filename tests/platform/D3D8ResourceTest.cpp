// Textures, surfaces and buffers: reference counts of bindings and Get* calls,
// lock rules by pool and usage, and creation refusals.
#include <cstring>

#include "support/D3D8Fixture.h"

namespace {

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
    ASSERT_EQ(m_Device->GetTexture(0, &bound), D3D_OK);
    ASSERT_EQ(bound, texture);
    EXPECT_EQ(bound->Release(), 0u);

    IDirect3DVertexBuffer8 *vertices = nullptr, *stream = nullptr;
    IDirect3DIndexBuffer8 *indices = nullptr, *boundIndices = nullptr;
    UINT stride = 0, base = 0;
    ASSERT_EQ(m_Device->CreateVertexBuffer(520, 0, 0, D3DPOOL_MANAGED, &vertices), D3D_OK);
    ASSERT_EQ(m_Device->CreateIndexBuffer(60, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices), D3D_OK);
    ASSERT_EQ(m_Device->SetStreamSource(0, vertices, 52), D3D_OK);
    ASSERT_EQ(m_Device->SetIndices(indices, 4), D3D_OK);
    EXPECT_EQ(vertices->Release() + indices->Release(), 0u);
    ASSERT_EQ(m_Device->GetStreamSource(0, &stream, &stride), D3D_OK);
    ASSERT_EQ(m_Device->GetIndices(&boundIndices, &base), D3D_OK);
    EXPECT_TRUE(stream == vertices && stride == 52 && boundIndices == indices && base == 4);
    EXPECT_EQ(stream->Release() + boundIndices->Release(), 0u);

    // The device frees the texture and buffers still bound when it goes.
    EXPECT_EQ(m_Device->Release(), 0u);
    m_Device = nullptr;
}

TEST_F(D3D8Resource, LockRulesFollowThePoolAndUsage) {
    ASSERT_NE(Device(), nullptr);
    const struct { DWORD usage; D3DPOOL pool; DWORD flags; HRESULT expected; } buffers[] = {
        {0, D3DPOOL_MANAGED, 0, D3D_OK},
        {0, D3DPOOL_MANAGED, D3DLOCK_DISCARD, D3DERR_INVALIDCALL},
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
    EXPECT_EQ(m_Device->CreateVertexBuffer(51, 0, 0x352, D3DPOOL_MANAGED, &buffer),
              D3DERR_INVALIDCALL) << "smaller than one vertex";
    EXPECT_EQ(buffer, nullptr);
}

}  // namespace

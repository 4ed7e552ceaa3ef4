// Textures, surfaces and buffers: reference counts and bindings, mip levels,
// lock pitches and contents, lock rules, creation refusals, copies.
#include <cstring>

#include "D3D8Fixture.h"

namespace {

class D3D8Resource : public D3D8Fixture {};

TEST_F(D3D8Resource, ResourcesKeepTheirDeviceAliveAndLevelsShareTheTexturesCount) {
    ASSERT_NE(Device(), nullptr);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(64, 32, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    EXPECT_EQ(RefCount(m_Device), 2u);
    EXPECT_EQ(RefCount(m_D3D), 2u) << "the device holds the Direct3D object";

    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(2, &level), D3D_OK);
    EXPECT_EQ(RefCount(texture), 2u);
    EXPECT_EQ(RefCount(level), 2u);
    IDirect3DTexture8* container = nullptr;
    ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture8, reinterpret_cast<void**>(&container)),
              D3D_OK);
    EXPECT_EQ(container, texture);
    container->Release();
    EXPECT_EQ(level->Release(), 1u);

    // Binding does not count, but keeps the texture in memory for GetTexture.
    ASSERT_EQ(m_Device->SetTexture(0, texture), D3D_OK);
    EXPECT_EQ(RefCount(texture), 1u);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 2u);
    IDirect3DBaseTexture8* bound = nullptr;
    ASSERT_EQ(m_Device->GetTexture(0, &bound), D3D_OK);
    ASSERT_EQ(bound, texture);
    EXPECT_EQ(bound->Release(), 0u);
    ASSERT_EQ(m_Device->SetTexture(0, nullptr), D3D_OK);
    EXPECT_EQ(RefCount(m_Device), 1u);

    // The device outlives its last external reference while a buffer lives.
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(m_Device->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &buffer), D3D_OK);
    EXPECT_EQ(m_Device->Release(), 1u);
    IDirect3DDevice8* owner = nullptr;
    ASSERT_EQ(buffer->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, m_Device);
    EXPECT_EQ(owner->Release(), 1u);
    EXPECT_EQ(buffer->Release(), 0u);
    m_Device = nullptr;
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 1u);
}

TEST_F(D3D8Resource, StreamAndIndexBindingsHandOutReferencesAndHoldTheBuffers) {
    ASSERT_NE(Device(), nullptr);
    IDirect3DVertexBuffer8* vertices = nullptr;
    IDirect3DIndexBuffer8* indices = nullptr;
    ASSERT_EQ(
        m_Device->CreateVertexBuffer(520, D3DUSAGE_WRITEONLY, 0x352, D3DPOOL_MANAGED, &vertices),
        D3D_OK);
    ASSERT_EQ(m_Device->CreateIndexBuffer(60, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indices),
              D3D_OK);
    ASSERT_EQ(m_Device->SetStreamSource(0, vertices, 52), D3D_OK);
    ASSERT_EQ(m_Device->SetIndices(indices, 4), D3D_OK);
    EXPECT_EQ(RefCount(vertices), 1u);

    IDirect3DVertexBuffer8* stream = nullptr;
    UINT stride = 0;
    ASSERT_EQ(m_Device->GetStreamSource(0, &stream, &stride), D3D_OK);
    EXPECT_EQ(stream, vertices);
    EXPECT_EQ(stride, 52u);
    EXPECT_EQ(RefCount(vertices), 2u);
    stream->Release();
    IDirect3DIndexBuffer8* bound = nullptr;
    UINT base = 0;
    ASSERT_EQ(m_Device->GetIndices(&bound, &base), D3D_OK);
    EXPECT_EQ(bound, indices);
    EXPECT_EQ(base, 4u);
    EXPECT_EQ(bound->Release(), 1u);

    EXPECT_EQ(vertices->Release(), 0u);
    EXPECT_EQ(indices->Release(), 0u);
    // Still bound: readable, and freed once the device lets them go.
    ASSERT_EQ(m_Device->GetStreamSource(0, &stream, &stride), D3D_OK);
    EXPECT_EQ(stream, vertices);
    EXPECT_EQ(stream->Release(), 0u);
    EXPECT_EQ(m_Device->SetStreamSource(16, nullptr, 0), D3DERR_INVALIDCALL);
}

TEST_F(D3D8Resource, TextureLevelsHaveTheirOwnSizesAndPitches) {
    struct Case {
        UINT width, height, levels;
        D3DFORMAT format;
        UINT expectedLevels;
        UINT lastWidth, lastHeight;
        INT topPitch;
        UINT topSize;
    } cases[] = {
        {64, 16, 0, D3DFMT_A8R8G8B8, 7, 1, 1, 256, 4096},
        {64, 16, 3, D3DFMT_R5G6B5, 3, 16, 4, 128, 2048},
        {30, 10, 1, D3DFMT_A4R4G4B4, 1, 30, 10, 60, 600},
        {7, 3, 1, D3DFMT_L8, 1, 7, 3, 8, 24},  // rows rounded up to 4 bytes
        {16, 16, 0, D3DFMT_DXT1, 5, 1, 1, 32, 128},
        {8, 8, 1, D3DFMT_DXT5, 1, 8, 8, 32, 64},
    };
    ASSERT_NE(Device(), nullptr);
    for (const Case& c : cases) {
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(m_Device->CreateTexture(c.width, c.height, c.levels, 0, c.format, D3DPOOL_MANAGED,
                                          &texture),
                  D3D_OK);
        ASSERT_EQ(texture->GetLevelCount(), c.expectedLevels);
        D3DSURFACE_DESC desc;
        ASSERT_EQ(texture->GetLevelDesc(c.expectedLevels - 1, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, c.lastWidth) << c.format;
        EXPECT_EQ(desc.Height, c.lastHeight) << c.format;
        ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(desc.Size, c.topSize) << c.format;
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        EXPECT_EQ(locked.Pitch, c.topPitch) << c.format;
        EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
        EXPECT_EQ(texture->GetLevelDesc(c.expectedLevels, &desc), D3DERR_INVALIDCALL);
        EXPECT_EQ(texture->Release(), 0u);
    }
}

TEST_F(D3D8Resource, LocksKeepBytesAndRectLocksPointIntoTheLevel) {
    ASSERT_NE(Device(), nullptr);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(16, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    D3DLOCKED_RECT whole;
    ASSERT_EQ(texture->LockRect(0, &whole, nullptr, 0), D3D_OK);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            static_cast<uint32_t*>(whole.pBits)[y * 16 + x] = static_cast<uint32_t>(y * 100 + x);
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);

    const RECT rect = {3, 5, 7, 8};
    D3DLOCKED_RECT part;
    ASSERT_EQ(texture->LockRect(0, &part, &rect, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(part.Pitch, 64);
    EXPECT_EQ(*static_cast<uint32_t*>(part.pBits), 503u);
    EXPECT_EQ(static_cast<uint32_t*>(part.pBits)[16 + 1], 604u);
    // A second lock of a locked level is refused.
    D3DLOCKED_RECT again;
    EXPECT_EQ(texture->LockRect(0, &again, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);

    const RECT outside[] = {{0, 0, 17, 1}, {4, 4, 4, 5}, {-1, 0, 2, 2}};
    for (const RECT& bad : outside)
        EXPECT_EQ(texture->LockRect(0, &part, &bad, 0), D3DERR_INVALIDCALL) << bad.left;
    EXPECT_EQ(texture->LockRect(1, &part, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->Release(), 0u);

    // Block formats lock on 4 x 4 block boundaries.
    ASSERT_EQ(m_Device->CreateTexture(16, 16, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    ASSERT_EQ(texture->LockRect(0, &whole, nullptr, 0), D3D_OK);
    texture->UnlockRect(0);
    const RECT block = {4, 8, 8, 12}, unaligned = {2, 0, 6, 4};
    ASSERT_EQ(texture->LockRect(0, &part, &block, 0), D3D_OK);
    EXPECT_EQ(static_cast<uint8_t*>(part.pBits) - static_cast<uint8_t*>(whole.pBits), 2 * 32 + 8);
    texture->UnlockRect(0);
    EXPECT_EQ(texture->LockRect(0, &part, &unaligned, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->Release(), 0u);

    // Default-pool textures lock only when dynamic.
    const DWORD usages[] = {0, D3DUSAGE_DYNAMIC};
    for (DWORD usage : usages) {
        ASSERT_EQ(m_Device->CreateTexture(8, 8, 1, usage, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                          &texture), D3D_OK);
        EXPECT_EQ(texture->LockRect(0, &part, nullptr, 0), usage ? D3D_OK : D3DERR_INVALIDCALL);
        texture->UnlockRect(0);
        texture->Release();
    }
}

TEST_F(D3D8Resource, CreateTextureRefusesWhatTheAdapterCannotDo) {
    orvd3d8::Adapter(0).maxTextureWidth = 256;
    orvd3d8::Adapter(0).maxTextureHeight = 128;
    orvd3d8::Adapter(0).textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4};
    struct Case {
        UINT width, height, levels;
        DWORD usage;
        D3DFORMAT format;
        D3DPOOL pool;
        HRESULT expected;
    } cases[] = {
        {256, 128, 0, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, D3D_OK},
        {512, 128, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {64, 64, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {64, 64, 8, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {64, 64, 7, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3D_OK},
        {0, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {64, 64, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, D3DERR_INVALIDCALL},
    };
    ASSERT_NE(Device(), nullptr);
    for (const Case& c : cases) {
        IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(this);
        EXPECT_EQ(m_Device->CreateTexture(c.width, c.height, c.levels, c.usage, c.format, c.pool,
                                          &texture),
                  c.expected)
            << c.width << "x" << c.height << " " << c.format;
        if (c.expected == D3D_OK) {
            ASSERT_NE(texture, nullptr);
            texture->Release();
        } else {
            EXPECT_EQ(texture, nullptr);
        }
    }
}

TEST_F(D3D8Resource, BufferLocksKeepBytesAndDiscardNeedsADynamicBuffer) {
    ASSERT_NE(Device(), nullptr);
    struct Case {
        DWORD usage;
        D3DPOOL pool;
        DWORD flags;
        HRESULT expected;
    } cases[] = {
        {0, D3DPOOL_MANAGED, 0, D3D_OK},
        {0, D3DPOOL_MANAGED, D3DLOCK_DISCARD, D3DERR_INVALIDCALL},
        {D3DUSAGE_WRITEONLY, D3DPOOL_DEFAULT, D3DLOCK_NOOVERWRITE, D3DERR_INVALIDCALL},
        {D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, D3DLOCK_DISCARD, D3D_OK},
        {D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, D3DLOCK_NOOVERWRITE, D3D_OK},
    };
    for (const Case& c : cases) {
        IDirect3DVertexBuffer8* buffer = nullptr;
        ASSERT_EQ(m_Device->CreateVertexBuffer(8400, c.usage, 0, c.pool, &buffer), D3D_OK);
        BYTE* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
        std::memset(data + 100, 0xAB, 4);
        ASSERT_EQ(buffer->Unlock(), D3D_OK);
        EXPECT_EQ(buffer->Lock(100, 4, &data, c.flags), c.expected) << c.usage << " " << c.flags;
        if (c.expected == D3D_OK) {
            EXPECT_EQ(data[3], 0xAB);
            EXPECT_EQ(buffer->Unlock(), D3D_OK);
        } else {
            EXPECT_EQ(data, nullptr);
        }
        EXPECT_EQ(buffer->Lock(8000, 401, &data, 0), D3DERR_INVALIDCALL);
        EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
        buffer->Release();
    }

    IDirect3DIndexBuffer8* indices = nullptr;
    EXPECT_EQ(m_Device->CreateIndexBuffer(60, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &indices),
              D3DERR_INVALIDCALL);
    IDirect3DVertexBuffer8* tooSmall = nullptr;
    EXPECT_EQ(m_Device->CreateVertexBuffer(51, 0, 0x352, D3DPOOL_MANAGED, &tooSmall),
              D3DERR_INVALIDCALL);
}

TEST_F(D3D8Resource, CopyRectsAndUpdateTextureMoveThePixels) {
    ASSERT_NE(Device(), nullptr);
    IDirect3DSurface8 *source = nullptr, *level = nullptr;
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(m_Device->CreateImageSurface(8, 8, D3DFMT_R5G6B5, &source), D3D_OK);
    ASSERT_EQ(m_Device->CreateTexture(8, 8, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture), D3D_OK);
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    // A new managed texture's contents are undefined: fill it first.
    D3DLOCKED_RECT locked;
    ASSERT_EQ(level->LockRect(&locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) Texel<uint16_t>(locked, x, y) = 0xABCD;
    level->UnlockRect();
    ASSERT_EQ(source->LockRect(&locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) Texel<uint16_t>(locked, x, y) = static_cast<uint16_t>(y * 8 + x);
    source->UnlockRect();

    const RECT rect = {2, 1, 4, 3};
    const POINT point = {5, 6}, outside = {7, 7};
    ASSERT_EQ(m_Device->CopyRects(source, &rect, 1, level, &point), D3D_OK);
    EXPECT_EQ(m_Device->CopyRects(source, &rect, 1, level, &outside), D3DERR_INVALIDCALL);
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(Texel<uint16_t>(locked, 5, 6), 1 * 8 + 2);
    EXPECT_EQ(Texel<uint16_t>(locked, 6, 7), 2 * 8 + 3);
    EXPECT_EQ(Texel<uint16_t>(locked, 4, 6), 0xABCD);
    texture->UnlockRect(0);
    level->Release();
    texture->Release();
    source->Release();

    // UpdateTexture: system memory to the default pool, level by level.
    IDirect3DTexture8 *staging = nullptr, *target = nullptr;
    IDirect3DSurface8 *copy = nullptr, *image = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &staging),
              D3D_OK);
    ASSERT_EQ(m_Device->CreateTexture(2, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    ASSERT_EQ(staging->LockRect(1, &locked, nullptr, 0), D3D_OK);
    Texel<uint32_t>(locked, 1, 1) = 0x11223344;
    staging->UnlockRect(1);
    EXPECT_EQ(m_Device->UpdateTexture(target, staging), D3DERR_INVALIDCALL);
    ASSERT_EQ(m_Device->UpdateTexture(staging, target), D3D_OK);
    ASSERT_EQ(target->GetSurfaceLevel(0, &copy), D3D_OK);
    ASSERT_EQ(m_Device->CreateImageSurface(2, 2, D3DFMT_A8R8G8B8, &image), D3D_OK);
    ASSERT_EQ(m_Device->CopyRects(copy, nullptr, 0, image, nullptr), D3D_OK);
    ASSERT_EQ(image->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(Texel<uint32_t>(locked, 1, 1), 0x11223344u);
    image->UnlockRect();
    image->Release();
    copy->Release();
    staging->Release();
    target->Release();
}

}  // namespace

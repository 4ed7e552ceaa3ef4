// Vertex and index buffers as the host uses them: creation flags, uploads,
// binding, resizing, buffers that failed to fill, and sizes refused. The
// draw operations without a material: primitive types, the scene's triangle
// count, stream 0 around user-pointer draws, and screen quads.
#include <cmath>
#include <functional>

#include "host/IndexBuffer.h"
#include "host/ScreenQuad.h"
#include "host/VertexBuffer.h"
#include "support/D3D8Fixture.h"
#include "support/PluginHarness.h"

namespace {

using orvtest::ArgsOf;
using GeometryTest = orvtest::DisplayTest;
using orvplatform::CountOf;

class Buffers : public GeometryTest {
protected:
    VertexBuffer* MakeVertices(unsigned count, bool dynamic, bool pointSprites = false) {
        return Kept(m_pRenderer->CreateVertexBuffer(count, dynamic, pointSprites), &RenderDevice::DestroyVertexBuffer);
    }
    IndexBuffer* MakeIndices(unsigned count, bool dynamic) {
        return Kept(m_pRenderer->CreateIndexBuffer(count, dynamic), &RenderDevice::DestroyIndexBuffer);
    }
    static void Number(VertexBuffer* buffer) {
        Vertex* vertices = buffer->GetVertices();
        for (unsigned i = 0; i < buffer->GetVertexCount(); ++i) {
            vertices[i].position = Vector3D(static_cast<float>(i), 1.0f, 2.0f);
            vertices[i].diffuse = 0xFF000000u | i;
            vertices[i].u2 = static_cast<float>(i) / 2.0f;
        }
    }

    // The Create<kind>Buffer calls since the journal was cleared: `count`, each
    // with this usage and pool (and the host's 16-bit indices).
    static void ExpectCreations(const std::string& kind, size_t count, uint64_t usage, D3DPOOL pool) {
        const std::string api = "IDirect3DDevice8::Create" + kind + "Buffer";
        EXPECT_EQ(ArgsOf(api, 1), std::vector<uint64_t>(count, usage)) << kind;
        EXPECT_EQ(ArgsOf(api, 3), std::vector<uint64_t>(count, pool)) << kind;
        EXPECT_TRUE(kind == "Vertex" || ArgsOf(api, 2) == std::vector<uint64_t>(count, D3DFMT_INDEX16)) << kind;
    }
};

// Created, resized (which keeps the flags) and uploaded: usage, pool and lock.
TEST_F(Buffers, CreationAndUploadFlagsFollowDynamicAndPointSprites) {
    const struct { bool index, dynamic, pointSprites; DWORD usage; D3DPOOL pool; DWORD lock; } cases[] = {
        {false, false, false, 0, D3DPOOL_MANAGED, 0},
        {false, true, true, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY | D3DUSAGE_POINTS, D3DPOOL_DEFAULT, D3DLOCK_DISCARD},
        {true, false, false, D3DUSAGE_WRITEONLY, D3DPOOL_DEFAULT, 0},
        {true, true, false, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, D3DLOCK_DISCARD},
    };
    for (const auto& c : cases) {
        orvplatform::ClearJournal();
        const std::string kind = c.index ? "Index" : "Vertex";
        VertexBuffer* vertices = c.index ? nullptr : MakeVertices(7, c.dynamic, c.pointSprites);
        IndexBuffer* indices = c.index ? MakeIndices(6, c.dynamic) : nullptr;
        ASSERT_TRUE(vertices || indices);
        ASSERT_TRUE(vertices ? vertices->Resize(9) && vertices->Upload() : indices->Resize(8) && indices->Upload());
        ExpectCreations(kind, 2, c.usage, c.pool);
        EXPECT_EQ(ArgsOf("IDirect3D" + kind + "Buffer8::Lock", 3), std::vector<uint64_t>{c.lock}) << kind << c.dynamic;
    }
}

// A failed resize empties the buffer; it uploads nothing, and the next
// resize fills it with what its kind keeps: the vertex buffer its point
// sprites but not its dynamic flag, the index buffer its dynamic flag.
TEST_F(Buffers, AFailedFillLeavesAnEmptyReusableBuffer) {
    VertexBuffer* vertices = MakeVertices(4, true, true);
    IndexBuffer* indices = MakeIndices(4, true);
    ASSERT_TRUE(vertices && indices);
    ClearLines();
    for (const char* kind : {"Vertex", "Index"})
        orvplatform::FailNthCall(std::string("IDirect3DDevice8::Create") + kind + "Buffer", 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(vertices->Resize(10));
    EXPECT_FALSE(indices->Resize(10));
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "Failed to create D3D vertex buffer. (HR:D3DERR_OUTOFVIDEOMEMORY)",
                           "Failed to resize D3D vertex buffer.",
                           "Failed to create D3D index buffer. (HR:D3DERR_OUTOFVIDEOMEMORY)",
                           "Failed to resize D3D index buffer."}));
    EXPECT_TRUE(vertices->GetVertices() == nullptr && indices->GetIndexCount() == 0);

    ClearLinesAndJournal();
    EXPECT_FALSE(vertices->Upload() || indices->Upload());
    EXPECT_TRUE(Lines().size() == 2 && orvplatform::Journal().empty());

    ASSERT_TRUE(vertices->Resize(6) && indices->Resize(6));
    EXPECT_EQ(indices->GetIndexCount(), 6u);
    EXPECT_TRUE(vertices->Upload() && indices->Upload());
    ExpectCreations("Vertex", 1, D3DUSAGE_POINTS, D3DPOOL_MANAGED);
    ExpectCreations("Index", 1, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);
    EXPECT_EQ(ArgsOf("IDirect3DIndexBuffer8::Lock", 3).back(), D3DLOCK_DISCARD);
}

// Uploads copy the host's array; a bound buffer resized keeps its leading
// elements and is bound again with the next upload; one that failed to
// resize or was destroyed leaves the device, which keeps no Direct3D buffer
// the driver let go. Unbinding leaves the vertex shader alone.
TEST_F(Buffers, BoundBuffersUploadResizeAndDestroyAndTheDeviceFollows) {
    VertexBuffer* vertices = MakeVertices(3, false);
    IndexBuffer* indices = m_pRenderer->CreateIndexBuffer(3, false);  // destroyed below
    ASSERT_TRUE(vertices && indices);
    Number(vertices);
    for (unsigned short i = 0; i < 3; ++i) indices->GetIndices()[i] = static_cast<unsigned short>(i + 1);
    ASSERT_TRUE(vertices->Upload() && indices->Upload() && m_pRenderer->SetVertexBuffer(vertices) &&
                m_pRenderer->SetIndexBuffer(indices));
    EXPECT_EQ(VertexShader(), 0x352u);
    EXPECT_EQ(std::memcmp(Contents(BoundStream().buffer, 3 * sizeof(Vertex)).data(), vertices->GetVertices(),
                          3 * sizeof(Vertex)), 0);
    const size_t alive = orvd3d8::LiveObjectCount();

    const std::vector<Vertex> before(vertices->GetVertices(), vertices->GetVertices() + 3);
    ASSERT_TRUE(vertices->Resize(6) && indices->Resize(6));
    for (unsigned i = 0; i < 6; ++i) {
        const Vertex expected = i < 3 ? before[i] : Vertex();
        EXPECT_EQ(std::memcmp(&vertices->GetVertices()[i], &expected, sizeof expected), 0) << i;
        EXPECT_EQ(indices->GetIndices()[i], i < 3 ? i + 1 : 0u) << i;
    }
    Number(vertices);
    indices->GetIndices()[5] = 5;
    ASSERT_TRUE(vertices->Upload() && indices->Upload());
    EXPECT_EQ(std::memcmp(Contents(BoundStream().buffer, 6 * sizeof(Vertex)).data(), vertices->GetVertices(),
                          6 * sizeof(Vertex)), 0);
    EXPECT_EQ(BoundStream().stride, 52u);
    EXPECT_EQ(Contents<unsigned short>(BoundIndices(), 6), (std::vector<unsigned short>{1, 2, 3, 0, 0, 5}));
    EXPECT_EQ(orvd3d8::LiveObjectCount(), alive);

    orvplatform::FailNthCall("IDirect3DDevice8::CreateVertexBuffer", 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_TRUE(!vertices->Resize(9) && BoundStream().buffer == nullptr);
    m_pRenderer->DestroyIndexBuffer(indices);
    EXPECT_TRUE(BoundIndices() == nullptr && orvd3d8::LiveObjectCount() == alive - 2);

    VertexBuffer* other = MakeVertices(3, false);
    ASSERT_TRUE(other && other->Upload() && m_pRenderer->SetVertexBuffer(other));
    m_pD3D->SetVertexShader(0x144);
    ASSERT_TRUE(m_pRenderer->SetVertexBuffer(nullptr));
    EXPECT_TRUE(BoundStream().buffer == nullptr && VertexShader() == 0x144);
}

TEST_F(Buffers, RefusedCreationsReturnNullWithOneLine) {
    const struct { unsigned count; bool index; const char* line; } cases[] = {
        // Lengths past 32 bits never reach Direct3D.
        {0x05000000u, false, "Failed to allocate memory for vertex buffer."},
        {0x80000000u, true, "Failed to allocate memory for index buffer."},
        // The runtime decides about empty buffers (it refuses them).
        {0, true, "Failed to create D3D index buffer. (HR:D3DERR_INVALIDCALL)"},
    };
    for (const auto& c : cases) {
        ClearLines();
        if (c.index) EXPECT_EQ(MakeIndices(c.count, true), nullptr);
        else EXPECT_EQ(MakeVertices(c.count, true), nullptr);
        EXPECT_EQ(Lines(), std::vector<std::string>{c.line});
    }
}

class Draws : public GeometryTest {
protected:
    void SetUp() override {
        GeometryTest::SetUp();
        m_pBuffer = Kept(m_pRenderer->CreateVertexBuffer(12, false, false), &RenderDevice::DestroyVertexBuffer);
        ASSERT_TRUE(m_pBuffer && m_pBuffer->Upload() && m_pRenderer->SetVertexBuffer(m_pBuffer));
        m_pD3DBuffer = BoundStream().buffer;
        ASSERT_TRUE(m_pRenderer->BeginScene());
        m_AtEnd.push_back([this] { m_pRenderer->EndScene(); });
    }
    ScreenQuad* MakeQuad(LONG left, LONG top, LONG right, LONG bottom, uint32_t colour) {
        return Kept(m_pRenderer->CreateScreenQuad(RECT{left, top, right, bottom}, colour), &RenderDevice::DestroyScreenQuad);
    }

    VertexBuffer* m_pBuffer = nullptr;
    IDirect3DVertexBuffer8* m_pD3DBuffer = nullptr;
    Vertex m_Vertices[12];
};

TEST_F(Draws, PrimitiveTypesAndTheTriangleCount) {
    const struct { int type; D3DPRIMITIVETYPE d3d; bool counted; } cases[] = {
        {1, D3DPT_LINELIST, false},      {3, D3DPT_TRIANGLELIST, true},
        {4, D3DPT_TRIANGLESTRIP, true},  {5, D3DPT_TRIANGLEFAN, false},
        {2, D3DPT_LINESTRIP, false},     {-1, D3DPT_POINTLIST, false},
    };
    for (const auto& c : cases) {
        const PrimitiveType type = static_cast<PrimitiveType>(c.type);
        m_pRenderer->EndScene();
        ASSERT_TRUE(m_pRenderer->BeginScene());
        orvd3d8::ClearDraws(m_pD3D);
        // Slot 70 draws like slot 69 whatever its second and fourth arguments.
        ASSERT_TRUE(m_pRenderer->RenderVertexBuffer(type, 3) && m_pRenderer->RenderVertexBufferEx(type, 77, 2, -5) &&
                    m_pRenderer->RenderVertices(type, 1, m_Vertices));
        EXPECT_EQ(m_pRenderer->GetTriangleCount(), c.counted ? 6u : 0u) << c.type;
        const auto draws = orvd3d8::DrawsOf(m_pD3D);
        ASSERT_EQ(draws.size(), 3u);
        for (const auto& draw : draws) EXPECT_EQ(draw.primitiveType, c.d3d) << c.type;
        EXPECT_TRUE(draws[1].firstVertex == 0 && draws[1].primitiveCount == 2);
    }
}

TEST_F(Draws, UserPointerDrawsPutStreamZeroBackAndNullOnesAreRefused) {
    const ULONG references = RefCount(m_pD3DBuffer);
    ScreenQuad* quad = MakeQuad(0, 0, 8, 8, 0xFFFFFFFF);
    ASSERT_NE(quad, nullptr);
    // Each call succeeds once, then fails once at its draw; the vertices
    // leave their own shader set, the quad the one before it.
    const struct { std::function<bool()> draw; DWORD shader; } calls[] = {
        {[&] { return m_pRenderer->RenderVertices(PRIMITIVE_TRIANGLELIST, 2, m_Vertices); }, 0x352},
        {[&] { return m_pRenderer->RenderScreenQuad(quad); }, 0x102}};
    for (bool fails : {false, true})
        for (const auto& c : calls) {
            if (fails) orvplatform::FailEveryCall("IDirect3DDevice8::DrawPrimitiveUP", D3DERR_INVALIDCALL);
            m_pD3D->SetVertexShader(0x102);
            EXPECT_EQ(c.draw(), !fails);
            EXPECT_TRUE(BoundStream().buffer == m_pD3DBuffer && BoundStream().stride == 52) << fails << c.shader;
            EXPECT_EQ(VertexShader(), c.shader) << fails;
            EXPECT_EQ(RefCount(m_pD3DBuffer), references) << fails << c.shader;
        }
    orvplatform::ClearFailures();
    EXPECT_EQ(CountLogged("Failed to render D3D verts using DrawPrimitiveUP. (HR:D3DERR_INVALIDCALL)"), 2u);

    // A null array or quad is refused with one line and no draw.
    ClearLinesAndJournal();
    EXPECT_FALSE(m_pRenderer->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, nullptr));
    EXPECT_FALSE(m_pRenderer->RenderScreenQuad(nullptr));
    EXPECT_EQ(Lines().size(), 2u);
    EXPECT_EQ(CountOf("IDirect3DDevice8::DrawPrimitiveUP"), 0u);

    // The buffer bound before is still the one the next buffer draw reads.
    orvd3d8::ClearDraws(m_pD3D);
    ASSERT_TRUE(m_pRenderer->RenderScreenQuad(quad));
    m_pD3D->SetVertexShader(0x352);
    ASSERT_TRUE(m_pRenderer->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 4));
    EXPECT_EQ(orvd3d8::DrawsOf(m_pD3D).at(1).kind, orvd3d8::DrawKind::Primitive);

    // Without a bound buffer the stream stays empty and nothing leaks.
    ASSERT_TRUE(m_pRenderer->SetVertexBuffer(nullptr));
    ASSERT_TRUE(m_pRenderer->RenderVertices(PRIMITIVE_POINTLIST, 1, m_Vertices));
    EXPECT_EQ(BoundStream().buffer, nullptr);
}

TEST_F(Draws, QuadRectanglesAreUnnormalisedAndTruncated) {
    ScreenQuad* quad = MakeQuad(10, 20, 110, 70, 0x80FF8040);
    ASSERT_NE(quad, nullptr);
    // Rectangles come back as set, unnormalised; written corners are truncated.
    auto corners = [quad] {
        const RECT rect = quad->GetRect();
        return std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom};
    };
    quad->SetRect(RECT{300, 50, -20, -7});
    EXPECT_EQ(corners(), (std::vector<LONG>{300, 50, -20, -7}));
    quad->GetVertices()[0].x = 12.9f, quad->GetVertices()[0].y = -3.7f;
    quad->GetVertices()[1].x = 1e20f, quad->GetVertices()[2].y = std::nanf("");
    EXPECT_EQ(corners(), (std::vector<LONG>{12, -3, INT32_MAX, 0}));
}

// A textured quad with a half-transparent colour over the cleared frame,
// with no material current: its own states override the host's, texture
// times colour, blended by the product's alpha, two triangles of a fan that
// the scene does not count.
TEST_F(Draws, QuadPixelsBlendTextureAndColourOverTheFrame) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(m_pD3D->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    const uint32_t texel = 0xC040FF80;
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    Texel<uint32_t>(locked, 0, 0) = texel;
    texture->UnlockRect(0);
    m_pD3D->SetTexture(0, texture);

    const uint32_t background = 0xFF2060A0, colour = 0x80FF8040;
    m_pRenderer->SetClearColor(background);
    ASSERT_TRUE(m_pRenderer->Clear(true, true, false));
    ScreenQuad* quad = MakeQuad(100, 100, 200, 150, colour);
    m_pRenderer->SetAlphaBlendEnable(false);
    m_pRenderer->SetTextureStageState(0, TEXTURESTATE_COLOROP, TEXTUREOP_SELECTARG1);
    m_pRenderer->SetRenderState(RENDERSTATE_SRCBLEND, BLEND_ONE);
    orvd3d8::ClearDraws(m_pD3D);
    ASSERT_TRUE(m_pRenderer->RenderScreenQuad(quad));
    const auto draws = orvd3d8::DrawsOf(m_pD3D);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_TRUE(draws[0].primitiveType == D3DPT_TRIANGLEFAN && draws[0].primitiveCount == 2);
    EXPECT_EQ(m_pRenderer->GetTriangleCount(), 0u);
    const orvd3d8::Image image = orvd3d8::BackBufferImage(m_pD3D);
    m_pD3D->SetTexture(0, nullptr);
    texture->Release();

    auto channel = [](uint32_t argb, int shift) { return static_cast<double>((argb >> shift) & 0xFF) / 255.0; };
    const double alpha = channel(texel, 24) * channel(colour, 24);
    for (int shift : {16, 8, 0}) {
        const double source = channel(texel, shift) * channel(colour, shift);
        const double expected = 255.0 * (source * alpha + channel(background, shift) * (1.0 - alpha));
        EXPECT_NEAR(static_cast<double>((image.At(150, 125) >> shift) & 0xFF), expected, 2.0) << shift;
    }
    // Outside the rectangle the frame is untouched.
    for (const POINT& outside : {POINT{99, 125}, POINT{150, 151}})
        EXPECT_EQ(image.At(outside.x, outside.y) & 0xFFFFFF, background & 0xFFFFFF) << outside.x;
}

}  // namespace

// The draw operations without a material: primitive types, the scene's
// triangle count, stream 0 around user-pointer draws, and screen quads.
#include <cmath>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "support/D3D8Fixture.h"
#include "support/PluginHarness.h"
#include "host/ScreenQuad.h"
#include "host/VertexBuffer.h"

namespace {

using orvplatform::CountOf;
using GeometryTest = orvtest::DisplayTest;

class Draws : public GeometryTest {
protected:
    void SetUp() override {
        GeometryTest::SetUp();
        m_pBuffer = m_pRenderer->CreateVertexBuffer(12, false, false);
        ASSERT_NE(m_pBuffer, nullptr);
        ASSERT_TRUE(m_pBuffer->Upload());
        ASSERT_TRUE(m_pRenderer->SetVertexBuffer(m_pBuffer));
        m_pD3DBuffer = BoundStream().buffer;
        ASSERT_TRUE(m_pRenderer->BeginScene());
    }
    void TearDown() override {
        m_pRenderer->EndScene();
        for (ScreenQuad* quad : m_Quads) m_pRenderer->DestroyScreenQuad(quad);
        m_pRenderer->DestroyVertexBuffer(m_pBuffer);
        GeometryTest::TearDown();
    }
    ScreenQuad* MakeQuad(LONG left, LONG top, LONG right, LONG bottom, uint32_t colour) {
        ScreenQuad* quad = m_pRenderer->CreateScreenQuad(RECT{left, top, right, bottom}, colour);
        if (quad) m_Quads.push_back(quad);
        return quad;
    }

    VertexBuffer* m_pBuffer = nullptr;
    IDirect3DVertexBuffer8* m_pD3DBuffer = nullptr;
    std::vector<ScreenQuad*> m_Quads;
    Vertex m_Vertices[12];
};

TEST_F(Draws, PrimitiveTypesAndTheTriangleCount) {
    const struct { int type; D3DPRIMITIVETYPE d3d; bool counted; } cases[] = {
        {1, D3DPT_LINELIST, false},      {3, D3DPT_TRIANGLELIST, true},
        {4, D3DPT_TRIANGLESTRIP, true},  {5, D3DPT_TRIANGLEFAN, false},
        {-1, D3DPT_POINTLIST, false},
    };
    for (const auto& c : cases) {
        const PrimitiveType type = static_cast<PrimitiveType>(c.type);
        m_pRenderer->EndScene();
        ASSERT_TRUE(m_pRenderer->BeginScene());
        orvd3d8::ClearDraws(m_pD3D);
        // Slot 70 draws like slot 69 whatever its second and fourth arguments.
        ASSERT_TRUE(m_pRenderer->RenderVertexBuffer(type, 3));
        ASSERT_TRUE(m_pRenderer->RenderVertexBufferEx(type, 77, 2, -5));
        ASSERT_TRUE(m_pRenderer->RenderVertices(type, 1, m_Vertices));
        EXPECT_EQ(m_pRenderer->GetTriangleCount(), c.counted ? 6u : 0u) << c.type;
        const auto draws = orvd3d8::DrawsOf(m_pD3D);
        ASSERT_EQ(draws.size(), 3u);
        for (const auto& draw : draws) EXPECT_EQ(draw.primitiveType, c.d3d) << c.type;
        EXPECT_EQ(draws[1].firstVertex, 0u);
        EXPECT_EQ(draws[1].primitiveCount, 2u);
    }
}

TEST_F(Draws, UserPointerDrawsPutStreamZeroBackAndNullOnesAreRefused) {
    const ULONG references = RefCount(m_pD3DBuffer);
    ScreenQuad* quad = MakeQuad(0, 0, 8, 8, 0xFFFFFFFF);
    ASSERT_NE(quad, nullptr);
    // Each call succeeds once, then fails once at its draw.
    for (bool fails : {false, true}) {
        if (fails) orvplatform::FailEveryCall("IDirect3DDevice8::DrawPrimitiveUP", D3DERR_INVALIDCALL);
        m_pD3D->SetVertexShader(0x102);
        EXPECT_EQ(m_pRenderer->RenderVertices(PRIMITIVE_TRIANGLELIST, 2, m_Vertices), !fails);
        EXPECT_EQ(BoundStream().buffer, m_pD3DBuffer) << fails;
        EXPECT_EQ(VertexShader(), 0x352u) << fails;
        EXPECT_EQ(RefCount(m_pD3DBuffer), references) << fails;

        m_pD3D->SetVertexShader(0x102);
        EXPECT_EQ(m_pRenderer->RenderScreenQuad(quad), !fails);
        EXPECT_EQ(BoundStream().buffer, m_pD3DBuffer) << fails;
        EXPECT_EQ(BoundStream().stride, 52u) << fails;
        EXPECT_EQ(VertexShader(), 0x102u) << fails;
        EXPECT_EQ(RefCount(m_pD3DBuffer), references) << fails;
    }
    orvplatform::ClearFailures();
    EXPECT_EQ(CountLogged("Failed to render D3D verts using DrawPrimitiveUP. (HR:D3DERR_INVALIDCALL)"),
              2u);

    // A null array or quad is refused with one line and no draw.
    ClearLines();
    orvplatform::ClearJournal();
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
    quad->SetRect(RECT{300, 50, -20, -7});
    RECT rect = quad->GetRect();
    EXPECT_EQ(rect.left, 300);
    EXPECT_EQ(rect.bottom, -7);
    quad->GetVertices()[0].x = 12.9f;
    quad->GetVertices()[0].y = -3.7f;
    quad->GetVertices()[1].x = 1e20f;
    quad->GetVertices()[2].y = std::nanf("");
    rect = quad->GetRect();
    EXPECT_EQ(rect.left, 12);
    EXPECT_EQ(rect.top, -3);
    EXPECT_EQ(rect.right, INT32_MAX);
    EXPECT_EQ(rect.bottom, 0);
}

// A textured quad with a half-transparent colour over the cleared frame,
// with no material current: its own states override the host's, texture
// times colour, blended by the product's alpha, two triangles of a fan that
// the scene does not count.
TEST_F(Draws, QuadPixelsBlendTextureAndColourOverTheFrame) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(m_pD3D->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    const uint32_t texel = 0xC040FF80;
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) Texel<uint32_t>(locked, x, y) = texel;
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
    EXPECT_EQ(draws[0].primitiveType, D3DPT_TRIANGLEFAN);
    EXPECT_EQ(draws[0].primitiveCount, 2u);
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
    EXPECT_EQ(image.At(99, 125) & 0xFFFFFF, background & 0xFFFFFF);
    EXPECT_EQ(image.At(150, 151) & 0xFFFFFF, background & 0xFFFFFF);
}

}  // namespace

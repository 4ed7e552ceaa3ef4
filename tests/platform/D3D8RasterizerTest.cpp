// The software rasteriser: texturing, alpha test and blending, edges, and
// what stage 0 does without a texture.
#include <cstring>

#include "support/D3D8Fixture.h"

namespace {

struct ScreenVertex { float x, y, z, rhw; DWORD colour; float u, v; };
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr uint32_t kBackground = 0xFF0000FF;

class D3D8Rasterizer : public D3D8Fixture {
protected:
    void SetUp() override {
        D3D8Fixture::SetUp();
        ASSERT_NE(Device(), nullptr);
        ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1, 0), D3D_OK);
        ASSERT_EQ(m_Device->SetVertexShader(kScreenFvf), D3D_OK);
        ASSERT_EQ(m_Device->BeginScene(), D3D_OK);
    }

    // Two clockwise triangles covering the pixels [left, right) x [top, bottom).
    void Quad(float left, float top, float right, float bottom, DWORD colour) {
        const float l = left - 0.5f, t = top - 0.5f, r = right - 0.5f, b = bottom - 0.5f;
        const ScreenVertex quad[4] = {{l, b, 0.5f, 1, colour, 0, 1}, {l, t, 0.5f, 1, colour, 0, 0},
                                      {r, b, 0.5f, 1, colour, 1, 1}, {r, t, 0.5f, 1, colour, 1, 0}};
        ASSERT_EQ(m_Device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex)), D3D_OK);
    }

    // Colour and alpha both `op` of `arg` and the diffuse colour.
    void Stage0(DWORD op, DWORD arg) {
        const std::pair<D3DTEXTURESTAGESTATETYPE, DWORD> states[] = {
            {D3DTSS_COLOROP, op}, {D3DTSS_COLORARG1, arg}, {D3DTSS_COLORARG2, D3DTA_DIFFUSE},
            {D3DTSS_ALPHAOP, op}, {D3DTSS_ALPHAARG1, arg}, {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE}};
        for (const auto& state : states)
            ASSERT_EQ(m_Device->SetTextureStageState(0, state.first, state.second), D3D_OK);
    }

    void Blend() {
        m_Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        m_Device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        m_Device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }

    uint32_t Pixel(int x, int y) const { return orvd3d8::BackBufferImage(m_Device).At(x, y); }
};

void ExpectNear(uint32_t actual, uint32_t expected, const char* what) {
    for (int shift = 0; shift < 32; shift += 8)
        EXPECT_NEAR(static_cast<int>((actual >> shift) & 0xFF),
                    static_cast<int>((expected >> shift) & 0xFF), 2)
            << what << std::hex << " actual 0x" << actual << " expected 0x" << expected;
}

TEST_F(D3D8Rasterizer, TexturedQuadModulatesAlphaTestsAndBlends) {
    IDirect3DTexture8* texture = nullptr;
    D3DLOCKED_RECT locked;
    ASSERT_EQ(m_Device->CreateTexture(2, 2, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture), D3D_OK);
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    const uint16_t texels[2][2] = {{0xFFFF, 0x0FFF},   // opaque white, transparent
                                   {0x8F00, 0xF0F0}};  // half-transparent red, green
    for (int y = 0; y < 2; ++y)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, texels[y], 4);
    texture->UnlockRect(0);

    // The debug font's states.
    ASSERT_EQ(m_Device->SetTexture(0, texture), D3D_OK);
    Blend();
    m_Device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    m_Device->SetRenderState(D3DRS_ALPHAREF, 8);
    m_Device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_NOTEQUAL);
    Stage0(D3DTOP_MODULATE, D3DTA_TEXTURE);

    Quad(10, 10, 30, 30, 0xFFFFFF00);  // yellow
    const float alpha = 0x88 / 255.0f;
    const uint32_t blended = 0xFF000000u | (static_cast<uint32_t>(alpha * 255 + 0.5f) << 16) |
                             static_cast<uint32_t>((1 - alpha) * 255 + 0.5f);
    // White and green texels times yellow up to the last pixel inside; the
    // transparent texel fails the alpha test; half-transparent red blends
    // over blue; right and bottom edges belong to the neighbour.
    const struct { int x, y; uint32_t expected; const char* what; } cases[] = {
        {19, 19, 0xFFFFFF00, "white"}, {25, 12, kBackground, "alpha test"}, {12, 25, blended, "blend"},
        {29, 29, 0xFF00FF00, "green"}, {30, 29, kBackground, "right"},      {29, 30, kBackground, "bottom"}};
    for (const auto& c : cases) ExpectNear(Pixel(c.x, c.y), c.expected, c.what);
    ASSERT_EQ(m_Device->SetTexture(0, nullptr), D3D_OK);
    texture->Release();
}

TEST_F(D3D8Rasterizer, OperationsOnAMissingTexturePassTheCurrentColourOn) {
    // Half-transparent green blended by its alpha over the blue background,
    // unless the operation ignores its texture argument.
    const struct { DWORD arg; uint32_t expected; } cases[] = {{D3DTA_TEXTURE, 0xFF00807Fu},
                                                              {D3DTA_TFACTOR, 0xFFFF0000u}};
    ASSERT_EQ(m_Device->SetTexture(0, nullptr), D3D_OK);
    ASSERT_EQ(m_Device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFF0000), D3D_OK);
    Blend();
    int x = 0;
    for (const auto& c : cases) {
        Stage0(D3DTOP_SELECTARG1, c.arg);
        Quad(static_cast<float>(x), 0, static_cast<float>(x + 4), 4, 0x8000FF00);
        ExpectNear(Pixel(x + 1, 1), c.expected, c.arg == D3DTA_TEXTURE ? "texture" : "factor");
        x += 8;
    }
}

}  // namespace

// Device state: Direct3D 8's initial values, refusals of unknown states,
// transforms, lights, the viewport, and what the journal records.
#include <cstring>

#include "D3D8Fixture.h"

namespace {

class D3D8DeviceState : public D3D8Fixture {};

TEST_F(D3D8DeviceState, RenderStatesStartAtTheDocumentedDefaults) {
    struct Case {
        D3DRENDERSTATETYPE state;
        DWORD expected;
    } cases[] = {
        {D3DRS_ZENABLE, D3DZB_TRUE},
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {D3DRS_ZWRITEENABLE, TRUE},
        {D3DRS_ALPHATESTENABLE, FALSE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_ALPHAREF, 0},
        {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
        {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_FOGEND, 0x3F800000},
        {D3DRS_STENCILMASK, 0xFFFFFFFF},
        {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},
        {D3DRS_LIGHTING, TRUE},
        {D3DRS_COLORVERTEX, TRUE},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
        {D3DRS_COLORWRITEENABLE, 0xF},
        {D3DRS_BLENDOP, D3DBLENDOP_ADD},
        {D3DRS_SOFTWAREVERTEXPROCESSING, FALSE},
        {D3DRS_POINTSIZE, 0x3F800000},
        {D3DRS_POINTSIZE_MIN, 0},
    };
    ASSERT_NE(Device(), nullptr);
    // The largest point size starts at the caps' limit.
    D3DCAPS8 caps{};
    ASSERT_EQ(m_Device->GetDeviceCaps(&caps), D3D_OK);
    DWORD pointSizeMax = 0;
    ASSERT_EQ(m_Device->GetRenderState(D3DRS_POINTSIZE_MAX, &pointSizeMax), D3D_OK);
    float largest = 0.0f;
    std::memcpy(&largest, &pointSizeMax, sizeof largest);
    EXPECT_EQ(largest, caps.MaxPointSize);

    for (const Case& c : cases) {
        DWORD value = 0xDEADBEEF;
        ASSERT_EQ(m_Device->GetRenderState(c.state, &value), D3D_OK) << c.state;
        EXPECT_EQ(value, c.expected) << c.state;
    }
    EXPECT_EQ(m_Device->Release(), 0u);

    // Without a depth buffer z starts disabled.
    ASSERT_EQ(Create(Windowed(FALSE)), D3D_OK);
    DWORD zenable = 0xDEADBEEF;
    ASSERT_EQ(m_Device->GetRenderState(D3DRS_ZENABLE, &zenable), D3D_OK);
    EXPECT_EQ(zenable, static_cast<DWORD>(D3DZB_FALSE));
}

TEST_F(D3D8DeviceState, TextureStageStatesStartAtTheDocumentedDefaults) {
    struct Case {
        DWORD stage;
        D3DTEXTURESTAGESTATETYPE type;
        DWORD expected;
    } cases[] = {
        {0, D3DTSS_COLOROP, D3DTOP_MODULATE},
        {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
        {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
        {7, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
        {3, D3DTSS_COLORARG1, D3DTA_TEXTURE},
        {3, D3DTSS_COLORARG2, D3DTA_CURRENT},
        {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
        {5, D3DTSS_TEXCOORDINDEX, 5},
        {2, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP},
        {2, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP},
        {0, D3DTSS_MAGFILTER, D3DTEXF_POINT},
        {0, D3DTSS_MINFILTER, D3DTEXF_POINT},
        {0, D3DTSS_MIPFILTER, D3DTEXF_NONE},
        {4, D3DTSS_MAXANISOTROPY, 1},
        {1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
        {6, D3DTSS_RESULTARG, D3DTA_CURRENT},
    };
    ASSERT_NE(Device(), nullptr);
    for (const Case& c : cases) {
        DWORD value = 0xDEADBEEF;
        ASSERT_EQ(m_Device->GetTextureStageState(c.stage, c.type, &value), D3D_OK);
        EXPECT_EQ(value, c.expected) << "stage " << c.stage << " state " << c.type;
    }
}

TEST_F(D3D8DeviceState, UnknownStateNumbersAreRefused) {
    ASSERT_NE(Device(), nullptr);
    DWORD value = 0;

    const D3DRENDERSTATETYPE badStates[] = {static_cast<D3DRENDERSTATETYPE>(0),
                                            static_cast<D3DRENDERSTATETYPE>(11),
                                            static_cast<D3DRENDERSTATETYPE>(174)};
    for (D3DRENDERSTATETYPE state : badStates) {
        EXPECT_EQ(m_Device->SetRenderState(state, 1), D3DERR_INVALIDCALL) << state;
        EXPECT_EQ(m_Device->GetRenderState(state, &value), D3DERR_INVALIDCALL) << state;
    }
    EXPECT_EQ(m_Device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_ADD), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(12), 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->GetRenderState(D3DRS_ZENABLE, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(D3D8DeviceState, TransformsStartAsIdentityAndMultiplyOnTheLeft) {
    ASSERT_NE(Device(), nullptr);
    const D3DTRANSFORMSTATETYPE states[] = {D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_TEXTURE7,
                                            D3DTS_WORLD, D3DTS_WORLDMATRIX(255)};
    for (D3DTRANSFORMSTATETYPE state : states) {
        D3DMATRIX m;
        ASSERT_EQ(m_Device->GetTransform(state, &m), D3D_OK) << state;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) EXPECT_EQ(m.m[r][c], r == c ? 1.0f : 0.0f) << state;
    }
    D3DMATRIX scale = {}, translate = {};
    for (int i = 0; i < 4; ++i) scale.m[i][i] = translate.m[i][i] = 1.0f;
    scale._11 = 2.0f;
    translate._41 = 5.0f;
    ASSERT_EQ(m_Device->SetTransform(D3DTS_WORLD, &translate), D3D_OK);
    ASSERT_EQ(m_Device->MultiplyTransform(D3DTS_WORLD, &scale), D3D_OK);
    D3DMATRIX product;
    ASSERT_EQ(m_Device->GetTransform(D3DTS_WORLD, &product), D3D_OK);
    // scale × translate: the translation is not scaled.
    EXPECT_EQ(product._11, 2.0f);
    EXPECT_EQ(product._41, 5.0f);

    EXPECT_EQ(m_Device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(1), &scale),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->SetTransform(D3DTS_VIEW, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(D3D8DeviceState, LightsViewportAndVertexShader) {
    ASSERT_NE(Device(), nullptr);
    D3DLIGHT8 light = {};
    EXPECT_EQ(m_Device->SetLight(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->GetLight(0, &light), D3DERR_INVALIDCALL);
    BOOL enabled = TRUE;
    EXPECT_EQ(m_Device->GetLightEnable(0, &enabled), D3DERR_INVALIDCALL);

    // Enabling a light never set gives it the default white directional light.
    ASSERT_EQ(m_Device->LightEnable(3, TRUE), D3D_OK);
    ASSERT_EQ(m_Device->GetLight(3, &light), D3D_OK);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(light.Diffuse.r, 1.0f);
    EXPECT_EQ(light.Direction.z, 1.0f);
    ASSERT_EQ(m_Device->GetLightEnable(3, &enabled), D3D_OK);
    EXPECT_TRUE(enabled);

    light.Type = D3DLIGHT_POINT;
    ASSERT_EQ(m_Device->SetLight(3, &light), D3D_OK);
    ASSERT_EQ(m_Device->GetLightEnable(3, &enabled), D3D_OK);
    EXPECT_TRUE(enabled) << "setting a light keeps it enabled";

    D3DVIEWPORT8 viewport = {};
    ASSERT_EQ(m_Device->GetViewport(&viewport), D3D_OK);
    EXPECT_EQ(viewport.Width, static_cast<DWORD>(kWindowWidth));
    EXPECT_EQ(viewport.Height, static_cast<DWORD>(kWindowHeight));
    EXPECT_EQ(viewport.MaxZ, 1.0f);
    viewport = {10, 10, kWindowWidth - 10, kWindowHeight - 10, 0.0f, 1.0f};
    EXPECT_EQ(m_Device->SetViewport(&viewport), D3D_OK);
    viewport.Width += 1;
    EXPECT_EQ(m_Device->SetViewport(&viewport), D3DERR_INVALIDCALL);

    DWORD shader = 1;
    ASSERT_EQ(m_Device->GetVertexShader(&shader), D3D_OK);
    EXPECT_EQ(shader, 0u);
    EXPECT_EQ(m_Device->SetVertexShader(0x352), D3D_OK);
    EXPECT_EQ(m_Device->SetVertexShader(0x353), D3DERR_INVALIDCALL);  // no created shaders
}

TEST_F(D3D8DeviceState, JournalRecordsArgumentsAndAnInjectedFailureChangesNothing) {
    ASSERT_NE(Device(), nullptr);
    orvplatform::ClearJournal();
    orvplatform::FailNthCall("IDirect3DDevice8::SetRenderState", 2, D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
    EXPECT_EQ(m_Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER), D3D_OK);
    ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0xFF102030, 0.5f, 7), D3D_OK);
    DWORD cull = 0;
    ASSERT_EQ(m_Device->GetRenderState(D3DRS_CULLMODE, &cull), D3D_OK);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_NONE));

    std::vector<orvplatform::Call> set = orvplatform::CallsOf("IDirect3DDevice8::SetRenderState");
    ASSERT_EQ(set.size(), 3u);
    EXPECT_FALSE(set[0].injected);
    EXPECT_TRUE(set[1].injected);
    EXPECT_EQ(set[1].result, D3DERR_INVALIDCALL);
    EXPECT_EQ(set[2].args, (std::vector<uint64_t>{D3DRS_ZFUNC, D3DCMP_GREATER}));
    std::vector<orvplatform::Call> clear = orvplatform::CallsOf("IDirect3DDevice8::Clear");
    ASSERT_EQ(clear.size(), 1u);
    EXPECT_EQ(clear[0].args, (std::vector<uint64_t>{0, 0, D3DCLEAR_ZBUFFER, 0xFF102030,
                                                    orvplatform::FloatBits(0.5f), 7}));
}

}  // namespace

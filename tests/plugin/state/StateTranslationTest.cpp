// Engine render and stage states reach the device translated: the state
// tables, every value table at its edges, and the typed setters.
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "support/PluginHarness.h"

namespace {

using orvtest::DisplayTest;

class StateTranslation : public DisplayTest {
protected:
    DWORD RenderState(D3DRENDERSTATETYPE state) const {
        DWORD value = 0xDEADBEEF;
        m_pD3D->GetRenderState(state, &value);
        return value;
    }
    DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state) const {
        DWORD value = 0xDEADBEEF;
        m_pD3D->GetTextureStageState(stage, state, &value);
        return value;
    }

};

TEST_F(StateTranslation, RenderStatesGoThroughTheirValueTables) {
    struct Case {
        unsigned state, value;
        D3DRENDERSTATETYPE d3dState;
        DWORD expected;
    };
    const Case cases[] = {
        {1, 1, D3DRS_FILLMODE, D3DFILL_WIREFRAME},
        {1, 9, D3DRS_FILLMODE, D3DFILL_SOLID},  // out of range: solid
        {1, 0, D3DRS_FILLMODE, D3DFILL_POINT},
        {2, 0, D3DRS_SHADEMODE, D3DSHADE_FLAT},
        {2, 2, D3DRS_SHADEMODE, D3DSHADE_PHONG},
        {2, 3, D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {9, 0, D3DRS_CULLMODE, D3DCULL_NONE},
        {9, 1, D3DRS_CULLMODE, D3DCULL_CW},
        {9, 7, D3DRS_CULLMODE, D3DCULL_CCW},
        // The compare table swaps greater-or-equal and not-equal ...
        {10, 5, D3DRS_ZFUNC, D3DCMP_GREATEREQUAL},
        {10, 6, D3DRS_ZFUNC, D3DCMP_NOTEQUAL},
        {10, 7, D3DRS_ZFUNC, D3DCMP_ALWAYS},
        {10, 8, D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        // ... the alpha-test comparison goes through the blend table (n + 1).
        {12, 5, D3DRS_ALPHAFUNC, D3DCMP_NOTEQUAL},
        {12, 6, D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL},
        {12, 12, D3DRS_ALPHAFUNC, 13},
        {12, 13, D3DRS_ALPHAFUNC, D3DCMP_NEVER},
        {7, 12, D3DRS_SRCBLEND, D3DBLEND_BOTHINVSRCALPHA},
        {8, 0xFFFFFFFFu, D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {73, 4, D3DRS_BLENDOP, D3DBLENDOP_MAX},
        // Unchanged values and the last row of the table.
        {45, 0x80FF0102u, D3DRS_AMBIENT, 0x80FF0102u},
        {75, 1, D3DRS_NORMALORDER, 1},
        {11, 200, D3DRS_ALPHAREF, 200},
    };
    for (const Case& c : cases) {
        m_pRenderer->SetRenderState(c.state, c.value);
        EXPECT_EQ(RenderState(c.d3dState), c.expected) << "state " << c.state << " value " << c.value;
    }

    // A state outside the table drives z-enable.
    m_pRenderer->SetRenderState(0, 0);
    m_pRenderer->SetRenderState(80, 1);
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), 1u);
}

TEST_F(StateTranslation, StageStatesGoThroughTheirValueTables) {
    struct Case {
        unsigned stage, state, value;
        D3DTEXTURESTAGESTATETYPE d3dState;
        DWORD expected;
    };
    const Case cases[] = {
        {0, 0, 25, D3DTSS_COLOROP, D3DTOP_LERP},
        {0, 0, 26, D3DTSS_COLOROP, D3DTOP_DISABLE},
        {2, 1, 3, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
        {0, 2, 7, D3DTSS_COLORARG1, D3DTA_ALPHAREPLICATE},
        {0, 3, 8, D3DTSS_COLORARG2, D3DTA_COMPLEMENT},
        {1, 4, 2, D3DTSS_ALPHAARG1, D3DTA_SELECTMASK},
        {1, 5, 9, D3DTSS_ALPHAARG2, D3DTA_CURRENT},
        {0, 24, 6, D3DTSS_COLORARG0, D3DTA_TFACTOR},
        {0, 26, 4, D3DTSS_RESULTARG, D3DTA_TEMP},
        {0, 14, 2, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP},
        {0, 15, 4, D3DTSS_ADDRESSV, D3DTADDRESS_MIRRORONCE},
        {0, 16, 0xFFFFFFFFu, D3DTSS_ADDRESSW, D3DTADDRESS_WRAP},
        {0, 10, 2, D3DTSS_MAGFILTER, D3DTEXF_LINEAR},  // filters pass unchanged
        {7, 13, 1, D3DTSS_TEXCOORDINDEX, 1},
        {3, 99, 0, D3DTSS_COLOROP, D3DTOP_DISABLE},  // outside the table: colour op
    };
    for (const Case& c : cases) {
        m_pRenderer->SetTextureStageState(c.stage, c.state, c.value);
        EXPECT_EQ(StageState(c.stage, c.d3dState), c.expected)
            << "stage " << c.stage << " state " << c.state << " value " << c.value;
    }
}

TEST_F(StateTranslation, TypedSettersAndGettersAskTheDevice) {
    m_pRenderer->SetZFunc(99);
    EXPECT_EQ(RenderState(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_LESSEQUAL));
    m_pRenderer->SetSrcBlend(6);
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_DESTALPHA));
    m_pRenderer->SetSrcBlend(static_cast<unsigned>(-1));
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ZERO));
    m_pRenderer->SetCullMode(0);
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
    m_pRenderer->SetLighting(true);
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), 1u);
    m_pRenderer->SetAmbient(0x01020304);
    EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0x01020304u);

    // The getters read the device, so a change made behind the driver shows.
    m_pD3D->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    EXPECT_FALSE(m_pRenderer->GetZEnable());
    m_pRenderer->SetZEnable(true);
    EXPECT_TRUE(m_pRenderer->GetZEnable());
    m_pD3D->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    EXPECT_TRUE(m_pRenderer->GetAlphaBlendEnable());
    m_pRenderer->SetAlphaBlendEnable(false);
    EXPECT_FALSE(m_pRenderer->GetAlphaBlendEnable());

    m_pRenderer->DisableTexturing();
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE));
}

TEST_F(StateTranslation, EverySetReachesTheDeviceEvenWhenNothingChanges) {
    orvplatform::ClearJournal();
    m_pRenderer->SetFillMode(2);
    m_pRenderer->SetFillMode(2);
    EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::SetRenderState"), 2u);
}

TEST_F(StateTranslation, TheTextureFilterReachesEveryStageInOrder) {
    orvplatform::ClearJournal();
    m_pRenderer->SetTextureFilter(D3DTEXF_LINEAR);
    EXPECT_EQ(m_pRenderer->GetTextureFilter(), static_cast<unsigned>(D3DTEXF_LINEAR));
    const std::vector<orvplatform::Call> calls =
        orvplatform::CallsOf("IDirect3DDevice8::SetTextureStageState");
    ASSERT_EQ(calls.size(), 24u);
    const DWORD order[] = {D3DTSS_MINFILTER, D3DTSS_MAGFILTER, D3DTSS_MIPFILTER};
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].args[0], i / 3) << i;
        EXPECT_EQ(calls[i].args[1], order[i % 3]) << i;
        EXPECT_EQ(calls[i].args[2], static_cast<uint64_t>(D3DTEXF_LINEAR)) << i;
    }
}

TEST_F(StateTranslation, TheNeutralMaterialStateIsReappliedByANullMaterial) {
    m_pRenderer->SetRenderState(7, 6);
    m_pRenderer->SetCullMode(0);
    m_pRenderer->SetRenderState(4, 0);
    m_pRenderer->SetTextureStageState(1, 0, 3);
    EXPECT_TRUE(m_pRenderer->SetMaterial(nullptr));
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ZERO));
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), 1u);
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    // Stage 1's operation is not part of the neutral state.
    EXPECT_EQ(StageState(1, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(m_pRenderer->GetMaterial(), nullptr);
}

}  // namespace

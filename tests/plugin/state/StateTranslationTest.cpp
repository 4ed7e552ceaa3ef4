// Engine render and stage states reach the device translated: the state
// tables, every value table at its edges, and the typed setters.
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "support/PluginHarness.h"

namespace {

using orvtest::DisplayTest;

using StateTranslation = DisplayTest;

TEST_F(StateTranslation, RenderStatesGoThroughTheirValueTables) {
    struct Case {
        unsigned state, value;
        D3DRENDERSTATETYPE d3dState;
        DWORD expected;
    };
    const Case cases[] = {
        {RENDERSTATE_FILLMODE, 9, D3DRS_FILLMODE, D3DFILL_SOLID},  // out of range: solid
        // The compare table swaps greater-or-equal and not-equal ...
        {RENDERSTATE_ZFUNC, COMPARE_GREATEREQUAL, D3DRS_ZFUNC, D3DCMP_GREATEREQUAL},
        {RENDERSTATE_ZFUNC, COMPARE_NOTEQUAL, D3DRS_ZFUNC, D3DCMP_NOTEQUAL},
        // ... the alpha-test comparison goes through the blend table (n + 1).
        {RENDERSTATE_BLENDFUNC, BLENDFUNC_NOTEQUAL, D3DRS_ALPHAFUNC, D3DCMP_NOTEQUAL},
        {RENDERSTATE_DESTBLEND, 0xFFFFFFFFu, D3DRS_DESTBLEND, D3DBLEND_ZERO},
        // The last row of the table.
        {RENDERSTATE_NORMALORDER, 1, D3DRS_NORMALORDER, 1},
    };
    for (const Case& c : cases) {
        m_pRenderer->SetRenderState(c.state, c.value);
        EXPECT_EQ(RenderState(c.d3dState), c.expected) << "state " << c.state << " value " << c.value;
    }

    // A state outside the table drives z-enable.
    m_pRenderer->SetRenderState(RENDERSTATE_ZENABLE, D3DZB_FALSE);
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
        {0, TEXTURESTATE_COLOROP, TEXTUREOP_COUNT, D3DTSS_COLOROP, D3DTOP_DISABLE},
        {1, TEXTURESTATE_ALPHAARG2, TEXTUREARG_COUNT, D3DTSS_ALPHAARG2, D3DTA_CURRENT},
        {0, TEXTURESTATE_ADDRESSW, 0xFFFFFFFFu, D3DTSS_ADDRESSW, D3DTADDRESS_WRAP},
        {3, 99, 0, D3DTSS_COLOROP, D3DTOP_DISABLE},  // outside the table: colour op
    };
    for (const Case& c : cases) {
        m_pRenderer->SetTextureStageState(c.stage, c.state, c.value);
        EXPECT_EQ(StageState(c.stage, c.d3dState), c.expected)
            << "stage " << c.stage << " state " << c.state << " value " << c.value;
    }
}

TEST_F(StateTranslation, TheGettersReadTheDevice) {
    // A change made behind the driver shows.
    m_pD3D->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    EXPECT_FALSE(m_pRenderer->GetZEnable());
    m_pD3D->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    EXPECT_TRUE(m_pRenderer->GetAlphaBlendEnable());
}

TEST_F(StateTranslation, TheTextureFilterReachesEveryStageInOrder) {
    orvplatform::ClearJournal();
    m_pRenderer->SetTextureFilter(D3DTEXF_LINEAR);
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
    m_pRenderer->SetRenderState(RENDERSTATE_SRCBLEND, BLEND_DESTALPHA);
    m_pRenderer->SetCullMode(CULL_NONE);
    m_pRenderer->SetRenderState(RENDERSTATE_ZWRITEENABLE, FALSE);
    m_pRenderer->SetTextureStageState(1, TEXTURESTATE_COLOROP, TEXTUREOP_MODULATE);
    EXPECT_TRUE(m_pRenderer->SetMaterial(nullptr));
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    // Stage 1's operation is not part of the neutral state.
    EXPECT_EQ(StageState(1, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
}

}  // namespace

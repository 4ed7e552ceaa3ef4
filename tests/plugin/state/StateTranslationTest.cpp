// Engine render and stage states reach the device translated: the state
// tables and the value tables at their edges.
#include <orv/D3D8Control.h>

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

    // A state past the table's last row drives z-enable.
    m_pRenderer->SetRenderState(RENDERSTATE_ZENABLE, D3DZB_FALSE);
    m_pRenderer->SetRenderState(RENDERSTATE_COUNT + 4, 1);
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

TEST_F(StateTranslation, TheTextureFilterReachesEveryStage) {
    m_pRenderer->SetTextureFilter(D3DTEXF_LINEAR);
    for (DWORD stage = 0; stage < 8; ++stage)
        for (D3DTEXTURESTAGESTATETYPE state : {D3DTSS_MINFILTER, D3DTSS_MAGFILTER, D3DTSS_MIPFILTER})
            EXPECT_EQ(StageState(stage, state), static_cast<DWORD>(D3DTEXF_LINEAR)) << stage << " " << state;
}

}  // namespace

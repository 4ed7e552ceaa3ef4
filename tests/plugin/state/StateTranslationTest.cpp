// Engine render and stage states reach the device translated: every value of
// every translated state (and one past each table) through the device, by
// SetRenderState / SetTextureStageState and by the dedicated setters; the
// other states unchanged; states past the tables. The render-state and
// stage-state dumps: their exact lines.
#include "state/StateTables.h"
#include "support/PluginHarness.h"

namespace {

using namespace state;
using StateTranslation = orvtest::DisplayTest;
using StateDump = orvtest::DisplayTest;

struct Translated {
    unsigned engine;
    DWORD d3d;
    const ValueNumbering& values;
    void (RenderDevice::*setter)(unsigned) = nullptr;  // the dedicated setter, if any
};
// The alpha-test comparison and the blend operation go through the blend
// factors' table (n + 1).
const Translated kRenderStates[] = {
    {RENDERSTATE_FILLMODE, D3DRS_FILLMODE, kFillModes, &RenderDevice::SetFillMode},
    {RENDERSTATE_SHADEMODE, D3DRS_SHADEMODE, kShadeModes, &RenderDevice::SetShadeMode},
    {RENDERSTATE_SRCBLEND, D3DRS_SRCBLEND, kBlendFactors, &RenderDevice::SetSrcBlend},
    {RENDERSTATE_DESTBLEND, D3DRS_DESTBLEND, kBlendFactors, &RenderDevice::SetDestBlend},
    {RENDERSTATE_CULLMODE, D3DRS_CULLMODE, kCullModes, &RenderDevice::SetCullMode},
    {RENDERSTATE_ZFUNC, D3DRS_ZFUNC, kCompareFuncs, &RenderDevice::SetZFunc},
    {RENDERSTATE_BLENDFUNC, D3DRS_ALPHAFUNC, kBlendFactors},
    {RENDERSTATE_BLENDOP, D3DRS_BLENDOP, kBlendFactors},
};
const Translated kStageStates[] = {
    {TEXTURESTATE_COLOROP, D3DTSS_COLOROP, kTextureOps}, {TEXTURESTATE_ALPHAOP, D3DTSS_ALPHAOP, kTextureOps},
    {TEXTURESTATE_COLORARG0, D3DTSS_COLORARG0, kTextureArgs}, {TEXTURESTATE_COLORARG1, D3DTSS_COLORARG1, kTextureArgs},
    {TEXTURESTATE_COLORARG2, D3DTSS_COLORARG2, kTextureArgs}, {TEXTURESTATE_ALPHAARG0, D3DTSS_ALPHAARG0, kTextureArgs},
    {TEXTURESTATE_ALPHAARG1, D3DTSS_ALPHAARG1, kTextureArgs}, {TEXTURESTATE_ALPHAARG2, D3DTSS_ALPHAARG2, kTextureArgs},
    {TEXTURESTATE_RESULTARG, D3DTSS_RESULTARG, kTextureArgs}, {TEXTURESTATE_ADDRESSU, D3DTSS_ADDRESSU, kTextureAddresses},
    {TEXTURESTATE_ADDRESSV, D3DTSS_ADDRESSV, kTextureAddresses}, {TEXTURESTATE_ADDRESSW, D3DTSS_ADDRESSW, kTextureAddresses},
};

template <size_t N>
const Translated* Find(const Translated (&rows)[N], unsigned engine) {
    for (const Translated& row : rows)
        if (row.engine == engine) return &row;
    return nullptr;
}

TEST_F(StateTranslation, EveryValueOfEveryTranslatedStateReachesTheDeviceTranslated) {
    for (const Translated& s : kRenderStates)
        for (unsigned value = 0; value <= s.values.count; ++value) {
            const DWORD expected = s.values.Row(value).d3d;
            m_pRenderer->SetRenderState(s.engine, value);
            EXPECT_EQ(RenderState(static_cast<D3DRENDERSTATETYPE>(s.d3d)), expected) << s.engine << " " << value;
            if (!s.setter) continue;
            m_pRenderer->SetRenderState(s.engine, s.values.count);  // another value in between
            (m_pRenderer->*s.setter)(value);
            EXPECT_EQ(RenderState(static_cast<D3DRENDERSTATETYPE>(s.d3d)), expected) << "setter " << s.engine;
        }
    for (const Translated& s : kStageStates)
        for (unsigned value = 0; value <= s.values.count; ++value) {
            const unsigned stage = value % kStageCount;
            m_pRenderer->SetTextureStageState(stage, s.engine, value);
            EXPECT_EQ(StageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(s.d3d)), s.values.Row(value).d3d)
                << "stage " << stage << " state " << s.engine << " value " << value;
        }
}

TEST_F(StateTranslation, OtherStatesPassTheirValueAndStatesPastTheTablesDriveTheFirstRow) {
    // The dump reads each engine state's Direct3D state back from the device.
    for (unsigned engine = 0; engine < RENDERSTATE_COUNT; ++engine)
        if (!Find(kRenderStates, engine)) m_pRenderer->SetRenderState(engine, 1);
    ClearLines();
    ASSERT_TRUE(m_pRenderer->DumpRenderStates());
    ASSERT_EQ(Lines().size(), RENDERSTATE_COUNT + 2u);
    for (unsigned engine = 0; engine < RENDERSTATE_COUNT; ++engine) {
        const std::string& line = Lines()[engine + 1];
        EXPECT_TRUE(Find(kRenderStates, engine) || line.substr(line.size() - 3) == ": 1") << line;
    }
    m_pRenderer->SetTextureStageState(2, TEXTURESTATE_TEXCOORDINDEX, 1);
    EXPECT_EQ(StageState(2, D3DTSS_TEXCOORDINDEX), 1u);

    m_pRenderer->SetRenderState(RENDERSTATE_ZENABLE, D3DZB_FALSE), m_pRenderer->SetRenderState(RENDERSTATE_COUNT + 4, 1);
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), 1u);
    m_pRenderer->SetTextureStageState(3, 99, 0);
    EXPECT_EQ(StageState(3, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE));

    // The texture filter reaches every stage.
    m_pRenderer->SetTextureFilter(D3DTEXF_LINEAR);
    EXPECT_EQ(m_pRenderer->GetTextureFilter(), static_cast<unsigned>(D3DTEXF_LINEAR));
    for (DWORD stage = 0; stage < kStageCount; ++stage)
        for (D3DTEXTURESTAGESTATETYPE state : {D3DTSS_MINFILTER, D3DTSS_MAGFILTER, D3DTSS_MIPFILTER})
            EXPECT_EQ(StageState(stage, state), static_cast<DWORD>(D3DTEXF_LINEAR)) << stage << " " << state;
}

TEST_F(StateDump, RenderDumpPrintsDirect3DValuesUnderEngineNames) {
    m_pRenderer->SetRenderState(RENDERSTATE_BLENDFUNC, BLENDFUNC_NOTEQUAL);
    m_pRenderer->SetRenderState(RENDERSTATE_FOGCOLOR, 0xFF000000u);  // printed signed
    ClearLines();
    ASSERT_TRUE(m_pRenderer->DumpRenderStates());
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 78u);
    EXPECT_EQ((std::vector<std::string>{lines[0], lines[1], lines[13], lines[77]}),
              (std::vector<std::string>{"--- BEGIN STATE DUMP ---", "RENDERSTATE_ZENABLE: 1", "RENDERSTATE_BLENDFUNC: 6",
                                        "--- END STATE DUMP ---"}));
    EXPECT_EQ(lines[76].rfind("RENDERSTATE_NORMALORDER: ", 0), 0u);
    EXPECT_TRUE(Logged("RENDERSTATE_FOGCOLOR: -16777216"));
}

TEST_F(StateDump, StageDumpShowsOneStageAndDumpsSurviveRefusedQueries) {
    ClearLines();
    ASSERT_TRUE(m_pRenderer->DumpTextureStageStates(3));
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ((std::vector<std::string>{lines[0], lines[27], lines[28]}),
              (std::vector<std::string>{"--- START TEXTURE STATE DUMP (Stage 3) ---", "TEXTURESTATE_RESULTARG: 1",
                                        "--- END TEXTURE STATE DUMP (Stage 3) ---"}));
    EXPECT_EQ(lines[1].rfind("TEXTURESTATE_COLOROP: ", 0), 0u);

    orvplatform::FailEveryCall("IDirect3DDevice8::GetRenderState", D3DERR_INVALIDCALL);
    orvplatform::FailEveryCall("IDirect3DDevice8::GetTextureStageState", D3DERR_INVALIDCALL);
    ClearLines();
    EXPECT_TRUE(m_pRenderer->DumpRenderStates() && m_pRenderer->DumpTextureStageStates(1));
    EXPECT_TRUE(Lines().size() == 78u + 29u && Lines()[1] == "RENDERSTATE_ZENABLE: 0") << Lines()[1];
}

}  // namespace

// Engine render and stage states reach the device translated: each engine
// state drives its own Direct3D state, every value of a translated state
// (one past the table and -1 too) arrives as the Direct3D value written out
// below, through SetRenderState / SetTextureStageState and the dedicated
// setters, and the other states pass their value unchanged; states past the
// tables. The render-state and stage-state dumps: their exact lines.
#include "host/EngineNumbering.h"
#include "support/PluginHarness.h"

namespace {

using StateTranslation = orvtest::DisplayTest;
using StateDump = orvtest::DisplayTest;

// Texture stages of a Direct3D 8 device.
constexpr DWORD kStages = 8;

// What the device receives for engine values 0, 1, 2, ... of each value
// table; the last entry is what every other value gives.
using Values = std::vector<DWORD>;
const Values kFill = {D3DFILL_POINT, D3DFILL_WIREFRAME, D3DFILL_SOLID, D3DFILL_SOLID};
const Values kShade = {D3DSHADE_FLAT, D3DSHADE_GOURAUD, D3DSHADE_PHONG, D3DSHADE_GOURAUD};
const Values kCull = {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW, D3DCULL_CCW};
// The engine puts greater-or-equal before not-equal.
const Values kCompare = {D3DCMP_NEVER, D3DCMP_LESS, D3DCMP_EQUAL, D3DCMP_LESSEQUAL, D3DCMP_GREATER,
                         D3DCMP_GREATEREQUAL, D3DCMP_NOTEQUAL, D3DCMP_ALWAYS, D3DCMP_LESSEQUAL};
const Values kBlend = {D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR, D3DBLEND_SRCALPHA,
                       D3DBLEND_INVSRCALPHA, D3DBLEND_DESTALPHA, D3DBLEND_INVDESTALPHA, D3DBLEND_DESTCOLOR,
                       D3DBLEND_INVDESTCOLOR, D3DBLEND_SRCALPHASAT, D3DBLEND_BOTHSRCALPHA, D3DBLEND_BOTHINVSRCALPHA,
                       D3DBLEND_ZERO};
const Values kOp = {D3DTOP_DISABLE, D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, D3DTOP_MODULATE, D3DTOP_MODULATE2X,
                    D3DTOP_MODULATE4X, D3DTOP_ADD, D3DTOP_ADDSIGNED, D3DTOP_ADDSIGNED2X, D3DTOP_SUBTRACT,
                    D3DTOP_ADDSMOOTH, D3DTOP_BLENDDIFFUSEALPHA, D3DTOP_BLENDTEXTUREALPHA, D3DTOP_BLENDFACTORALPHA,
                    D3DTOP_BLENDTEXTUREALPHAPM, D3DTOP_BLENDCURRENTALPHA, D3DTOP_PREMODULATE,
                    D3DTOP_MODULATEALPHA_ADDCOLOR, D3DTOP_MODULATECOLOR_ADDALPHA, D3DTOP_MODULATEINVALPHA_ADDCOLOR,
                    D3DTOP_MODULATEINVCOLOR_ADDALPHA, D3DTOP_BUMPENVMAP, D3DTOP_BUMPENVMAPLUMINANCE,
                    D3DTOP_DOTPRODUCT3, D3DTOP_MULTIPLYADD, D3DTOP_LERP, D3DTOP_DISABLE};
// One selector or one modifier alone (a modifier then applies to the diffuse colour).
const Values kArg = {D3DTA_CURRENT, D3DTA_DIFFUSE, D3DTA_SELECTMASK, D3DTA_SPECULAR, D3DTA_TEMP,
                     D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTA_ALPHAREPLICATE, D3DTA_COMPLEMENT, D3DTA_CURRENT};
const Values kAddress = {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER,
                         D3DTADDRESS_MIRRORONCE, D3DTADDRESS_WRAP};

// Each engine state in engine order: the Direct3D state it drives, its value
// table (none: the value passes unchanged) and its dedicated setter, if any.
struct Row {
    DWORD d3d;
    const Values* values = nullptr;
    void (RenderDevice::*setter)(unsigned) = nullptr;
};
const Row kRenderStates[] = {
    {D3DRS_ZENABLE}, {D3DRS_FILLMODE, &kFill, &RenderDevice::SetFillMode},
    {D3DRS_SHADEMODE, &kShade, &RenderDevice::SetShadeMode}, {D3DRS_LINEPATTERN}, {D3DRS_ZWRITEENABLE},
    {D3DRS_ALPHATESTENABLE}, {D3DRS_LASTPIXEL}, {D3DRS_SRCBLEND, &kBlend, &RenderDevice::SetSrcBlend},
    {D3DRS_DESTBLEND, &kBlend, &RenderDevice::SetDestBlend}, {D3DRS_CULLMODE, &kCull, &RenderDevice::SetCullMode},
    {D3DRS_ZFUNC, &kCompare, &RenderDevice::SetZFunc}, {D3DRS_ALPHAREF},
    // The alpha-test comparison takes the blend factors' rule, n to n + 1:
    // Direct3D's comparisons in Direct3D's order.
    {D3DRS_ALPHAFUNC, &kBlend}, {D3DRS_DITHERENABLE}, {D3DRS_ALPHABLENDENABLE}, {D3DRS_FOGENABLE},
    {D3DRS_SPECULARENABLE}, {D3DRS_ZVISIBLE}, {D3DRS_FOGCOLOR}, {D3DRS_FOGTABLEMODE}, {D3DRS_FOGSTART},
    {D3DRS_FOGEND}, {D3DRS_FOGDENSITY}, {D3DRS_EDGEANTIALIAS}, {D3DRS_ZBIAS}, {D3DRS_RANGEFOGENABLE},
    {D3DRS_STENCILENABLE}, {D3DRS_STENCILFAIL}, {D3DRS_STENCILZFAIL}, {D3DRS_STENCILPASS}, {D3DRS_STENCILFUNC},
    {D3DRS_STENCILREF}, {D3DRS_STENCILMASK}, {D3DRS_STENCILWRITEMASK}, {D3DRS_TEXTUREFACTOR}, {D3DRS_WRAP0},
    {D3DRS_WRAP1}, {D3DRS_WRAP2}, {D3DRS_WRAP3}, {D3DRS_WRAP4}, {D3DRS_WRAP5}, {D3DRS_WRAP6}, {D3DRS_WRAP7},
    {D3DRS_CLIPPING}, {D3DRS_LIGHTING}, {D3DRS_AMBIENT}, {D3DRS_FOGVERTEXMODE}, {D3DRS_COLORVERTEX},
    {D3DRS_LOCALVIEWER}, {D3DRS_NORMALIZENORMALS}, {D3DRS_DIFFUSEMATERIALSOURCE}, {D3DRS_SPECULARMATERIALSOURCE},
    {D3DRS_AMBIENTMATERIALSOURCE}, {D3DRS_EMISSIVEMATERIALSOURCE}, {D3DRS_VERTEXBLEND}, {D3DRS_CLIPPLANEENABLE},
    {D3DRS_SOFTWAREVERTEXPROCESSING}, {D3DRS_POINTSIZE}, {D3DRS_POINTSIZE_MIN}, {D3DRS_POINTSPRITEENABLE},
    {D3DRS_POINTSCALEENABLE}, {D3DRS_POINTSCALE_A}, {D3DRS_POINTSCALE_B}, {D3DRS_POINTSCALE_C},
    {D3DRS_MULTISAMPLEANTIALIAS}, {D3DRS_MULTISAMPLEMASK}, {D3DRS_PATCHEDGESTYLE}, {D3DRS_PATCHSEGMENTS},
    {D3DRS_DEBUGMONITORTOKEN}, {D3DRS_POINTSIZE_MAX}, {D3DRS_INDEXEDVERTEXBLENDENABLE}, {D3DRS_COLORWRITEENABLE},
    // The blend operation too: add, subtract, reverse subtract, minimum, maximum.
    {D3DRS_TWEENFACTOR}, {D3DRS_BLENDOP, &kBlend}, {D3DRS_POSITIONORDER}, {D3DRS_NORMALORDER},
};
static_assert(sizeof kRenderStates / sizeof kRenderStates[0] == RENDERSTATE_COUNT, "one row per engine render state");
const Row kStageStates[] = {
    {D3DTSS_COLOROP, &kOp}, {D3DTSS_ALPHAOP, &kOp}, {D3DTSS_COLORARG1, &kArg}, {D3DTSS_COLORARG2, &kArg},
    {D3DTSS_ALPHAARG1, &kArg}, {D3DTSS_ALPHAARG2, &kArg}, {D3DTSS_BUMPENVMAT00}, {D3DTSS_BUMPENVMAT01},
    {D3DTSS_BUMPENVMAT10}, {D3DTSS_BUMPENVMAT11}, {D3DTSS_MAGFILTER}, {D3DTSS_MINFILTER}, {D3DTSS_MIPFILTER},
    {D3DTSS_TEXCOORDINDEX}, {D3DTSS_ADDRESSU, &kAddress}, {D3DTSS_ADDRESSV, &kAddress},
    {D3DTSS_ADDRESSW, &kAddress}, {D3DTSS_BORDERCOLOR}, {D3DTSS_MIPMAPLODBIAS}, {D3DTSS_MAXMIPLEVEL},
    {D3DTSS_MAXANISOTROPY}, {D3DTSS_BUMPENVLSCALE}, {D3DTSS_BUMPENVLOFFSET}, {D3DTSS_TEXTURETRANSFORMFLAGS},
    {D3DTSS_COLORARG0, &kArg}, {D3DTSS_ALPHAARG0, &kArg}, {D3DTSS_RESULTARG, &kArg},
};
static_assert(sizeof kStageStates / sizeof kStageStates[0] == TEXTURESTATE_COUNT, "one row per engine stage state");

// The engine values a state is tried with, each with what the device must
// receive: every value of its table, one past it and -1; a state without a
// table gets a value of its own that no table gives.
std::vector<std::pair<unsigned, DWORD>> Trials(const Row& row, unsigned engine) {
    std::vector<std::pair<unsigned, DWORD>> trials;
    if (!row.values) return {{0x5000u + engine, 0x5000u + engine}};
    const unsigned count = static_cast<unsigned>(row.values->size() - 1);
    for (unsigned value = 0; value < count; ++value) trials.emplace_back(value, (*row.values)[value]);
    trials.emplace_back(count, row.values->back());
    trials.emplace_back(~0u, row.values->back());
    return trials;
}

TEST_F(StateTranslation, EveryEngineStateDrivesItsDirect3DStateWithItsValueTranslated) {
    for (unsigned engine = 0; engine < RENDERSTATE_COUNT; ++engine) {
        const Row& row = kRenderStates[engine];
        const auto d3d = static_cast<D3DRENDERSTATETYPE>(row.d3d);
        for (const auto& [value, expected] : Trials(row, engine)) {
            m_pRenderer->SetRenderState(engine, value);
            EXPECT_EQ(RenderState(d3d), expected) << "render state " << engine << " value " << value;
            if (!row.setter) continue;
            m_pRenderer->SetRenderState(engine, 0);  // another value in between
            (m_pRenderer->*row.setter)(value);
            EXPECT_EQ(RenderState(d3d), expected) << "setter of render state " << engine << " value " << value;
        }
    }
    for (unsigned engine = 0; engine < TEXTURESTATE_COUNT; ++engine) {
        const Row& row = kStageStates[engine];
        for (const auto& [value, expected] : Trials(row, engine)) {
            const DWORD stage = (engine + value) % kStages;
            m_pRenderer->SetTextureStageState(stage, engine, value);
            EXPECT_EQ(StageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(row.d3d)), expected)
                << "stage " << stage << " state " << engine << " value " << value;
        }
    }
}

TEST_F(StateTranslation, StatesPastTheTablesDriveTheFirstRowAndTheFilterReachesEveryStage) {
    m_pRenderer->SetRenderState(RENDERSTATE_ZENABLE, D3DZB_FALSE), m_pRenderer->SetRenderState(RENDERSTATE_COUNT + 4, 1);
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), 1u);
    m_pRenderer->SetTextureStageState(3, 99, 0);
    EXPECT_EQ(StageState(3, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE));

    m_pRenderer->SetTextureFilter(D3DTEXF_LINEAR);
    EXPECT_EQ(m_pRenderer->GetTextureFilter(), static_cast<unsigned>(D3DTEXF_LINEAR));
    for (DWORD stage = 0; stage < kStages; ++stage)
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

// Materials as the host sees them: what reaches the device when one becomes
// current, who holds references, and what the driver refuses. Draws with a
// material current: how many passes the device's stages give, what each
// layer sets on its stage and in which order, a failed pass, and what a draw
// leaves behind for the next one.
#include <map>

#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/ScreenQuad.h"
#include "host/VertexBuffer.h"
#include "support/PluginHarness.h"

namespace {

using orvplatform::Call;
// The material as a whole: what the device's material record holds.
class MaterialTest : public orvtest::DisplayTest {
protected:
    struct Rgb {
        float r, g, b;
    };
    // Ambient, diffuse, specular and emissive, each with an alpha of 1.
    void ExpectMaterial(Rgb ambient, Rgb diffuse, Rgb specular, Rgb emissive, float power) const {
        D3DMATERIAL8 held = {};
        m_pD3D->GetMaterial(&held);
        const D3DCOLORVALUE* colours[] = {&held.Ambient, &held.Diffuse, &held.Specular, &held.Emissive};
        const Rgb expected[] = {ambient, diffuse, specular, emissive};
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(colours[k]->r, expected[k].r) << k;
            EXPECT_EQ(colours[k]->g, expected[k].g) << k;
            EXPECT_EQ(colours[k]->b, expected[k].b) << k;
            EXPECT_EQ(colours[k]->a, 1.0f) << k;
        }
        EXPECT_EQ(held.Power, power);
    }
};

constexpr const char* kStageState = "IDirect3DDevice8::SetTextureStageState";
constexpr const char* kRenderState = "IDirect3DDevice8::SetRenderState";
constexpr const char* kDraw = "IDirect3DDevice8::DrawPrimitiveUP";

// What the device was told between two draws.
struct Pass {
    std::map<uint64_t, uint64_t> colorOps;  // stage -> last D3DTSS_COLOROP
    int blend = -1;                         // last D3DRS_ALPHABLENDENABLE, -1 if not set
};

class MaterialPasses : public orvtest::DisplayTest {
protected:
    void SetUp() override { PluginTest::SetUp(); }
    // A windowed display on a device of `stages` simultaneous textures.
    void Open(DWORD stages) {
        orvd3d8::Adapter(0).maxSimultaneousTextures = stages;
        m_pRenderer = CreateWindowed();
        m_pD3D = orvd3d8::LastDevice();
        ASSERT_TRUE(m_pRenderer->BeginScene());
    }
    // A new material of `layers` default layers, made current.
    Material* Current(size_t layers, bool frameBlend = true) {
        Material* material = m_pRenderer->CreateMaterial();
        for (size_t i = 0; i < layers; ++i) material->AddLayer();
        material->SetFrameBlend(frameBlend);
        EXPECT_TRUE(m_pRenderer->SetMaterial(material));
        return material;
    }
    // The passes of the draws since the journal was last cleared.
    static std::vector<Pass> Passes() {
        std::vector<Pass> passes(1);
        for (const Call& call : orvplatform::Journal()) {
            if (call.api == kDraw) {
                passes.emplace_back();
            } else if (call.api == kStageState && call.args[1] == D3DTSS_COLOROP) {
                passes.back().colorOps[call.args[0]] = call.args[2];
            } else if (call.api == kRenderState && call.args[0] == D3DRS_ALPHABLENDENABLE) {
                passes.back().blend = static_cast<int>(call.args[1]);
            }
        }
        passes.pop_back();  // what came after the last draw
        return passes;
    }
};

// Layers split into passes by the stage limit and where their lighting flags
// change. Later passes blend onto the first even though the material does
// not blend; after the draw blending is off.
TEST_F(MaterialPasses, PassSizesFollowTheDevicesStagesAndLaterPassesBlend) {
    const struct {
        DWORD stages;
        size_t layers, passes;
        uint64_t disabledStage;  // in the last pass; 8: none
        size_t litFrom = 99;     // the layers from this one on are lit
    } cases[] = {
        {8, 8, 1, 8},  // every stage in use: nothing is disabled
        {0, 3, 3, 1},  // a device reporting no stages: one layer per pass
        {12, 9, 2, 1},  // never more than eight stages
        {8, 3, 2, 2, 1},  // layer 0 alone, then layers 1 and 2 together
    };
    for (const auto& c : cases) {
        orvplatform::ResetAll();
        Open(c.stages);
        if (HasFatalFailure()) return;
        Material* material = Current(c.layers, false);
        for (size_t i = c.litFrom; i < c.layers; ++i) material->GetLayer(int(i))->SetLighting(true);
        orvplatform::ClearJournal();
        ASSERT_TRUE(DrawTriangle());
        const std::vector<Pass> passes = Passes();
        ASSERT_EQ(passes.size(), c.passes) << c.stages << " stages, " << c.layers << " layers";
        uint64_t disabled = 8;
        for (const auto& op : passes.back().colorOps)
            if (op.second == D3DTOP_DISABLE) disabled = op.first;
        EXPECT_EQ(disabled, c.disabledStage);
        for (size_t i = 0; i < passes.size(); ++i) EXPECT_EQ(passes[i].blend, i ? 1 : -1) << i;
        EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 0u);
        EXPECT_EQ(m_pRenderer->GetTriangleCount(), c.passes);  // one triangle a pass
        m_pRenderer->SetMaterial(nullptr), m_pRenderer->EndScene();
        Destroy(m_pRenderer);
        m_pRenderer = nullptr;
    }
}

// A screen quad draws once per pass too; a failed draw ends the passes with
// one line, the passes drawn before it counted.
TEST_F(MaterialPasses, AFailedPassEndsTheDraw) {
    Open(0);  // one layer a pass
    Current(3);
    ScreenQuad* quad = m_pRenderer->CreateScreenQuad(RECT{0, 0, 8, 8}, 0xFFFFFFFF);
    orvplatform::ClearJournal();
    ASSERT_TRUE(m_pRenderer->RenderScreenQuad(quad));
    EXPECT_EQ(Passes().size(), 3u);
    m_pRenderer->DestroyScreenQuad(quad);

    VertexBuffer* buffer = m_pRenderer->CreateVertexBuffer(3, false, false);
    ASSERT_TRUE(buffer && buffer->Upload() && m_pRenderer->SetVertexBuffer(buffer));
    const struct { const char* draw; bool (*call)(RenderDevice*); const char* line; } cases[] = {
        {kDraw, [](RenderDevice* d) { const Vertex v[3]; return d->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, v); },
         "Failed to render D3D verts using DrawPrimitiveUP. (HR:D3DERR_INVALIDCALL)"},
        {"IDirect3DDevice8::DrawPrimitive", [](RenderDevice* d) { return d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1); },
         "Failed to render D3D vertex buffer. (HR:D3DERR_INVALIDCALL)"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(m_pRenderer->EndScene() && m_pRenderer->BeginScene());
        ClearLinesAndJournal();
        orvplatform::FailNthCall(c.draw, 2, D3DERR_INVALIDCALL);
        EXPECT_FALSE(c.call(m_pRenderer)) << c.draw;
        EXPECT_TRUE(orvplatform::CountOf(c.draw) == 2 && m_pRenderer->GetTriangleCount() == 1) << c.draw;
        EXPECT_EQ(Lines(), std::vector<std::string>{c.line});
    }
    m_pRenderer->SetVertexBuffer(nullptr), m_pRenderer->DestroyVertexBuffer(buffer);
}

TEST_F(MaterialPasses, ALayerSetsItsStageInOrder) {
    Open(8);
    Material* material = m_pRenderer->CreateMaterial();
    MaterialLayer* first = material->AddLayer();
    first->SetAddressing(ADDRESS_CLAMP);
    first->SetColorOp(TEXTUREOP_DOTPRODUCT3);
    first->SetSrcBlend(BLEND_DESTALPHA);
    material->AddLayer()->SetAddressing(-1);  // unknown: wraps
    ASSERT_TRUE(m_pRenderer->SetMaterial(material));
    orvplatform::ClearJournal();
    ASSERT_TRUE(DrawTriangle());

    // Texture, addressing, arguments, operations, blend, then the transform
    // flags; the draw's own stream and shader calls are not the layers'.
    const std::vector<Call> calls = orvplatform::CallsOfAny(
        {"IDirect3DDevice8::SetTexture", kStageState, kRenderState, "IDirect3DDevice8::SetTransform", kDraw});
    const uint64_t order[] = {
        D3DTSS_ADDRESSU,  D3DTSS_ADDRESSV,  D3DTSS_ADDRESSW, D3DTSS_ALPHAARG1,
        D3DTSS_ALPHAARG2, D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_ALPHAOP,
        D3DTSS_COLOROP,   D3DRS_SRCBLEND,   D3DRS_DESTBLEND, D3DTSS_TEXTURETRANSFORMFLAGS};
    ASSERT_GE(calls.size(), std::size(order) + 3);
    EXPECT_EQ(calls[0].api, "IDirect3DDevice8::SetTexture");
    for (size_t i = 0; i < std::size(order); ++i)
        EXPECT_EQ(calls[i + 1].args[calls[i + 1].api == kStageState], order[i]) << i;
    for (size_t i : {1, 2, 3}) EXPECT_EQ(calls[i].args[2], static_cast<uint64_t>(D3DTADDRESS_CLAMP)) << i;  // U, V, W
    EXPECT_EQ(calls[9].args[2], static_cast<uint64_t>(D3DTOP_DOTPRODUCT3));
    EXPECT_EQ(calls[10].args[1], static_cast<uint64_t>(D3DBLEND_DESTALPHA));
    EXPECT_EQ(calls[13].api, "IDirect3DDevice8::SetTexture");
    EXPECT_EQ(calls[13].args[0], 1u);
    EXPECT_EQ(calls[14].args, (std::vector<uint64_t>{1, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP}));
    // Stage 1 ends with its scrolling transform; then stage 2 is disabled.
    const Call* tail = &calls[calls.size() - 4];
    EXPECT_EQ(tail[0].args, (std::vector<uint64_t>{1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2}));
    EXPECT_EQ(tail[1].args[0], static_cast<uint64_t>(D3DTS_TEXTURE1));
    EXPECT_EQ(tail[2].args, (std::vector<uint64_t>{2, D3DTSS_COLOROP, D3DTOP_DISABLE}));
    EXPECT_EQ(tail[3].api, kDraw);
}

TEST_F(MaterialPasses, StageOneScrollsByAFixedStepThatNeverFreezes) {
    Open(8);
    Current(2);
    orvplatform::EnableJournal(false);
    auto scroll = [this] {
        D3DMATRIX m = {};
        m_pD3D->GetTransform(D3DTS_TEXTURE1, &m);
        return m._31;
    };
    ASSERT_TRUE(DrawTriangle());
    float previous = scroll();
    // More steps than one period of 2.0 holds; each is the same, wrapped.
    int wraps = 0;
    for (int draw = 0; draw < 10050; ++draw) {
        ASSERT_TRUE(DrawTriangle());
        const float now = scroll();
        ASSERT_TRUE(now >= 0.0f && now < 2.0f) << now;
        wraps += now < previous;
        ASSERT_NEAR(now - previous + (now < previous ? 2.0f : 0.0f), 0.0002f, 2e-6f) << draw;
        previous = now;
    }
    EXPECT_EQ(wraps, 1);
    orvplatform::EnableJournal(true);
}

TEST_F(MaterialTest, MakingAMaterialCurrentAppliesItsSettingsInOrder) {
    Material* material = m_pRenderer->CreateMaterial();
    material->SetCulling(false), material->SetZWrite(false);
    material->SetZFunc(-1);  // an unknown keyword's -1 compares less-or-equal
    material->SetAmbient(0.1f, 0.2f, 0.3f), material->SetDiffuse(0.4f, 0.5f, 0.6f);
    material->SetSpecular(0.7f, 0.8f, 0.9f), material->SetEmissive(0.15f, 0.25f, 0.35f);
    material->SetShininess(12.5f);
    m_pRenderer->SetRenderState(RENDERSTATE_ZENABLE, D3DZB_FALSE);  // to see it come back
    orvplatform::ClearJournal();

    EXPECT_TRUE(m_pRenderer->SetMaterial(material));
    ASSERT_EQ(orvplatform::Journal().size(), 6u);
    EXPECT_EQ(orvplatform::Journal()[0].api, "IDirect3DDevice8::SetMaterial");
    EXPECT_EQ(orvtest::ArgsOf(kRenderState, 0), (std::vector<uint64_t>{D3DRS_CULLMODE, D3DRS_ALPHABLENDENABLE,
                                                                       D3DRS_ZWRITEENABLE, D3DRS_ZENABLE, D3DRS_ZFUNC}));
    EXPECT_EQ((std::vector<DWORD>{RenderState(D3DRS_CULLMODE), RenderState(D3DRS_ZENABLE), RenderState(D3DRS_ZFUNC)}),
              (std::vector<DWORD>{D3DCULL_NONE, 1, D3DCMP_LESSEQUAL}));
    ExpectMaterial({0.1f, 0.2f, 0.3f}, {0.4f, 0.5f, 0.6f}, {0.7f, 0.8f, 0.9f}, {0.15f, 0.25f, 0.35f}, 12.5f);

    // Current already: nothing is set again.
    orvplatform::ClearJournal();
    EXPECT_TRUE(m_pRenderer->SetMaterial(material));
    EXPECT_TRUE(orvplatform::Journal().empty());

    // A new material: grey ambient and diffuse, white specular and emissive,
    // a power of 1, culled, blended, depth written and compared less-or-equal.
    EXPECT_TRUE(m_pRenderer->SetMaterial(m_pRenderer->CreateMaterial()));
    ExpectMaterial({0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {1, 1, 1}, {1, 1, 1}, 1.0f);
    EXPECT_EQ((std::vector<DWORD>{RenderState(D3DRS_CULLMODE), RenderState(D3DRS_ALPHABLENDENABLE),
                                  RenderState(D3DRS_ZWRITEENABLE), RenderState(D3DRS_ZFUNC)}),
              (std::vector<DWORD>{D3DCULL_CCW, TRUE, TRUE, D3DCMP_LESSEQUAL}));
}

TEST_F(MaterialTest, TheDriverHoldsOneReferenceWhileAMaterialIsCurrent) {
    Material* first = m_pRenderer->CreateMaterial();
    Material* second = m_pRenderer->CreateMaterial();
    ASSERT_TRUE(m_pRenderer->SetMaterial(first));
    EXPECT_EQ(first->GetRefCount(), 2);

    // Switching gives the old one back and applies no neutral state between.
    orvplatform::ClearJournal();
    ASSERT_TRUE(m_pRenderer->SetMaterial(second));
    EXPECT_TRUE(first->GetRefCount() == 1 && orvplatform::CountOf("IDirect3DDevice8::SetTexture") == 0);

    // Another driver's material is refused (the line and the untouched
    // device are the misuse tests'), the current one stays.
    Material* foreign = Create()->CreateMaterial();
    EXPECT_FALSE(m_pRenderer->SetMaterial(foreign));
    EXPECT_TRUE(m_pRenderer->GetMaterial() == second && foreign->GetRefCount() == 1);

    // No longer current: the host's own reference keeps it alive.
    ASSERT_TRUE(m_pRenderer->SetMaterial(nullptr));
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_TRUE(m_pRenderer->SetMaterial(second));

    // Releasing the current material puts the device into the neutral state,
    // whatever the device held before.
    const struct { D3DRENDERSTATETYPE state; DWORD away, neutral; } states[] = {
        {D3DRS_SRCBLEND, D3DBLEND_DESTALPHA, D3DBLEND_ONE},  {D3DRS_DESTBLEND, D3DBLEND_ONE, D3DBLEND_ZERO},
        {D3DRS_SHADEMODE, D3DSHADE_FLAT, D3DSHADE_GOURAUD}, {D3DRS_FILLMODE, D3DFILL_WIREFRAME, D3DFILL_SOLID},
        {D3DRS_CULLMODE, D3DCULL_NONE, D3DCULL_CCW},        {D3DRS_ZFUNC, D3DCMP_ALWAYS, D3DCMP_LESSEQUAL},
        {D3DRS_ZENABLE, D3DZB_FALSE, D3DZB_TRUE},           {D3DRS_ZWRITEENABLE, FALSE, TRUE},
        {D3DRS_LIGHTING, TRUE, FALSE},                      {D3DRS_ALPHABLENDENABLE, FALSE, TRUE}};
    const struct { D3DTEXTURESTAGESTATETYPE state; DWORD away, neutral; } stage0[] = {
        {D3DTSS_ALPHAARG1, D3DTA_TFACTOR, D3DTA_TEXTURE}, {D3DTSS_ALPHAARG2, D3DTA_TFACTOR, D3DTA_DIFFUSE},
        {D3DTSS_COLORARG1, D3DTA_TFACTOR, D3DTA_TEXTURE}, {D3DTSS_COLORARG2, D3DTA_TFACTOR, D3DTA_DIFFUSE},
        {D3DTSS_ALPHAOP, D3DTOP_ADD, D3DTOP_SELECTARG1},  {D3DTSS_COLOROP, D3DTOP_ADD, D3DTOP_MODULATE}};
    for (const auto& s : states) m_pD3D->SetRenderState(s.state, s.away);
    for (const auto& s : stage0) m_pD3D->SetTextureStageState(0, s.state, s.away);
    IDirect3DTexture8* held = nullptr;
    ASSERT_EQ(m_pD3D->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &held), D3D_OK);
    for (DWORD stage : {0u, 1u}) m_pD3D->SetTexture(stage, held);
    held->Release();
    EXPECT_TRUE(m_pRenderer->ReleaseMaterial(second) && m_pRenderer->GetMaterial() == nullptr);
    for (const auto& s : states) EXPECT_EQ(RenderState(s.state), s.neutral) << s.state;
    for (const auto& s : stage0) EXPECT_EQ(StageState(0, s.state), s.neutral) << s.state;
    for (DWORD stage : {0u, 1u}) {  // both stages empty
        IDirect3DBaseTexture8* bound = held;
        EXPECT_EQ(m_pD3D->GetTexture(stage, &bound), D3D_OK);
        EXPECT_EQ(bound, nullptr) << stage;
        if (bound) bound->Release();
    }
    EXPECT_FALSE(m_pRenderer->SetMaterial(second) || m_pRenderer->ReleaseMaterial(second));
    EXPECT_TRUE(m_pRenderer->ReleaseMaterial(nullptr));
}

TEST_F(MaterialTest, LayerIndicesAreChecked) {
    Material* material = m_pRenderer->CreateMaterial();
    MaterialLayer* first = material->AddLayer();
    MaterialLayer* second = material->AddLayer();
    MaterialLayer* foreign = m_pRenderer->CreateMaterial()->AddLayer();
    for (int index : {-1, 2}) EXPECT_FALSE(material->GetLayer(index) || material->RemoveLayerAt(index)) << index;
    EXPECT_FALSE(material->RemoveLayer(foreign));
    EXPECT_TRUE(material->RemoveLayer(first) && material->GetLayer(0) == second && material->GetLayerCount() == 1);
}

}  // namespace

// Draws with a material current: how the layers are split into passes, what
// each layer sets on its stage and in which order, and what a draw leaves
// behind for the next one.
#include <map>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "support/PluginHarness.h"

namespace {

using orvplatform::Call;

constexpr const char* kStageState = "IDirect3DDevice8::SetTextureStageState";
constexpr const char* kRenderState = "IDirect3DDevice8::SetRenderState";
constexpr const char* kDraw = "IDirect3DDevice8::DrawPrimitiveUP";

// What the device was told between two draws.
struct Pass {
    std::map<uint64_t, uint64_t> colorOps;  // stage -> last D3DTSS_COLOROP
    int blend = -1;                         // last D3DRS_ALPHABLENDENABLE, -1 if not set
};

class MaterialPasses : public orvtest::PluginTest {
protected:
    // A windowed display on a device of `stages` simultaneous textures.
    void Open(DWORD stages) {
        orvd3d8::Adapter(0).maxSimultaneousTextures = stages;
        m_pRenderer = CreateWindowed();
        m_pD3D = orvd3d8::LastDevice();
        ASSERT_TRUE(m_pRenderer->BeginScene());
    }
    bool Draw() {
        const Vertex triangle[3];
        return m_pRenderer->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, triangle);
    }
    // A material of one texture-less layer per lighting flag; layer k (from
    // 1) has colour operation k, which the device sees as k + 1.
    Material* Layered(std::initializer_list<bool> lighting) {
        Material* material = m_pRenderer->CreateMaterial();
        int k = 0;
        for (bool lit : lighting) {
            MaterialLayer* layer = material->AddLayer();
            layer->SetColorOp(++k);
            layer->SetLighting(lit);
        }
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
    DWORD RenderState(D3DRENDERSTATETYPE state) const {
        DWORD value = 0xDEADBEEF;
        m_pD3D->GetRenderState(state, &value);
        return value;
    }

    RenderDevice* m_pRenderer = nullptr;
    IDirect3DDevice8* m_pD3D = nullptr;
};

TEST_F(MaterialPasses, APassEndsAtTheStageLimitAndWhereTheLightingFlagChanges) {
    Open(2);
    Material* material = Layered({false, false, false, true, true});
    material->SetFrameBlend(false);
    ASSERT_TRUE(m_pRenderer->SetMaterial(material));
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 0u);

    for (int draw = 0; draw < 2; ++draw) {
        orvplatform::ClearJournal();
        ASSERT_TRUE(Draw());
        const std::vector<Pass> passes = Passes();
        ASSERT_EQ(passes.size(), 3u);
        // {1, 2}, then {3} cut by the lighting flag, then {4, 5}; the stage
        // after each pass is disabled.
        const std::map<uint64_t, uint64_t> expected[] = {
            {{0, 2}, {1, 3}, {2, D3DTOP_DISABLE}},
            {{0, 4}, {1, D3DTOP_DISABLE}},
            {{0, 5}, {1, 6}, {2, D3DTOP_DISABLE}},
        };
        for (size_t i = 0; i < 3; ++i) EXPECT_EQ(passes[i].colorOps, expected[i]) << i;
        // The later passes blend onto the first even though the material
        // does not blend; after the draw blending is off again.
        EXPECT_EQ(passes[0].blend, -1);
        EXPECT_EQ(passes[1].blend, 1);
        EXPECT_EQ(passes[2].blend, 1);
        EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 0u);
    }
    // The host's triangle count holds every pass.
    EXPECT_EQ(m_pRenderer->GetTriangleCount(), 6u);
}

TEST_F(MaterialPasses, PassSizesFollowTheDevicesStages) {
    struct Case {
        DWORD stages;
        size_t layers, passes;
        uint64_t disabledStage;  // 8: none
    };
    const Case cases[] = {
        {8, 8, 1, 8},  // every stage in use: nothing is disabled
        {8, 0, 1, 0},  // no layers: one pass with stage 0 disabled
        {0, 3, 3, 1},  // a device reporting no stages: one layer per pass
        {12, 9, 2, 1},  // never more than eight stages
    };
    for (const Case& c : cases) {
        orvplatform::ResetAll();
        Open(c.stages);
        if (HasFatalFailure()) return;
        Material* material = m_pRenderer->CreateMaterial();
        for (size_t i = 0; i < c.layers; ++i) material->AddLayer();
        ASSERT_TRUE(m_pRenderer->SetMaterial(material));
        orvplatform::ClearJournal();
        ASSERT_TRUE(Draw());
        const std::vector<Pass> passes = Passes();
        ASSERT_EQ(passes.size(), c.passes) << c.stages << " stages, " << c.layers << " layers";
        uint64_t disabled = 8;
        for (const auto& op : passes.back().colorOps)
            if (op.second == D3DTOP_DISABLE) disabled = op.first;
        EXPECT_EQ(disabled, c.disabledStage);
        m_pRenderer->SetMaterial(nullptr);
        m_pRenderer->EndScene();
        Destroy(m_pRenderer);
        m_pRenderer = nullptr;
    }
}

TEST_F(MaterialPasses, ALayerSetsItsStageInOrder) {
    Open(8);
    Material* material = m_pRenderer->CreateMaterial();
    MaterialLayer* first = material->AddLayer();
    first->SetAddressing(2);
    first->SetAlphaArg1(6);
    first->SetAlphaArg2(3);
    first->SetColorArg1(7);
    first->SetColorArg2(8);
    first->SetAlphaOp(1);
    first->SetColorOp(23);
    first->SetSrcBlend(6);
    first->SetDestBlend(1);
    MaterialLayer* second = material->AddLayer();
    second->SetAddressing(-1);
    ASSERT_TRUE(m_pRenderer->SetMaterial(material));
    orvplatform::ClearJournal();
    ASSERT_TRUE(Draw());

    struct Expected {
        const char* api;
        uint64_t a, b, c;
    };
    const Expected stage0[] = {
        {"IDirect3DDevice8::SetTexture", 0, 0, 0},
        {kStageState, 0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP},
        {kStageState, 0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP},
        {kStageState, 0, D3DTSS_ADDRESSW, D3DTADDRESS_CLAMP},
        {kStageState, 0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR},
        {kStageState, 0, D3DTSS_ALPHAARG2, D3DTA_SPECULAR},
        {kStageState, 0, D3DTSS_COLORARG1, D3DTA_ALPHAREPLICATE},
        {kStageState, 0, D3DTSS_COLORARG2, D3DTA_COMPLEMENT},
        {kStageState, 0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
        {kStageState, 0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3},
        {kRenderState, D3DRS_SRCBLEND, D3DBLEND_DESTALPHA, 0},
        {kRenderState, D3DRS_DESTBLEND, D3DBLEND_ONE, 0},
        {kStageState, 0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
        // Stage 1: an unknown addressing keyword wraps; the texture
        // coordinates scroll.
        {"IDirect3DDevice8::SetTexture", 1, 0, 0},
        {kStageState, 1, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP},
    };
    // The draw's own stream and shader calls are not the layers'.
    const std::vector<Call> calls = orvplatform::CallsOfAny(
        {"IDirect3DDevice8::SetTexture", kStageState, kRenderState,
         "IDirect3DDevice8::SetTransform", kDraw});
    ASSERT_GE(calls.size(), std::size(stage0));
    for (size_t i = 0; i < std::size(stage0); ++i) {
        EXPECT_EQ(calls[i].api, stage0[i].api) << i;
        EXPECT_EQ(calls[i].args[0], stage0[i].a) << i;
        EXPECT_EQ(calls[i].args[1], stage0[i].b) << i;
        if (calls[i].api == kStageState) {
            EXPECT_EQ(calls[i].args[2], stage0[i].c) << i;
        }
    }
    // Stage 1 ends with its scrolling transform; then stage 2 is disabled.
    const Call* tail = &calls[calls.size() - 4];
    EXPECT_EQ(tail[0].args, (std::vector<uint64_t>{1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2}));
    EXPECT_EQ(tail[1].api, "IDirect3DDevice8::SetTransform");
    EXPECT_EQ(tail[1].args[0], static_cast<uint64_t>(D3DTS_TEXTURE1));
    EXPECT_EQ(tail[2].args, (std::vector<uint64_t>{2, D3DTSS_COLOROP, D3DTOP_DISABLE}));
    EXPECT_EQ(tail[3].api, kDraw);
}

TEST_F(MaterialPasses, StageOneScrollsByAFixedStepThatNeverFreezes) {
    Open(8);
    Material* material = Layered({false, false});
    ASSERT_TRUE(m_pRenderer->SetMaterial(material));
    orvplatform::EnableJournal(false);
    auto scroll = [this] {
        D3DMATRIX m = {};
        m_pD3D->GetTransform(D3DTS_TEXTURE1, &m);
        return m._31;
    };
    ASSERT_TRUE(Draw());
    float previous = scroll();
    // More steps than one period of 2.0 holds.
    int wraps = 0;
    for (int draw = 0; draw < 10050; ++draw) {
        ASSERT_TRUE(Draw());
        const float now = scroll();
        ASSERT_GE(now, 0.0f);
        ASSERT_LT(now, 2.0f);
        float step = now - previous;
        if (step < 0) {
            step += 2.0f;
            ++wraps;
        }
        ASSERT_NEAR(step, 0.0002f, 2e-6f) << draw;
        previous = now;
    }
    EXPECT_EQ(wraps, 1);
    orvplatform::EnableJournal(true);
}

}  // namespace

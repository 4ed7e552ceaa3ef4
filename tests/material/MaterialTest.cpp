// Materials as the host sees them: what reaches the device when one becomes
// current, who holds references, and what the driver refuses.
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "support/PluginHarness.h"

namespace {

using orvplatform::Call;
using orvtest::DisplayTest;

class MaterialTest : public DisplayTest {
protected:
    DWORD RenderState(D3DRENDERSTATETYPE state) const {
        DWORD value = 0xDEADBEEF;
        m_pD3D->GetRenderState(state, &value);
        return value;
    }
    // The device calls since the journal was last cleared, by name.
    static std::vector<std::string> Apis() {
        std::vector<std::string> apis;
        for (const Call& call : orvplatform::Journal()) apis.push_back(call.api);
        return apis;
    }
};

TEST_F(MaterialTest, ColoursKeepAnOpaqueAlphaAndNewMaterialsHaveTheirDefaults) {
    Material* material = m_pRenderer->CreateMaterial();
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->GetRefCount(), 1);
    EXPECT_TRUE(material->GetCulling());
    EXPECT_TRUE(material->GetFrameBlend());
    EXPECT_TRUE(material->GetZWrite());
    EXPECT_EQ(material->GetZFunc(), 3);
    EXPECT_EQ(material->GetShininess(), 1.0f);
    EXPECT_EQ(material->GetLayerCount(), 0);

    struct Accessors {
        void (Material::*set)(float, float, float);
        Color (Material::*get)();
        float initial;
    };
    const Accessors colours[] = {{&Material::SetAmbient, &Material::GetAmbient, 0.5f},
                                 {&Material::SetDiffuse, &Material::GetDiffuse, 0.5f},
                                 {&Material::SetSpecular, &Material::GetSpecular, 1.0f},
                                 {&Material::SetEmissive, &Material::GetEmissive, 1.0f}};
    for (const Accessors& colour : colours) {
        Color before = (material->*colour.get)();
        EXPECT_EQ(before.r, colour.initial);
        EXPECT_EQ(before.a, 1.0f);
        (material->*colour.set)(0.2f, 0.3f, 0.4f);
        Color after = (material->*colour.get)();
        EXPECT_EQ(after.r, 0.2f);
        EXPECT_EQ(after.g, 0.3f);
        EXPECT_EQ(after.b, 0.4f);
        EXPECT_EQ(after.a, 1.0f);
    }
}

TEST_F(MaterialTest, MakingAMaterialCurrentAppliesItsSettingsInOrder) {
    struct Case {
        bool culling, frameBlend, zWrite;
        int zFunc;
        DWORD cull, zFuncD3D;
    };
    const Case cases[] = {
        {true, true, true, 3, D3DCULL_CCW, D3DCMP_LESSEQUAL},
        {false, false, false, 5, D3DCULL_NONE, D3DCMP_GREATEREQUAL},
        {true, false, true, 6, D3DCULL_CCW, D3DCMP_NOTEQUAL},
        // An unknown keyword's -1 compares less-or-equal.
        {true, true, false, -1, D3DCULL_CCW, D3DCMP_LESSEQUAL},
    };
    for (const Case& c : cases) {
        Material* material = m_pRenderer->CreateMaterial();
        material->SetCulling(c.culling);
        material->SetFrameBlend(c.frameBlend);
        material->SetZWrite(c.zWrite);
        material->SetZFunc(c.zFunc);
        material->SetDiffuse(0.1f, 0.2f, 0.3f);
        material->SetShininess(12.0f);
        m_pRenderer->SetRenderState(0, 0);  // depth test off, to see it come back
        orvplatform::ClearJournal();

        EXPECT_TRUE(m_pRenderer->SetMaterial(material));
        const std::vector<std::string> expected = {
            "IDirect3DDevice8::SetMaterial",    "IDirect3DDevice8::SetRenderState",
            "IDirect3DDevice8::SetRenderState", "IDirect3DDevice8::SetRenderState",
            "IDirect3DDevice8::SetRenderState", "IDirect3DDevice8::SetRenderState"};
        EXPECT_EQ(Apis(), expected);
        const std::vector<Call> states = orvplatform::CallsOf("IDirect3DDevice8::SetRenderState");
        ASSERT_EQ(states.size(), 5u);
        const DWORD order[] = {D3DRS_CULLMODE, D3DRS_ALPHABLENDENABLE, D3DRS_ZWRITEENABLE,
                               D3DRS_ZENABLE, D3DRS_ZFUNC};
        for (size_t i = 0; i < 5; ++i) EXPECT_EQ(states[i].args[0], order[i]) << i;
        EXPECT_EQ(RenderState(D3DRS_CULLMODE), c.cull);
        EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), c.frameBlend ? 1u : 0u);
        EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), c.zWrite ? 1u : 0u);
        EXPECT_EQ(RenderState(D3DRS_ZENABLE), 1u);
        EXPECT_EQ(RenderState(D3DRS_ZFUNC), c.zFuncD3D);

        D3DMATERIAL8 applied = {};
        m_pD3D->GetMaterial(&applied);
        EXPECT_EQ(applied.Diffuse.r, 0.1f);
        EXPECT_EQ(applied.Diffuse.b, 0.3f);
        EXPECT_EQ(applied.Ambient.g, 0.5f);
        EXPECT_EQ(applied.Specular.r, 1.0f);
        EXPECT_EQ(applied.Emissive.a, 1.0f);
        EXPECT_EQ(applied.Power, 12.0f);

        // Current already: nothing is set again.
        orvplatform::ClearJournal();
        EXPECT_TRUE(m_pRenderer->SetMaterial(material));
        EXPECT_TRUE(orvplatform::Journal().empty());
        EXPECT_EQ(m_pRenderer->GetMaterial(), material);
    }
}

TEST_F(MaterialTest, TheDriverHoldsOneReferenceWhileAMaterialIsCurrent) {
    Material* first = m_pRenderer->CreateMaterial();
    Material* second = m_pRenderer->CreateMaterial();
    ASSERT_TRUE(m_pRenderer->SetMaterial(first));
    EXPECT_EQ(first->GetRefCount(), 2);

    // Switching gives the old one back before the new one is applied, and
    // applies nothing of the neutral state in between.
    orvplatform::ClearJournal();
    ASSERT_TRUE(m_pRenderer->SetMaterial(second));
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_EQ(second->GetRefCount(), 2);
    EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::SetTexture"), 0u);
    EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::SetMaterial"), 1u);

    // No longer current: the host's own reference keeps the material alive.
    ASSERT_TRUE(m_pRenderer->SetMaterial(nullptr));
    EXPECT_EQ(m_pRenderer->GetMaterial(), nullptr);
    EXPECT_EQ(second->GetRefCount(), 1);
    second->SetAmbient(0.1f, 0.1f, 0.1f);
    EXPECT_TRUE(m_pRenderer->SetMaterial(second));

    // Releasing the current material puts the device into the neutral state
    // and destroys it; afterwards the driver no longer knows it.
    m_pRenderer->SetRenderState(7, 6);
    EXPECT_TRUE(m_pRenderer->ReleaseMaterial(second));
    EXPECT_EQ(m_pRenderer->GetMaterial(), nullptr);
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_FALSE(m_pRenderer->SetMaterial(second));
    EXPECT_FALSE(m_pRenderer->ReleaseMaterial(second));

    // A held reference survives one release.
    first->AddRef();
    EXPECT_TRUE(m_pRenderer->ReleaseMaterial(first));
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_TRUE(m_pRenderer->ReleaseMaterial(first));
    EXPECT_FALSE(m_pRenderer->SetMaterial(first));

    EXPECT_TRUE(m_pRenderer->ReleaseMaterial(nullptr));
}

TEST_F(MaterialTest, MaterialsOfAnotherDriverAreRefusedWithoutTouchingTheDevice) {
    Material* own = m_pRenderer->CreateMaterial();
    ASSERT_TRUE(m_pRenderer->SetMaterial(own));
    RenderDevice* other = Create();
    Material* foreign = other->CreateMaterial();
    ClearLines();
    orvplatform::ClearJournal();

    EXPECT_FALSE(m_pRenderer->SetMaterial(foreign));
    EXPECT_FALSE(m_pRenderer->ReleaseMaterial(foreign));
    EXPECT_TRUE(orvplatform::Journal().empty());
    EXPECT_EQ(m_pRenderer->GetMaterial(), own);
    EXPECT_EQ(own->GetRefCount(), 2);
    EXPECT_EQ(foreign->GetRefCount(), 1);
    EXPECT_EQ(Lines().size(), 2u);
    EXPECT_TRUE(Logged("D3DDriver::SetMaterial: Not a material of this driver."));
}

TEST_F(MaterialTest, AFailedResetLeavesNoCurrentMaterialBehind) {
    Material* material = m_pRenderer->CreateMaterial();
    ASSERT_TRUE(m_pRenderer->SetMaterial(material));
    orvplatform::FailEveryCall("IDirect3D8::CreateDevice", D3DERR_DEVICELOST);
    EXPECT_FALSE(m_pRenderer->ResetDevice());
    orvplatform::ClearFailures();

    // The material is gone with the reset; nothing may reach it any more.
    EXPECT_EQ(m_pRenderer->GetMaterial(), nullptr);
    EXPECT_FALSE(m_pRenderer->SetMaterial(material));
    EXPECT_FALSE(m_pRenderer->ReleaseMaterial(material));
    ASSERT_TRUE(m_pRenderer->SetDisplayMode(640, 480, 32, 60, 0, true));
    EXPECT_TRUE(m_pRenderer->SetMaterial(nullptr));
}

TEST_F(MaterialTest, LayerIndicesAreChecked) {
    Material* material = m_pRenderer->CreateMaterial();
    Material* other = m_pRenderer->CreateMaterial();
    MaterialLayer* first = material->AddLayer();
    MaterialLayer* second = material->AddLayer();
    MaterialLayer* foreign = other->AddLayer();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    // A new layer: texture on stage, modulated by the diffuse colour,
    // blended by its alpha, wrapped, unlit, without a texture.
    EXPECT_EQ(first->GetColorArg1(), 5);
    EXPECT_EQ(first->GetColorArg2(), 1);
    EXPECT_EQ(first->GetColorOp(), 3);
    EXPECT_EQ(first->GetAlphaArg1(), 5);
    EXPECT_EQ(first->GetAlphaArg2(), 1);
    EXPECT_EQ(first->GetAlphaOp(), 3);
    EXPECT_EQ(first->GetSrcBlend(), 4);
    EXPECT_EQ(first->GetDestBlend(), 5);
    EXPECT_EQ(first->GetAddressing(), 0);
    EXPECT_FALSE(first->GetLighting());
    EXPECT_EQ(first->GetTexture(), nullptr);
    EXPECT_STREQ(first->GetTextureName().c_str(), "");

    for (int index : {-1, 2, 1000}) {
        EXPECT_EQ(material->GetLayer(index), nullptr) << index;
        EXPECT_FALSE(material->RemoveLayerAt(index)) << index;
    }
    EXPECT_FALSE(material->RemoveLayer(nullptr));
    EXPECT_FALSE(material->RemoveLayer(foreign));
    EXPECT_EQ(material->GetLayerCount(), 2);
    EXPECT_EQ(other->GetLayerCount(), 1);

    EXPECT_TRUE(material->RemoveLayer(first));
    EXPECT_EQ(material->GetLayer(0), second);
    EXPECT_TRUE(material->RemoveLayerAt(0));
    EXPECT_EQ(material->GetLayerCount(), 0);
    EXPECT_TRUE(other->RemoveAllLayers());
    EXPECT_EQ(other->GetLayerCount(), 0);
}

}  // namespace

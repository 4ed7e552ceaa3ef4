// Materials as the host sees them: what reaches the device when one becomes
// current, who holds references, and what the driver refuses.
#include <orv/PlatformControl.h>

#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "support/PluginHarness.h"

namespace {

using orvplatform::Call;
using orvtest::DisplayTest;

using MaterialTest = DisplayTest;

TEST_F(MaterialTest, MakingAMaterialCurrentAppliesItsSettingsInOrder) {
    Material* material = m_pRenderer->CreateMaterial();
    material->SetCulling(false);
    material->SetZWrite(false);
    material->SetZFunc(-1);  // an unknown keyword's -1 compares less-or-equal
    material->SetDiffuse(0.1f, 0.2f, 0.3f);
    m_pRenderer->SetRenderState(RENDERSTATE_ZENABLE, D3DZB_FALSE);  // to see it come back
    orvplatform::ClearJournal();

    EXPECT_TRUE(m_pRenderer->SetMaterial(material));
    ASSERT_EQ(orvplatform::Journal().size(), 6u);
    EXPECT_EQ(orvplatform::Journal()[0].api, "IDirect3DDevice8::SetMaterial");
    const std::vector<Call> states = orvplatform::CallsOf("IDirect3DDevice8::SetRenderState");
    ASSERT_EQ(states.size(), 5u);
    const DWORD order[] = {D3DRS_CULLMODE, D3DRS_ALPHABLENDENABLE, D3DRS_ZWRITEENABLE,
                           D3DRS_ZENABLE, D3DRS_ZFUNC};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(states[i].args[0], order[i]) << i;
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), 1u);
    EXPECT_EQ(RenderState(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_LESSEQUAL));
    D3DMATERIAL8 applied = {};
    m_pD3D->GetMaterial(&applied);
    EXPECT_EQ(applied.Diffuse.b, 0.3f);

    // Current already: nothing is set again.
    orvplatform::ClearJournal();
    EXPECT_TRUE(m_pRenderer->SetMaterial(material));
    EXPECT_TRUE(orvplatform::Journal().empty());
}

TEST_F(MaterialTest, TheDriverHoldsOneReferenceWhileAMaterialIsCurrent) {
    Material* first = m_pRenderer->CreateMaterial();
    Material* second = m_pRenderer->CreateMaterial();
    ASSERT_TRUE(m_pRenderer->SetMaterial(first));
    EXPECT_EQ(first->GetRefCount(), 2);

    // Switching gives the old one back and applies no neutral state between.
    orvplatform::ClearJournal();
    ASSERT_TRUE(m_pRenderer->SetMaterial(second));
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::SetTexture"), 0u);

    // Another driver's material is refused (the line and the untouched
    // device are the misuse tests'), the current one stays.
    Material* foreign = Create()->CreateMaterial();
    EXPECT_FALSE(m_pRenderer->SetMaterial(foreign));
    EXPECT_EQ(m_pRenderer->GetMaterial(), second);
    EXPECT_EQ(foreign->GetRefCount(), 1);

    // No longer current: the host's own reference keeps it alive.
    ASSERT_TRUE(m_pRenderer->SetMaterial(nullptr));
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_TRUE(m_pRenderer->SetMaterial(second));

    // Releasing the current material puts the device into the neutral state.
    m_pRenderer->SetRenderState(RENDERSTATE_SRCBLEND, BLEND_DESTALPHA);
    EXPECT_TRUE(m_pRenderer->ReleaseMaterial(second));
    EXPECT_EQ(m_pRenderer->GetMaterial(), nullptr);
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_FALSE(m_pRenderer->SetMaterial(second));
    EXPECT_FALSE(m_pRenderer->ReleaseMaterial(second));
    EXPECT_TRUE(m_pRenderer->ReleaseMaterial(nullptr));
}

TEST_F(MaterialTest, LayerIndicesAreChecked) {
    Material* material = m_pRenderer->CreateMaterial();
    MaterialLayer* first = material->AddLayer();
    MaterialLayer* second = material->AddLayer();
    MaterialLayer* foreign = m_pRenderer->CreateMaterial()->AddLayer();
    for (int index : {-1, 2}) {
        EXPECT_EQ(material->GetLayer(index), nullptr) << index;
        EXPECT_FALSE(material->RemoveLayerAt(index)) << index;
    }
    EXPECT_FALSE(material->RemoveLayer(foreign));
    EXPECT_TRUE(material->RemoveLayer(first));
    EXPECT_EQ(material->GetLayer(0), second);
    EXPECT_EQ(material->GetLayerCount(), 1);
}

}  // namespace

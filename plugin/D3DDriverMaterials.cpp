// Materials: creation, loading, reference counting and the current material.
#include "host/Material.h"
#include "plugin/D3DDriver.h"

Material* D3DDriver::LoadMaterial(const char*) { return nullptr; }
Material* D3DDriver::CreateMaterial() { return nullptr; }
bool D3DDriver::ReleaseMaterial(Material*) { return false; }
Material* D3DDriver::GetMaterial() { return m_pMaterial; }

bool D3DDriver::SetMaterial(Material* material) {
    if (!material) {
        // The neutral state: stages 0 and 1 empty, stage 0 modulating texture
        // and diffuse, opaque drawing with depth test and write.
        SetTexture(0, nullptr);
        SetTexture(1, nullptr);
        SetTextureStageState(0, 4, 5);  // alpha argument 1: texture
        SetTextureStageState(0, 5, 1);  // alpha argument 2: diffuse
        SetTextureStageState(0, 2, 5);  // colour argument 1: texture
        SetTextureStageState(0, 3, 1);  // colour argument 2: diffuse
        SetTextureStageState(0, 1, 1);  // alpha operation: select argument 1
        SetTextureStageState(0, 0, 3);  // colour operation: modulate
        SetRenderState(7, 1);           // source blend: one
        SetRenderState(8, 0);           // destination blend: zero
        SetShadeMode(1);
        SetFillMode(2);
        SetCullMode(2);
        SetZFunc(3);
        SetZEnable(true);
        SetRenderState(4, 1);  // depth writes on
        SetLighting(false);
        SetAlphaBlendEnable(true);
    }
    if (material == m_pMaterial) return true;
    if (m_pMaterial) {
        Material* previous = m_pMaterial;
        m_pMaterial = nullptr;
        m_pMaterialPasses = nullptr;
        ReleaseMaterial(previous);
    }
    // Making a material current arrives with material objects; none can be
    // created yet.
    return material == nullptr;
}

void D3DDriver::DestroyAllMaterials() {
    // The current material is one of the registered ones; it goes with them.
    m_pMaterial = nullptr;
    m_pMaterialPasses = nullptr;
    for (void* material = m_Materials.Rewind(); material; material = m_Materials.Next())
        delete static_cast<Material*>(material);
    m_Materials.Reset();
}

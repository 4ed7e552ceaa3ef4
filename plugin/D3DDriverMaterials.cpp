// Materials: creation, loading, reference counting and the current material.
#include <new>

#include "host/Kernel.h"
#include "material/D3DMaterial.h"
#include "plugin/D3DDriver.h"

Material* D3DDriver::LoadMaterial(const char* path) {
    D3DMaterial* material = new (std::nothrow) D3DMaterial(this);
    if (!material) {
        m_pKernel->LogMessage("D3DDriver::LoadMaterial: Out of memory.");
        return nullptr;
    }
    if (!material->LoadFromFile(path) || !AddMaterial(material, "LoadMaterial")) {
        delete material;
        return nullptr;
    }
    return material;
}

Material* D3DDriver::CreateMaterial() {
    D3DMaterial* material = new (std::nothrow) D3DMaterial(this);
    if (!material) {
        m_pKernel->LogMessage("D3DDriver::CreateMaterial: Out of memory.");
        return nullptr;
    }
    if (!AddMaterial(material, "CreateMaterial")) {
        delete material;
        return nullptr;
    }
    return material;
}

bool D3DDriver::AddMaterial(Material* material, const char* operation) {
    try {
        m_MaterialIndex.insert(material);
    } catch (const std::bad_alloc&) {
        m_pKernel->LogMessage("D3DDriver::%s: Out of memory.", operation);
        return false;
    }
    m_Materials.PushEnd(material);
    return true;
}

bool D3DDriver::HoldsMaterial(Material* material, const char* operation) {
    if (m_MaterialIndex.count(material)) return true;
    m_pKernel->LogMessage("D3DDriver::%s: Not a material of this driver.", operation);
    return false;
}

bool D3DDriver::ReleaseMaterial(Material* material) {
    if (!material) return true;
    if (!HoldsMaterial(material, "ReleaseMaterial")) return false;
    if (material == m_pMaterial) SetMaterial(nullptr);
    DropMaterialReference(material);
    return true;
}

void D3DDriver::DropMaterialReference(Material* material) {
    if (material->Release() != 0) return;
    m_MaterialIndex.erase(material);
    m_Materials.Remove(m_Materials.Find(material));
    delete material;
}

Material* D3DDriver::GetMaterial() { return m_pMaterial; }

bool D3DDriver::SetMaterial(Material* material) {
    // A material this driver does not hold (another driver's, or one a
    // failed device reset destroyed) is never touched.
    if (material && !HoldsMaterial(material, "SetMaterial")) return false;
    if (!material) {
        // The neutral state: stages 0 and 1 empty, stage 0 modulating texture
        // and diffuse, opaque drawing with depth test and write.
        SetTexture(0, nullptr);
        SetTexture(1, nullptr);
        SetTextureStageState(0, TEXTURESTATE_ALPHAARG1, TEXTUREARG_TEXTURE);
        SetTextureStageState(0, TEXTURESTATE_ALPHAARG2, TEXTUREARG_DIFFUSE);
        SetTextureStageState(0, TEXTURESTATE_COLORARG1, TEXTUREARG_TEXTURE);
        SetTextureStageState(0, TEXTURESTATE_COLORARG2, TEXTUREARG_DIFFUSE);
        SetTextureStageState(0, TEXTURESTATE_ALPHAOP, TEXTUREOP_SELECTARG1);
        SetTextureStageState(0, TEXTURESTATE_COLOROP, TEXTUREOP_MODULATE);
        SetRenderState(RENDERSTATE_SRCBLEND, BLEND_ONE);
        SetRenderState(RENDERSTATE_DESTBLEND, BLEND_ZERO);
        SetShadeMode(SHADE_GOURAUD);
        SetFillMode(FILL_SOLID);
        SetCullMode(CULL_CCW);
        SetZFunc(COMPARE_LESSEQUAL);
        SetZEnable(true);
        SetRenderState(RENDERSTATE_ZWRITEENABLE, TRUE);
        SetLighting(false);
        SetAlphaBlendEnable(true);
    }
    if (material == m_pMaterial) return true;
    if (m_pMaterial) {
        Material* previous = m_pMaterial;
        m_pMaterial = nullptr;
        m_pMaterialPasses = nullptr;
        DropMaterialReference(previous);  // the current material is always held
    }
    if (!material) return true;

    // Every material in the list is one this driver made.
    D3DMaterial* own = static_cast<D3DMaterial*>(material);
    m_pMaterial = material;
    m_pMaterialPasses = own;
    own->Apply();
    own->AddRef();  // the driver's reference while the material is current
    return true;
}

void D3DDriver::DestroyAllMaterials() {
    // The current material is one of the registered ones; it goes with them.
    m_pMaterial = nullptr;
    m_pMaterialPasses = nullptr;
    for (void* material = m_Materials.Rewind(); material; material = m_Materials.Next())
        delete static_cast<Material*>(material);
    m_Materials.Reset();
    m_MaterialIndex.clear();
}

#include "material/D3DMaterial.h"

#include <d3d8.h>

#include <new>

#include "device/DriverServices.h"
#include "host/Kernel.h"
#include "material/D3DMaterialLayer.h"
#include "state/StateTables.h"

namespace {

D3DCOLORVALUE ToColorValue(const Color& colour) {
    return D3DCOLORVALUE{colour.r, colour.g, colour.b, colour.a};
}

}  // namespace

D3DMaterial::D3DMaterial(DriverServices* driver)
    : m_pDriver(driver),
      m_Shininess(0.0f),
      m_bCulling(false),
      m_bFrameBlend(false),
      m_bZWrite(false),
      m_ZFunc(0),
      // Creation counts as the holder's reference: the driver adds its own
      // while the material is current, so dropping it as current leaves the
      // material to the host, and the host's ReleaseMaterial destroys it.
      m_RefCount(1),
      m_PassCursor(0),
      m_PassIndex(0) {
    SetAmbient(0.5f, 0.5f, 0.5f);
    SetDiffuse(0.5f, 0.5f, 0.5f);
    SetSpecular(1.0f, 1.0f, 1.0f);
    SetEmissive(1.0f, 1.0f, 1.0f);
    SetShininess(1.0f);
    SetCulling(true);
    SetFrameBlend(true);
    SetZWrite(true);
    SetZFunc(kDefaultZFunc);
}

D3DMaterial::~D3DMaterial() { RemoveAllLayers(); }

int D3DMaterial::AddRef() { return ++m_RefCount; }

int D3DMaterial::Release() {
    if (m_RefCount > 0) --m_RefCount;
    return m_RefCount;
}

int D3DMaterial::GetRefCount() { return m_RefCount; }

void D3DMaterial::SetAmbient(float r, float g, float b) { m_Ambient = Color(r, g, b, 1.0f); }
Color D3DMaterial::GetAmbient() { return m_Ambient; }
void D3DMaterial::SetDiffuse(float r, float g, float b) { m_Diffuse = Color(r, g, b, 1.0f); }
Color D3DMaterial::GetDiffuse() { return m_Diffuse; }
void D3DMaterial::SetSpecular(float r, float g, float b) { m_Specular = Color(r, g, b, 1.0f); }
Color D3DMaterial::GetSpecular() { return m_Specular; }
void D3DMaterial::SetEmissive(float r, float g, float b) { m_Emissive = Color(r, g, b, 1.0f); }
Color D3DMaterial::GetEmissive() { return m_Emissive; }
void D3DMaterial::SetShininess(float power) { m_Shininess = power; }
float D3DMaterial::GetShininess() { return m_Shininess; }
void D3DMaterial::SetFrameBlend(bool blend) { m_bFrameBlend = blend; }
bool D3DMaterial::GetFrameBlend() { return m_bFrameBlend; }
void D3DMaterial::SetCulling(bool culling) { m_bCulling = culling; }
bool D3DMaterial::GetCulling() { return m_bCulling; }
void D3DMaterial::SetZFunc(int func) { m_ZFunc = func; }
int D3DMaterial::GetZFunc() { return m_ZFunc; }
void D3DMaterial::SetZWrite(bool write) { m_bZWrite = write; }
bool D3DMaterial::GetZWrite() { return m_bZWrite; }

// ---- Layers -------------------------------------------------------------------

D3DMaterialLayer* D3DMaterial::NewLayer() {
    D3DMaterialLayer* layer = new (std::nothrow) D3DMaterialLayer(m_pDriver, this);
    if (!layer) m_pDriver->GetKernel()->LogMessage("D3DMaterial: Out of memory for a layer.");
    return layer;
}

MaterialLayer* D3DMaterial::AddLayer() {
    D3DMaterialLayer* layer = NewLayer();
    if (layer) m_Layers.PushEnd(static_cast<MaterialLayer*>(layer));
    return layer;
}

MaterialLayer* D3DMaterial::AddLayer(Texture* texture) {
    if (texture && !m_pDriver->HoldsTexture(texture, "D3DMaterial::AddLayer")) return nullptr;
    D3DMaterialLayer* layer = NewLayer();
    if (!layer) return nullptr;
    layer->SetTexture(texture);
    m_Layers.PushEnd(static_cast<MaterialLayer*>(layer));
    return layer;
}

MaterialLayer* D3DMaterial::AddLayer(const char* textureFile) {
    D3DMaterialLayer* layer = NewLayer();
    if (!layer) return nullptr;
    if (!layer->LoadTexture(textureFile)) {
        delete layer;
        return nullptr;
    }
    m_Layers.PushEnd(static_cast<MaterialLayer*>(layer));
    return layer;
}

int D3DMaterial::GetLayerCount() { return m_Layers.Count(); }

MaterialLayer* D3DMaterial::GetLayer(int index) {
    return static_cast<MaterialLayer*>(m_Layers.ElementAt(index));
}

D3DMaterialLayer* D3DMaterial::LayerAt(int index) const {
    // Every layer in the list was made by NewLayer.
    return static_cast<D3DMaterialLayer*>(static_cast<MaterialLayer*>(m_Layers.ElementAt(index)));
}

bool D3DMaterial::RemoveLayer(MaterialLayer* layer) {
    const int index = layer ? m_Layers.Find(layer) : -1;
    return index >= 0 && RemoveLayerAt(index);
}

bool D3DMaterial::RemoveLayerAt(int index) {
    D3DMaterialLayer* layer = LayerAt(index);
    if (!layer) return false;
    m_Layers.Remove(index);
    delete layer;
    return true;
}

bool D3DMaterial::RemoveAllLayers() {
    for (int index = 0; index < m_Layers.Count(); ++index) delete LayerAt(index);
    m_Layers.Reset();
    return true;
}

// ---- Device state ---------------------------------------------------------------

bool D3DMaterial::Apply() {
    D3DMATERIAL8 material;
    material.Diffuse = ToColorValue(m_Diffuse);
    material.Ambient = ToColorValue(m_Ambient);
    material.Specular = ToColorValue(m_Specular);
    material.Emissive = ToColorValue(m_Emissive);
    material.Power = m_Shininess;
    if (IDirect3DDevice8* device = m_pDriver->GetDevice()) device->SetMaterial(&material);

    m_pDriver->SetCullMode(m_bCulling ? CULL_CCW : CULL_NONE);
    m_pDriver->SetAlphaBlendEnable(m_bFrameBlend);
    m_pDriver->SetRenderState(RENDERSTATE_ZWRITEENABLE, m_bZWrite ? TRUE : FALSE);
    m_pDriver->SetZEnable(true);
    m_pDriver->SetRenderState(RENDERSTATE_ZFUNC, static_cast<unsigned>(m_ZFunc));
    return true;
}

void D3DMaterial::BeginPasses() {
    m_PassCursor = 0;
    m_PassIndex = 0;
}

void D3DMaterial::EndPasses() {
    // A draw of several passes blends its later passes with the frame; a
    // material that does not blend leaves blending off again for what follows.
    if (m_PassIndex > 1 && !m_bFrameBlend) m_pDriver->SetAlphaBlendEnable(false);
}

int D3DMaterial::ApplyNextPass() {
    // A device that reported no stages still draws one layer per pass.
    unsigned stageLimit = m_pDriver->GetMaxSimultaneousTextures();
    if (stageLimit < 1) stageLimit = 1;
    if (stageLimit > state::kStageCount) stageLimit = state::kStageCount;

    if (m_PassIndex > 0 && !m_bFrameBlend) m_pDriver->SetAlphaBlendEnable(true);

    const int layerCount = m_Layers.Count();
    const int remaining = layerCount > m_PassCursor ? layerCount - m_PassCursor : 0;
    int passLayers = remaining < static_cast<int>(stageLimit) ? remaining
                                                              : static_cast<int>(stageLimit);
    // A pass is the longest run of consecutive layers with equal lighting
    // flags that fits the stages.
    for (int i = 0; i < passLayers; ++i) {
        D3DMaterialLayer* layer = LayerAt(m_PassCursor + i);
        layer->Apply(i);
        if (i + 1 < passLayers &&
            LayerAt(m_PassCursor + i + 1)->GetLighting() != layer->GetLighting()) {
            passLayers = i + 1;
            break;
        }
    }
    // The stage after the pass's last layer ends the cascade.
    if (passLayers < static_cast<int>(state::kStageCount))
        m_pDriver->SetTextureStageState(static_cast<unsigned>(passLayers), TEXTURESTATE_COLOROP,
                                        TEXTUREOP_DISABLE);

    ++m_PassIndex;
    m_PassCursor += passLayers;
    return m_PassCursor < layerCount ? 1 : 0;
}

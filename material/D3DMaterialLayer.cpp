#include "material/D3DMaterialLayer.h"

#include <d3d8.h>

#include "device/DriverServices.h"
#include "host/Texture.h"
#include "state/RenderStateTranslator.h"

namespace {

// How far stage 1's first texture coordinate has scrolled, shared by every
// layer of every material. It steps by 0.0002 per application to stage 1 and
// stays below 2.0: a whole number of texture repeats is invisible under wrap
// and mirror addressing, and near 0 the float keeps the steps exact where a
// growing sum would round them away and freeze.
float g_TextureScroll = 0.0f;
constexpr float kScrollStep = 0.0002f;
constexpr float kScrollPeriod = 2.0f;

}  // namespace

D3DMaterialLayer::D3DMaterialLayer(DriverServices* driver, D3DMaterial*)
    : m_pDriver(driver),
      m_ColorArg1(kDefaultArg1),
      m_ColorArg2(kDefaultArg2),
      m_ColorOp(kDefaultOp),
      m_AlphaArg1(kDefaultArg1),
      m_AlphaArg2(kDefaultArg2),
      m_AlphaOp(kDefaultOp),
      m_SrcBlend(kDefaultSrcBlend),
      m_DestBlend(kDefaultDestBlend),
      m_Addressing(kDefaultAddressing),
      m_bLighting(false),
      m_pTexture(nullptr) {}

D3DMaterialLayer::~D3DMaterialLayer() { ReleaseTexture(); }

void D3DMaterialLayer::SetSrcBlend(int blend) { m_SrcBlend = blend; }
int D3DMaterialLayer::GetSrcBlend() { return m_SrcBlend; }
void D3DMaterialLayer::SetDestBlend(int blend) { m_DestBlend = blend; }
int D3DMaterialLayer::GetDestBlend() { return m_DestBlend; }
void D3DMaterialLayer::SetAlphaArg1(int argument) { m_AlphaArg1 = argument; }
void D3DMaterialLayer::SetAlphaArg2(int argument) { m_AlphaArg2 = argument; }
int D3DMaterialLayer::GetAlphaArg1() { return m_AlphaArg1; }
int D3DMaterialLayer::GetAlphaArg2() { return m_AlphaArg2; }
void D3DMaterialLayer::SetColorArg1(int argument) { m_ColorArg1 = argument; }
void D3DMaterialLayer::SetColorArg2(int argument) { m_ColorArg2 = argument; }
int D3DMaterialLayer::GetColorArg1() { return m_ColorArg1; }
int D3DMaterialLayer::GetColorArg2() { return m_ColorArg2; }
void D3DMaterialLayer::SetColorOp(int operation) { m_ColorOp = operation; }
int D3DMaterialLayer::GetColorOp() { return m_ColorOp; }
void D3DMaterialLayer::SetAlphaOp(int operation) { m_AlphaOp = operation; }
int D3DMaterialLayer::GetAlphaOp() { return m_AlphaOp; }
void D3DMaterialLayer::SetAddressing(int addressing) { m_Addressing = addressing; }
int D3DMaterialLayer::GetAddressing() { return m_Addressing; }
void D3DMaterialLayer::SetLighting(bool lighting) { m_bLighting = lighting; }
bool D3DMaterialLayer::GetLighting() { return m_bLighting; }
Texture* D3DMaterialLayer::GetTexture() { return m_pTexture; }

String D3DMaterialLayer::GetTextureName() {
    return m_pTexture ? m_pTexture->GetFileName() : String();
}

bool D3DMaterialLayer::SetTexture(Texture* texture) {
    // A texture the driver does not hold (destroyed, or another driver's)
    // is refused untouched, and the layer keeps what it had.
    if (texture && !m_pDriver->HoldsTexture(texture, "D3DMaterialLayer::SetTexture")) return false;
    // The new reference comes first: the texture may be the one the layer
    // already holds, and giving that back first could destroy it.
    if (texture) texture->AddRef();
    ReleaseTexture();
    m_pTexture = texture;
    return true;
}

bool D3DMaterialLayer::LoadTexture(const char* path) {
    // Loading before giving the old texture back keeps a texture of the
    // same name loaded instead of destroying and reading it again.
    Texture* loaded = m_pDriver->CreateTextureFromFile(path, true, false);
    ReleaseTexture();
    m_pTexture = loaded;
    return loaded != nullptr;
}

bool D3DMaterialLayer::ReleaseTexture() {
    if (m_pTexture) {
        Texture* texture = m_pTexture;
        m_pTexture = nullptr;
        m_pDriver->ReleaseTexture(texture);
    }
    return true;
}

bool D3DMaterialLayer::Apply(int stage) {
    const unsigned unit = static_cast<unsigned>(stage);
    m_pDriver->SetTexture(unit, m_pTexture);
    const auto stageState = [this, unit](TextureState state, int value) {
        m_pDriver->SetTextureStageState(unit, state, static_cast<unsigned>(value));
    };
    stageState(TEXTURESTATE_ADDRESSU, m_Addressing);
    stageState(TEXTURESTATE_ADDRESSV, m_Addressing);
    stageState(TEXTURESTATE_ADDRESSW, m_Addressing);
    stageState(TEXTURESTATE_ALPHAARG1, m_AlphaArg1);
    stageState(TEXTURESTATE_ALPHAARG2, m_AlphaArg2);
    stageState(TEXTURESTATE_COLORARG1, m_ColorArg1);
    stageState(TEXTURESTATE_COLORARG2, m_ColorArg2);
    stageState(TEXTURESTATE_ALPHAOP, m_AlphaOp);
    stageState(TEXTURESTATE_COLOROP, m_ColorOp);
    m_pDriver->SetRenderState(RENDERSTATE_SRCBLEND, static_cast<unsigned>(m_SrcBlend));
    m_pDriver->SetRenderState(RENDERSTATE_DESTBLEND, static_cast<unsigned>(m_DestBlend));

    // The texture-coordinate transform bypasses the engine's numbering.
    RenderStateTranslator* translator = m_pDriver->GetStateTranslator();
    IDirect3DDevice8* device = m_pDriver->GetDevice();
    if (!translator || !device) return true;
    if (unit == 1) {
        g_TextureScroll += kScrollStep;
        if (g_TextureScroll >= kScrollPeriod) g_TextureScroll -= kScrollPeriod;
        translator->SetRawTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
        D3DMATRIX scroll = {};
        scroll._11 = scroll._22 = scroll._33 = scroll._44 = 1.0f;
        scroll._31 = g_TextureScroll;
        device->SetTransform(D3DTS_TEXTURE1, &scroll);
    } else {
        translator->SetRawTextureStageState(unit, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    }
    return true;
}

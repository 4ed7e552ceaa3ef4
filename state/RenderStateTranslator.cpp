#include "state/RenderStateTranslator.h"

#include "state/StateTables.h"

RenderStateTranslator::RenderStateTranslator(IDirect3DDevice8* device) : m_pDevice(device) {}

RenderStateTranslator::~RenderStateTranslator() {}

bool RenderStateTranslator::GetRawRenderState(unsigned d3dState, DWORD* value) const {
    *value = 0;
    HRESULT hr = m_pDevice->GetRenderState(static_cast<D3DRENDERSTATETYPE>(d3dState), value);
    if (FAILED(hr)) *value = 0;
    return SUCCEEDED(hr);
}

bool RenderStateTranslator::GetRawTextureStageState(unsigned stage, unsigned d3dState,
                                                    DWORD* value) const {
    *value = 0;
    if (stage >= state::kStageCount) return false;
    HRESULT hr = m_pDevice->GetTextureStageState(
        stage, static_cast<D3DTEXTURESTAGESTATETYPE>(d3dState), value);
    if (FAILED(hr)) *value = 0;
    return SUCCEEDED(hr);
}

// Device state in the engine's numbering, the neutral material state and the
// state dumps.
#include "host/Kernel.h"
#include "plugin/D3DDriver.h"
#include "state/RenderStateTranslator.h"
#include "state/StateTables.h"

namespace {

DWORD Flag(bool enable) { return enable ? TRUE : FALSE; }

}  // namespace

// Without a display there is no device to hold state: every state operation
// below then does nothing, and the getters report 0.

DWORD D3DDriver::GetRawRenderState(D3DRENDERSTATETYPE state) const {
    DWORD value = 0;
    if (m_pStateTranslator) m_pStateTranslator->GetRawRenderState(state, &value);
    return value;
}

void D3DDriver::SetShadeMode(unsigned mode) {
    SetRawRenderState(D3DRS_SHADEMODE, state::kShadeModes.Row(mode).d3d);
}

void D3DDriver::SetFillMode(unsigned mode) {
    SetRawRenderState(D3DRS_FILLMODE, state::kFillModes.Row(mode).d3d);
}

void D3DDriver::SetCullMode(unsigned mode) {
    SetRawRenderState(D3DRS_CULLMODE, state::kCullModes.Row(mode).d3d);
}

void D3DDriver::SetZEnable(bool enable) {
    SetRawRenderState(D3DRS_ZENABLE, Flag(enable));
}

bool D3DDriver::GetZEnable() { return GetRawRenderState(D3DRS_ZENABLE) != 0; }

void D3DDriver::SetZFunc(unsigned func) {
    SetRawRenderState(D3DRS_ZFUNC, state::kCompareFuncs.Row(func).d3d);
}

void D3DDriver::SetAlphaBlendEnable(bool enable) {
    SetRawRenderState(D3DRS_ALPHABLENDENABLE, Flag(enable));
}

bool D3DDriver::GetAlphaBlendEnable() { return GetRawRenderState(D3DRS_ALPHABLENDENABLE) != 0; }

void D3DDriver::SetSrcBlend(unsigned blend) {
    SetRawRenderState(D3DRS_SRCBLEND, state::kBlendFactors.Row(blend).d3d);
}

void D3DDriver::SetDestBlend(unsigned blend) {
    SetRawRenderState(D3DRS_DESTBLEND, state::kBlendFactors.Row(blend).d3d);
}

void D3DDriver::SetLighting(bool enable) {
    SetRawRenderState(D3DRS_LIGHTING, Flag(enable));
}

void D3DDriver::SetAmbient(unsigned long argb) {
    SetRawRenderState(D3DRS_AMBIENT, static_cast<unsigned>(argb));
}

void D3DDriver::SetTextureFilter(unsigned filter) {
    m_TextureFilter = filter;
    for (unsigned stage = 0; stage < state::kStageCount; ++stage) {
        SetTextureStageState(stage, TEXTURESTATE_MINFILTER, filter);
        SetTextureStageState(stage, TEXTURESTATE_MAGFILTER, filter);
        SetTextureStageState(stage, TEXTURESTATE_MIPFILTER, filter);
    }
}

void D3DDriver::DisableTexturing() {
    SetTextureStageState(0, TEXTURESTATE_COLOROP, TEXTUREOP_DISABLE);
}

bool D3DDriver::DumpRenderStates() {
    if (!m_pStateTranslator) return false;
    m_pKernel->LogMessage("--- BEGIN STATE DUMP ---");
    for (unsigned n = 0; n < RENDERSTATE_COUNT; ++n) {
        const state::StateRow& row = state::RenderStateRow(n);
        DWORD value;
        m_pStateTranslator->GetRawRenderState(row.d3dState, &value);
        m_pKernel->LogMessage("%s: %d", row.name, static_cast<int>(value));
    }
    m_pKernel->LogMessage("--- END STATE DUMP ---");
    return true;
}

bool D3DDriver::DumpTextureStageStates(unsigned stage) {
    if (!m_pStateTranslator) return false;
    m_pKernel->LogMessage("--- START TEXTURE STATE DUMP (Stage %d) ---", stage);
    for (unsigned n = 0; n < TEXTURESTATE_COUNT; ++n) {
        const state::StateRow& row = state::StageStateRow(n);
        DWORD value;
        m_pStateTranslator->GetRawTextureStageState(stage, row.d3dState, &value);
        m_pKernel->LogMessage("%s: %d", row.name, static_cast<int>(value));
    }
    m_pKernel->LogMessage("--- END TEXTURE STATE DUMP (Stage %d) ---", stage);
    return true;
}

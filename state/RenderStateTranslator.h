// Applies device state given in the engine's numbering: looks up the Direct3D
// state, translates the value and hands both to the device. One per device;
// it keeps no copy of what it sets, so reading state back asks the device.
#pragma once

#include <d3d8.h>

#include "state/StateTables.h"

class RenderStateTranslator {
public:
    explicit RenderStateTranslator(IDirect3DDevice8* device);
    virtual ~RenderStateTranslator();
    RenderStateTranslator(const RenderStateTranslator&) = delete;
    RenderStateTranslator& operator=(const RenderStateTranslator&) = delete;

    // The setters sit on every draw's and material's path: defined here, so
    // that their callers reach the device without further calls.
    void SetRenderState(unsigned engineState, unsigned engineValue) {
        const state::StateRow& row = state::RenderStateRow(engineState);
        SetRawRenderState(row.d3dState, state::TranslateValue(row.values, engineValue));
    }
    void SetRawRenderState(unsigned d3dState, unsigned value) {
        m_pDevice->SetRenderState(static_cast<D3DRENDERSTATETYPE>(d3dState), value);
    }
    // Stages 8 and above do not exist on a Direct3D 8 device and are ignored.
    void SetTextureStageState(unsigned stage, unsigned engineState, unsigned engineValue) {
        const state::StateRow& row = state::StageStateRow(engineState);
        SetRawTextureStageState(stage, row.d3dState, state::TranslateValue(row.values, engineValue));
    }
    void SetRawTextureStageState(unsigned stage, unsigned d3dState, unsigned value) {
        if (stage >= state::kStageCount) return;
        m_pDevice->SetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(d3dState),
                                        value);
    }

    // The device's current values; false when the device does not report one
    // (the value is then 0).
    bool GetRawRenderState(unsigned d3dState, DWORD* value) const;
    bool GetRawTextureStageState(unsigned stage, unsigned d3dState, DWORD* value) const;

private:
    IDirect3DDevice8* m_pDevice;
};

// Applies device state given in the engine's numbering: looks up the Direct3D
// state, translates the value and hands both to the device. One per device;
// it keeps no copy of what it sets, so reading state back asks the device.
#pragma once

#include <d3d8.h>

class RenderStateTranslator {
public:
    explicit RenderStateTranslator(IDirect3DDevice8* device);
    virtual ~RenderStateTranslator();
    RenderStateTranslator(const RenderStateTranslator&) = delete;
    RenderStateTranslator& operator=(const RenderStateTranslator&) = delete;

    void SetRenderState(unsigned engineState, unsigned engineValue);
    void SetRawRenderState(unsigned d3dState, unsigned value);
    // Stages 8 and above do not exist on a Direct3D 8 device and are ignored.
    void SetTextureStageState(unsigned stage, unsigned engineState, unsigned engineValue);
    void SetRawTextureStageState(unsigned stage, unsigned d3dState, unsigned value);

    // The device's current values; false when the device does not report one
    // (the value is then 0).
    bool GetRawRenderState(unsigned d3dState, DWORD* value) const;
    bool GetRawTextureStageState(unsigned stage, unsigned d3dState, DWORD* value) const;

private:
    IDirect3DDevice8* m_pDevice;
};

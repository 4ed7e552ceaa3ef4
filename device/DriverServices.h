// What the resource kinds (textures, materials, buffers, screen quads, fonts)
// use of the driver that makes them, and nothing more: the device and the
// Direct3D object, the kernel, the device's caps, the state translator, the
// registry's answer whether it holds a texture, and the device operations a
// material applies itself through. The driver implements it; the resource
// kinds see the driver only through it, so they build below the driver.
//
// The reads and the two engine-numbered state setters are on every draw's and
// material's path: they are plain members here, filled in by the driver, so
// that reaching the device through them costs no more than through the driver
// itself. The rest are the driver's own operations.
#pragma once

#include <d3d8.h>

#include "state/RenderStateTranslator.h"

class IndexBuffer;
class Kernel;
class Texture;
class VertexBuffer;

class DriverServices {
public:
    // Null while there is no display (and the Direct3D object before
    // Initialize).
    IDirect3DDevice8* GetDevice() const { return m_pDevice; }
    IDirect3D8* GetDirect3D() const { return m_pDirect3D; }
    Kernel* GetKernel() const { return m_pKernel; }
    // Null while there is no display.
    RenderStateTranslator* GetStateTranslator() const { return m_pStateTranslator; }
    // The device's caps; 0 while there is no display.
    unsigned GetMaxSimultaneousTextures() const { return m_MaxSimultaneousTextures; }
    unsigned GetMaxTextureWidth() const { return m_MaxTextureWidth; }
    unsigned GetMaxTextureHeight() const { return m_MaxTextureHeight; }

    // Render and texture-stage states in the engine's numbering, translated;
    // nothing while there is no display. The driver's RenderDevice setters of
    // the same names are these.
    void SetRenderState(unsigned state, unsigned value) {
        if (m_pStateTranslator) m_pStateTranslator->SetRenderState(state, value);
    }
    void SetTextureStageState(unsigned stage, unsigned state, unsigned value) {
        if (m_pStateTranslator) m_pStateTranslator->SetTextureStageState(stage, state, value);
    }

    // True when the texture is one the driver holds, registered or unique;
    // otherwise one log line naming the refusing operation.
    virtual bool HoldsTexture(Texture* texture, const char* operation) = 0;
    // A buffer has made its Direct3D buffer again (or lost it): where it is
    // the bound one, the device's stream 0 or indices follow.
    virtual void BufferReplaced(VertexBuffer* buffer) = 0;
    virtual void BufferReplaced(IndexBuffer* buffer) = 0;

    // The RenderDevice operations of the same names.
    virtual void SetTexture(unsigned stage, Texture* texture) = 0;
    virtual void SetCullMode(unsigned mode) = 0;
    virtual void SetAlphaBlendEnable(bool enable) = 0;
    virtual void SetZEnable(bool enable) = 0;
    virtual Texture* CreateTextureFromFile(const char* fileName, bool mipmaps, bool unique) = 0;
    virtual Texture* CreateTextureFromFileSequence(const char* fileName, int framesPerSecond,
                                                   bool mipmaps, bool unique) = 0;
    virtual bool ReleaseTexture(Texture* texture) = 0;

protected:
    explicit DriverServices(Kernel* kernel) : m_pKernel(kernel) {}
    ~DriverServices() = default;
    DriverServices(const DriverServices&) = delete;
    DriverServices& operator=(const DriverServices&) = delete;

    IDirect3D8* m_pDirect3D = nullptr;
    IDirect3DDevice8* m_pDevice = nullptr;
    Kernel* m_pKernel;
    // Made with the device, one per device.
    RenderStateTranslator* m_pStateTranslator = nullptr;
    unsigned m_MaxSimultaneousTextures = 0;
    unsigned m_MaxTextureWidth = 0;
    unsigned m_MaxTextureHeight = 0;
};

// An index buffer made for the host: 16-bit indices in system memory that the
// host writes freely and a Direct3D index buffer that Upload fills from them.
#pragma once

#include <d3d8.h>

#include <cstdint>

#include "host/IndexBuffer.h"

class D3DDriver;
class Kernel;

class D3DIndexBuffer : public IndexBuffer {
public:
    D3DIndexBuffer(Kernel* kernel, D3DDriver* driver);
    ~D3DIndexBuffer() override;
    D3DIndexBuffer(const D3DIndexBuffer&) = delete;
    D3DIndexBuffer& operator=(const D3DIndexBuffer&) = delete;

    unsigned GetIndexCount() override { return m_IndexCount; }
    // Keeps the leading indices; new ones behind them are 0.
    bool Resize(unsigned count) override;
    unsigned short* GetIndices() override { return m_pIndices; }
    // Copies the whole array into the Direct3D buffer.
    bool Upload() override;

    // Replaces whatever the buffer held with count zero indices. On failure
    // the buffer is empty (count 0) and can be filled again.
    bool Create(unsigned count, bool dynamic);
    bool ReleaseResources();

    IDirect3DIndexBuffer8* GetD3DBuffer() const { return m_pD3DBuffer; }
    // True when the buffer holds no Direct3D buffer or one made on `device`.
    // A buffer made before the display changed belongs to the old device and
    // cannot be used with the new one.
    bool BelongsTo(IDirect3DDevice8* device) const { return !m_pD3DBuffer || m_pDevice == device; }
    bool IsDynamic() const { return m_bDynamic; }

private:
    Kernel* m_pKernel;
    D3DDriver* m_pDriver;
    unsigned m_IndexCount;
    bool m_bDynamic;
    IDirect3DIndexBuffer8* m_pD3DBuffer;
    // The device the Direct3D buffer was made on (not owned: the buffer holds
    // it alive); null without one.
    IDirect3DDevice8* m_pDevice;
    unsigned short* m_pIndices;
};

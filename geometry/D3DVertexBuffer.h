// A vertex buffer made for the host: a system-memory array of Vertex that the
// host writes freely and a Direct3D vertex buffer that Upload fills from it.
#pragma once

#include <d3d8.h>

#include "host/VertexBuffer.h"

class D3DDriver;
class Kernel;

class D3DVertexBuffer : public VertexBuffer {
public:
    D3DVertexBuffer(Kernel* kernel, D3DDriver* driver);
    ~D3DVertexBuffer() override;
    D3DVertexBuffer(const D3DVertexBuffer&) = delete;
    D3DVertexBuffer& operator=(const D3DVertexBuffer&) = delete;

    unsigned GetVertexCount() override { return m_VertexCount; }
    // Keeps the leading vertices; new ones behind them are fresh Vertex values.
    bool Resize(unsigned count) override;
    Vertex* GetVertices() override { return m_pVertices; }
    // Copies the whole array into the Direct3D buffer.
    bool Upload() override;

    // Replaces whatever the buffer held with count fresh vertices. On failure
    // the buffer is empty (count 0) and can be filled again.
    bool Create(unsigned count, bool dynamic, bool pointSprites);
    bool ReleaseResources();

    IDirect3DVertexBuffer8* GetD3DBuffer() const { return m_pD3DBuffer; }
    // True when the buffer holds no Direct3D buffer or one made on `device`.
    // A buffer made before the display changed belongs to the old device and
    // cannot be used with the new one.
    bool BelongsTo(IDirect3DDevice8* device) const { return !m_pD3DBuffer || m_pDevice == device; }
    bool IsDynamic() const { return m_bDynamic; }
    bool HasPointSprites() const { return m_bPointSprites; }

private:
    Kernel* m_pKernel;
    D3DDriver* m_pDriver;
    unsigned m_VertexCount;
    bool m_bDynamic;
    bool m_bPointSprites;
    IDirect3DVertexBuffer8* m_pD3DBuffer;
    // The device the Direct3D buffer was made on (not owned: the buffer holds
    // it alive); null without one.
    IDirect3DDevice8* m_pDevice;
    Vertex* m_pVertices;
};

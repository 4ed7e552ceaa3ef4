// A vertex buffer made for the host: a system-memory array of Vertex that the
// host writes freely and a Direct3D vertex buffer that Upload fills from it.
#pragma once

#include <d3d8.h>

#include "geometry/D3DGeometryBuffer.h"
#include "host/VertexBuffer.h"

class D3DDriver;
class Kernel;

class D3DVertexBuffer : public VertexBuffer {
public:
    D3DVertexBuffer(Kernel* kernel, D3DDriver* driver);

    unsigned GetVertexCount() override { return m_Buffer.Count(); }
    // Keeps the leading vertices; new ones behind them are fresh Vertex values.
    bool Resize(unsigned count) override;
    Vertex* GetVertices() override { return m_Buffer.Elements(); }
    // Copies the whole array into the Direct3D buffer.
    bool Upload() override;

    // Replaces whatever the buffer held with count fresh vertices. On failure
    // the buffer is empty (count 0) and can be filled again.
    bool Create(unsigned count, bool dynamic, bool pointSprites);
    bool ReleaseResources() { return m_Buffer.ReleaseResources(); }

    IDirect3DVertexBuffer8* GetD3DBuffer() const { return m_Buffer.GetD3DBuffer(); }
    bool BelongsTo(IDirect3DDevice8* device) const { return m_Buffer.BelongsTo(device); }
    bool IsDynamic() const { return m_Buffer.IsDynamic(); }
    bool HasPointSprites() const { return (m_Buffer.ExtraUsage() & D3DUSAGE_POINTS) != 0; }

private:
    D3DGeometryBuffer<VertexBufferKind> m_Buffer;
};

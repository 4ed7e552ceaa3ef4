// An index buffer made for the host: 16-bit indices in system memory that the
// host writes freely and a Direct3D index buffer that Upload fills from them.
#pragma once

#include <d3d8.h>

#include "geometry/D3DGeometryBuffer.h"
#include "host/IndexBuffer.h"

class D3DDriver;
class Kernel;

class D3DIndexBuffer : public IndexBuffer {
public:
    D3DIndexBuffer(Kernel* kernel, D3DDriver* driver);

    unsigned GetIndexCount() override { return m_Buffer.Count(); }
    // Keeps the leading indices; new ones behind them are 0.
    bool Resize(unsigned count) override;
    unsigned short* GetIndices() override { return m_Buffer.Elements(); }
    // Copies the whole array into the Direct3D buffer.
    bool Upload() override;

    // Replaces whatever the buffer held with count zero indices. On failure
    // the buffer is empty (count 0) and can be filled again.
    bool Create(unsigned count, bool dynamic);
    bool ReleaseResources() { return m_Buffer.ReleaseResources(); }

    IDirect3DIndexBuffer8* GetD3DBuffer() const { return m_Buffer.GetD3DBuffer(); }
    bool BelongsTo(IDirect3DDevice8* device) const { return m_Buffer.BelongsTo(device); }
    bool IsDynamic() const { return m_Buffer.IsDynamic(); }

private:
    D3DGeometryBuffer<IndexBufferKind> m_Buffer;
};

#include "geometry/D3DVertexBuffer.h"

D3DVertexBuffer::D3DVertexBuffer(Kernel* kernel, D3DDriver* driver) : m_Buffer(kernel, driver) {}

bool D3DVertexBuffer::Create(unsigned count, bool dynamic, bool pointSprites) {
    // The point-sprite flag outlives a release, as the dynamic flag does not.
    return m_Buffer.Create(count, dynamic, pointSprites ? D3DUSAGE_POINTS : 0);
}

bool D3DVertexBuffer::Resize(unsigned count) { return m_Buffer.Resize(count); }

bool D3DVertexBuffer::Upload() { return m_Buffer.Upload(); }

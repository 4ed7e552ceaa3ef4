// A vertex buffer made for the host: a system-memory array of Vertex that the
// host writes freely and a Direct3D vertex buffer that Upload fills from it.
#pragma once

#include "geometry/D3DGeometryBuffer.h"

class D3DVertexBuffer : public D3DGeometryBuffer<VertexBufferKind> {
public:
    D3DVertexBuffer(Kernel* kernel, DriverServices* driver);

    unsigned GetVertexCount() override { return Count(); }
    Vertex* GetVertices() override { return Elements(); }

    // Replaces whatever the buffer held with count fresh vertices. On failure
    // the buffer is empty (count 0) and can be filled again.
    bool Create(unsigned count, bool dynamic, bool pointSprites);
    bool HasPointSprites() const { return (ExtraUsage() & D3DUSAGE_POINTS) != 0; }
};

// An index buffer made for the host: 16-bit indices in system memory that the
// host writes freely and a Direct3D index buffer that Upload fills from them.
#pragma once

#include "geometry/D3DGeometryBuffer.h"

class D3DIndexBuffer : public D3DGeometryBuffer<IndexBufferKind> {
public:
    D3DIndexBuffer(Kernel* kernel, DriverServices* driver);

    unsigned GetIndexCount() override { return Count(); }
    unsigned short* GetIndices() override { return Elements(); }

    // Replaces whatever the buffer held with count zero indices. On failure
    // the buffer is empty (count 0) and can be filled again.
    bool Create(unsigned count, bool dynamic);
};

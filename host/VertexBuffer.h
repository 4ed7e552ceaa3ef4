// A vertex buffer the renderer made for the host: a system-memory array of
// Vertex that the host writes, uploaded to the device on request.
#pragma once

#include "HostTypes.h"

class VertexBuffer {
public:
    virtual ~VertexBuffer() {}                      // 0
    virtual unsigned GetVertexCount() = 0;          // 1
    virtual bool Resize(unsigned count) = 0;        // 2
    virtual Vertex* GetVertices() = 0;              // 3
    virtual bool Upload() = 0;                      // 4
};

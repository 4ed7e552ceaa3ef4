// An index buffer the renderer made for the host: 16-bit indices in system
// memory, uploaded to the device on request.
#pragma once

class IndexBuffer {
public:
    virtual ~IndexBuffer() {}                       // 0
    virtual unsigned GetIndexCount() = 0;           // 1
    virtual bool Resize(unsigned count) = 0;        // 2
    virtual unsigned short* GetIndices() = 0;       // 3
    virtual bool Upload() = 0;                      // 4
};

// What vertex and index buffers do alike: a system-memory array that the host
// writes freely and a Direct3D buffer that Upload fills from it, made, filled,
// resized and released the same way. What differs between the two kinds is a
// row of BufferRules, stated once below for each.
#pragma once

#include <d3d8.h>

#include <cstdint>
#include <memory>

#include "host/HostTypes.h"
#include "host/IndexBuffer.h"
#include "host/VertexBuffer.h"

class DriverServices;
class Kernel;

// What Upload locks: size 0 (the whole buffer) or the array's length.
enum class UploadLock { WholeBuffer, ArrayLength };
// Whether ReleaseResources keeps the dynamic flag.
enum class DynamicOnRelease { Kept, Cleared };

struct BufferRules {
    uint32_t elementSize;
    DWORD format;               // flexible vertex format, or the index format
    DWORD staticUsage;
    DWORD dynamicUsage;
    D3DPOOL staticPool;         // dynamic buffers live in the default pool
    UploadLock uploadLock;
    DynamicOnRelease dynamicOnRelease;
    // Log lines; "%s" receives the result's name.
    const char* noDisplay;
    const char* createFailed;
    const char* allocationFailed;
    const char* resizeFailed;
    const char* uploadEmpty;
    const char* lockFailed;
};

struct VertexBufferKind {
    using Host = VertexBuffer;
    using Element = Vertex;
    using D3DBuffer = IDirect3DVertexBuffer8;
    static constexpr BufferRules kRules = {
        kVertexStride, kVertexFVF,
        0, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
        D3DPOOL_MANAGED,
        UploadLock::WholeBuffer,
        DynamicOnRelease::Cleared,
        "Failed to create D3D vertex buffer: no display.",
        "Failed to create D3D vertex buffer. (HR:%s)",
        "Failed to allocate memory for vertex buffer.",
        "Failed to resize D3D vertex buffer.",
        "Failed to upload vertex buffer: it holds no vertices.",
        "Failed to lock vertex buffer (%s)",
    };
};

struct IndexBufferKind {
    using Host = IndexBuffer;
    using Element = unsigned short;
    using D3DBuffer = IDirect3DIndexBuffer8;
    static constexpr BufferRules kRules = {
        sizeof(unsigned short), D3DFMT_INDEX16,
        D3DUSAGE_WRITEONLY, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
        // Every index buffer lives in the default pool.
        D3DPOOL_DEFAULT,
        UploadLock::ArrayLength,
        DynamicOnRelease::Kept,
        "Failed to create D3D index buffer: no display.",
        "Failed to create D3D index buffer. (HR:%s)",
        "Failed to allocate memory for index buffer.",
        "Failed to resize D3D index buffer.",
        "Failed to upload index buffer: it holds no indices.",
        "Failed to lock D3D index buffer. (HR:%s)",
    };
};

static_assert(sizeof(VertexBufferKind::Element) == VertexBufferKind::kRules.elementSize,
              "a vertex is one element");
static_assert(sizeof(IndexBufferKind::Element) == IndexBufferKind::kRules.elementSize,
              "an index is one element");

// The host interface's Resize and Upload, and what the driver asks of a
// buffer; the kinds' own classes add the interface's element accessors.
template <typename Kind>
class D3DGeometryBuffer : public Kind::Host {
public:
    using Element = typename Kind::Element;
    using D3DBuffer = typename Kind::D3DBuffer;

    ~D3DGeometryBuffer() override;
    D3DGeometryBuffer(const D3DGeometryBuffer&) = delete;
    D3DGeometryBuffer& operator=(const D3DGeometryBuffer&) = delete;

    // Keeps the leading elements; new ones behind them are fresh.
    bool Resize(unsigned count) override;
    // Copies the whole array into the Direct3D buffer.
    bool Upload() override;

    bool ReleaseResources();
    D3DBuffer* GetD3DBuffer() const { return m_pD3DBuffer; }
    // True when the buffer holds no Direct3D buffer or one made on `device`.
    // A buffer made before the display changed belongs to the old device and
    // cannot be used with the new one.
    bool BelongsTo(IDirect3DDevice8* device) const { return !m_pD3DBuffer || m_pDevice == device; }
    bool IsDynamic() const { return m_bDynamic; }

protected:
    D3DGeometryBuffer(Kernel* kernel, DriverServices* driver);
    // Replaces whatever the buffer held with count fresh elements (value
    // initialised). extraUsage is added to the usage and kept for Resize. On
    // failure the buffer is empty (count 0) and can be filled again.
    bool Create(unsigned count, bool dynamic, DWORD extraUsage);
    unsigned Count() const { return m_Count; }
    Element* Elements() const { return m_pElements.get(); }
    DWORD ExtraUsage() const { return m_ExtraUsage; }

private:
    Kernel* m_pKernel;
    DriverServices* m_pDriver;
    unsigned m_Count;
    bool m_bDynamic;
    DWORD m_ExtraUsage;
    D3DBuffer* m_pD3DBuffer;
    // The device the Direct3D buffer was made on (not owned: the buffer holds
    // it alive); null without one.
    IDirect3DDevice8* m_pDevice;
    std::unique_ptr<Element[]> m_pElements;
};

extern template class D3DGeometryBuffer<VertexBufferKind>;
extern template class D3DGeometryBuffer<IndexBufferKind>;

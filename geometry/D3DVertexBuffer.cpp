#include "geometry/D3DVertexBuffer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "host/Kernel.h"
#include "plugin/D3DDriver.h"
#include "plugin/ResultName.h"

D3DVertexBuffer::D3DVertexBuffer(Kernel* kernel, D3DDriver* driver)
    : m_pKernel(kernel),
      m_pDriver(driver),
      m_VertexCount(0),
      m_bDynamic(false),
      m_bPointSprites(false),
      m_pD3DBuffer(nullptr),
      m_pDevice(nullptr),
      m_pVertices(nullptr) {}

D3DVertexBuffer::~D3DVertexBuffer() { ReleaseResources(); }

bool D3DVertexBuffer::Create(unsigned count, bool dynamic, bool pointSprites) {
    ReleaseResources();
    m_VertexCount = count;
    m_bDynamic = dynamic;
    m_bPointSprites = pointSprites;

    // A length past 32 bits would wrap to a smaller buffer than the array.
    const uint64_t length = uint64_t{count} * kVertexStride;
    if (length > UINT32_MAX) {
        m_pKernel->LogMessage("Failed to allocate memory for vertex buffer.");
        ReleaseResources();
        return false;
    }
    IDirect3DDevice8* device = m_pDriver->GetDevice();
    if (!device) {
        m_pKernel->LogMessage("Failed to create D3D vertex buffer: no display.");
        ReleaseResources();
        return false;
    }
    DWORD usage = dynamic ? D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY : 0;
    if (pointSprites) usage |= D3DUSAGE_POINTS;
    const D3DPOOL pool = dynamic ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
    HRESULT hr = device->CreateVertexBuffer(static_cast<UINT>(length), usage, kVertexFVF, pool,
                                            &m_pD3DBuffer);
    if (FAILED(hr)) {
        m_pD3DBuffer = nullptr;
        m_pKernel->LogMessage("Failed to create D3D vertex buffer. (HR:%s)", ResultName(hr));
        ReleaseResources();
        return false;
    }
    m_pDevice = device;
    m_pVertices = new (std::nothrow) Vertex[count];
    if (!m_pVertices) {
        m_pKernel->LogMessage("Failed to allocate memory for vertex buffer.");
        ReleaseResources();
        return false;
    }
    return true;
}

bool D3DVertexBuffer::ReleaseResources() {
    if (m_pD3DBuffer) {
        m_pD3DBuffer->Release();
        m_pD3DBuffer = nullptr;
        m_pDevice = nullptr;
    }
    delete[] m_pVertices;
    m_pVertices = nullptr;
    m_VertexCount = 0;
    m_bDynamic = false;
    return true;
}

bool D3DVertexBuffer::Resize(unsigned count) {
    const bool dynamic = m_bDynamic;
    const bool pointSprites = m_bPointSprites;
    // The old array is kept aside while the buffer is made again, then its
    // leading vertices are copied to the front of the new one.
    const unsigned oldCount = m_VertexCount;
    Vertex* old = m_pVertices;
    m_pVertices = nullptr;
    ReleaseResources();
    if (!Create(count, dynamic, pointSprites)) {
        m_pKernel->LogMessage("Failed to resize D3D vertex buffer.");
        delete[] old;
        return false;
    }
    if (old) std::copy(old, old + std::min(oldCount, m_VertexCount), m_pVertices);
    delete[] old;
    return true;
}

bool D3DVertexBuffer::Upload() {
    if (!m_pD3DBuffer || !m_pVertices) {
        m_pKernel->LogMessage("Failed to upload vertex buffer: it holds no vertices.");
        return false;
    }
    BYTE* data = nullptr;
    HRESULT hr = m_pD3DBuffer->Lock(0, 0, &data, m_bDynamic ? D3DLOCK_DISCARD : 0);
    if (FAILED(hr)) {
        m_pKernel->LogMessage("Failed to lock vertex buffer (%s)", ResultName(hr));
        return false;
    }
    std::memcpy(data, m_pVertices, static_cast<size_t>(m_VertexCount) * kVertexStride);
    m_pD3DBuffer->Unlock();
    return true;
}

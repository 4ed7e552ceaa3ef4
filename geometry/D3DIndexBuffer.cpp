#include "geometry/D3DIndexBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "host/Kernel.h"
#include "plugin/D3DDriver.h"
#include "plugin/ResultName.h"

namespace {

constexpr uint64_t kIndexSize = sizeof(unsigned short);

}  // namespace

D3DIndexBuffer::D3DIndexBuffer(Kernel* kernel, D3DDriver* driver)
    : m_pKernel(kernel),
      m_pDriver(driver),
      m_IndexCount(0),
      m_bDynamic(false),
      m_pD3DBuffer(nullptr),
      m_pDevice(nullptr),
      m_pIndices(nullptr) {}

D3DIndexBuffer::~D3DIndexBuffer() { ReleaseResources(); }

bool D3DIndexBuffer::Create(unsigned count, bool dynamic) {
    ReleaseResources();
    m_IndexCount = count;
    m_bDynamic = dynamic;

    // A length past 32 bits would wrap to a smaller buffer than the array.
    const uint64_t length = uint64_t{count} * kIndexSize;
    if (length > UINT32_MAX) {
        m_pKernel->LogMessage("Failed to allocate memory for index buffer.");
        ReleaseResources();
        return false;
    }
    IDirect3DDevice8* device = m_pDriver->GetDevice();
    if (!device) {
        m_pKernel->LogMessage("Failed to create D3D index buffer: no display.");
        ReleaseResources();
        return false;
    }
    const DWORD usage = D3DUSAGE_WRITEONLY | (dynamic ? D3DUSAGE_DYNAMIC : 0);
    HRESULT hr = device->CreateIndexBuffer(static_cast<UINT>(length), usage, D3DFMT_INDEX16,
                                           D3DPOOL_DEFAULT, &m_pD3DBuffer);
    if (FAILED(hr)) {
        m_pD3DBuffer = nullptr;
        m_pKernel->LogMessage("Failed to create D3D index buffer. (HR:%s)", ResultName(hr));
        ReleaseResources();
        return false;
    }
    m_pDevice = device;
    m_pIndices = new (std::nothrow) unsigned short[count]();
    if (!m_pIndices) {
        m_pKernel->LogMessage("Failed to allocate memory for index buffer.");
        ReleaseResources();
        return false;
    }
    return true;
}

bool D3DIndexBuffer::ReleaseResources() {
    delete[] m_pIndices;
    m_pIndices = nullptr;
    if (m_pD3DBuffer) {
        m_pD3DBuffer->Release();
        m_pD3DBuffer = nullptr;
        m_pDevice = nullptr;
    }
    // No count without an array behind it; the dynamic flag stays for Resize.
    m_IndexCount = 0;
    return true;
}

bool D3DIndexBuffer::Resize(unsigned count) {
    const bool dynamic = m_bDynamic;
    // The old array is kept aside while the buffer is made again, then its
    // leading indices are copied to the front of the new, zeroed one.
    const unsigned oldCount = m_IndexCount;
    unsigned short* old = m_pIndices;
    m_pIndices = nullptr;
    ReleaseResources();
    if (!Create(count, dynamic)) {
        m_pKernel->LogMessage("Failed to resize D3D index buffer.");
        delete[] old;
        return false;
    }
    if (old) std::copy(old, old + std::min(oldCount, m_IndexCount), m_pIndices);
    delete[] old;
    return true;
}

bool D3DIndexBuffer::Upload() {
    if (!m_pD3DBuffer || !m_pIndices) {
        m_pKernel->LogMessage("Failed to upload index buffer: it holds no indices.");
        return false;
    }
    const UINT length = static_cast<UINT>(m_IndexCount * kIndexSize);
    BYTE* data = nullptr;
    HRESULT hr = m_pD3DBuffer->Lock(0, length, &data, m_bDynamic ? D3DLOCK_DISCARD : 0);
    if (FAILED(hr)) {
        m_pKernel->LogMessage("Failed to lock D3D index buffer. (HR:%s)", ResultName(hr));
        return false;
    }
    std::memcpy(data, m_pIndices, length);
    m_pD3DBuffer->Unlock();
    return true;
}

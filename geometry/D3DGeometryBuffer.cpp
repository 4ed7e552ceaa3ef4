#include "geometry/D3DGeometryBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "device/DriverServices.h"
#include "device/ResultName.h"
#include "host/Kernel.h"

namespace {

HRESULT MakeD3DBuffer(IDirect3DDevice8* device, UINT length, DWORD usage, DWORD format,
                      D3DPOOL pool, IDirect3DVertexBuffer8** buffer) {
    return device->CreateVertexBuffer(length, usage, format, pool, buffer);
}

HRESULT MakeD3DBuffer(IDirect3DDevice8* device, UINT length, DWORD usage, DWORD format,
                      D3DPOOL pool, IDirect3DIndexBuffer8** buffer) {
    return device->CreateIndexBuffer(length, usage, static_cast<D3DFORMAT>(format), pool, buffer);
}

}  // namespace

template <typename Kind>
D3DGeometryBuffer<Kind>::D3DGeometryBuffer(Kernel* kernel, DriverServices* driver)
    : m_pKernel(kernel),
      m_pDriver(driver),
      m_Count(0),
      m_bDynamic(false),
      m_ExtraUsage(0),
      m_pD3DBuffer(nullptr),
      m_pDevice(nullptr) {}

template <typename Kind>
D3DGeometryBuffer<Kind>::~D3DGeometryBuffer() {
    ReleaseResources();
}

template <typename Kind>
bool D3DGeometryBuffer<Kind>::Create(unsigned count, bool dynamic, DWORD extraUsage) {
    const BufferRules& rules = Kind::kRules;
    ReleaseResources();
    m_Count = count;
    m_bDynamic = dynamic;
    m_ExtraUsage = extraUsage;

    // A length past 32 bits would wrap to a smaller buffer than the array.
    const uint64_t length = uint64_t{count} * rules.elementSize;
    if (length > UINT32_MAX) {
        m_pKernel->LogMessage("%s", rules.allocationFailed);
        ReleaseResources();
        return false;
    }
    IDirect3DDevice8* device = m_pDriver->GetDevice();
    if (!device) {
        m_pKernel->LogMessage("%s", rules.noDisplay);
        ReleaseResources();
        return false;
    }
    const DWORD usage = (dynamic ? rules.dynamicUsage : rules.staticUsage) | extraUsage;
    const D3DPOOL pool = dynamic ? D3DPOOL_DEFAULT : rules.staticPool;
    HRESULT hr = MakeD3DBuffer(device, static_cast<UINT>(length), usage, rules.format, pool,
                               &m_pD3DBuffer);
    if (FAILED(hr)) {
        m_pD3DBuffer = nullptr;
        m_pKernel->LogMessage(rules.createFailed, ResultName(hr));
        ReleaseResources();
        return false;
    }
    m_pDevice = device;
    m_pElements.reset(new (std::nothrow) Element[count]());
    if (!m_pElements) {
        m_pKernel->LogMessage("%s", rules.allocationFailed);
        ReleaseResources();
        return false;
    }
    return true;
}

template <typename Kind>
bool D3DGeometryBuffer<Kind>::ReleaseResources() {
    if (m_pD3DBuffer) {
        m_pD3DBuffer->Release();
        m_pD3DBuffer = nullptr;
        m_pDevice = nullptr;
    }
    m_pElements.reset();
    // No count without an array behind it.
    m_Count = 0;
    if (Kind::kRules.dynamicOnRelease == DynamicOnRelease::Cleared) m_bDynamic = false;
    return true;
}

template <typename Kind>
bool D3DGeometryBuffer<Kind>::Resize(unsigned count) {
    // The old array is kept aside while the buffer is made again, then its
    // leading elements are copied to the front of the new one.
    const bool dynamic = m_bDynamic;
    const unsigned oldCount = m_Count;
    std::unique_ptr<Element[]> old = std::move(m_pElements);
    ReleaseResources();
    const bool made = Create(count, dynamic, m_ExtraUsage);
    // Where this buffer is bound, the device must not keep drawing the old one.
    m_pDriver->BufferReplaced(static_cast<typename Kind::Host*>(this));
    if (!made) {
        m_pKernel->LogMessage("%s", Kind::kRules.resizeFailed);
        return false;
    }
    if (old) std::copy(old.get(), old.get() + std::min(oldCount, m_Count), m_pElements.get());
    return true;
}

template <typename Kind>
bool D3DGeometryBuffer<Kind>::Upload() {
    const BufferRules& rules = Kind::kRules;
    if (!m_pD3DBuffer || !m_pElements) {
        m_pKernel->LogMessage("%s", rules.uploadEmpty);
        return false;
    }
    const size_t length = static_cast<size_t>(m_Count) * rules.elementSize;
    BYTE* data = nullptr;
    HRESULT hr = m_pD3DBuffer->Lock(0, rules.uploadLock == UploadLock::WholeBuffer ? 0 : static_cast<UINT>(length),
                                    &data, m_bDynamic ? D3DLOCK_DISCARD : 0);
    if (FAILED(hr)) {
        m_pKernel->LogMessage(rules.lockFailed, ResultName(hr));
        return false;
    }
    std::memcpy(data, m_pElements.get(), length);
    m_pD3DBuffer->Unlock();
    return true;
}

template class D3DGeometryBuffer<VertexBufferKind>;
template class D3DGeometryBuffer<IndexBufferKind>;

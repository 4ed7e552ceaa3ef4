// The IDirect3DResource8 part shared by textures and buffers: the device that
// made the resource (kept alive while the resource is referenced), private
// data, priority, pool and usage.
#pragma once

#include <string>

#include "Device8.h"
#include "Journal.h"
#include "LiveObject.h"
#include "PrivateData.h"

namespace orvd3d8 {

template <typename Interface>
class Resource8 : public Interface, public LiveObject {
public:
    Device8* Owner() const { return m_Device; }
    D3DPOOL Pool() const { return m_Pool; }
    DWORD Usage() const { return m_Usage; }
    const void* DefaultPoolDevice() const override {
        return m_Pool == D3DPOOL_DEFAULT ? m_Device : nullptr;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return AddPublic(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleasePublic(); }

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override {
        ORV_CALL(Api("GetDevice").c_str(), J(device));
        if (!device) return scope.Finish(D3DERR_INVALIDCALL);
        m_Device->AddRef();
        *device = m_Device;
        return scope.Finish(D3D_OK);
    }
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID guid, const void* data, DWORD sizeOfData,
                                             DWORD flags) override {
        ORV_CALL(Api("SetPrivateData").c_str(), J(&guid), J(data), J(sizeOfData), J(flags));
        return scope.Finish(m_PrivateData.Set(guid, data, sizeOfData, flags));
    }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID guid, void* data, DWORD* sizeOfData) override {
        ORV_CALL(Api("GetPrivateData").c_str(), J(&guid), J(data), J(sizeOfData));
        return scope.Finish(m_PrivateData.Get(guid, data, sizeOfData));
    }
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID guid) override {
        ORV_CALL(Api("FreePrivateData").c_str(), J(&guid));
        return scope.Finish(m_PrivateData.Free(guid));
    }
    // Only managed resources have a priority; the others report 0.
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override {
        ORV_CALL_OR(0, Api("SetPriority").c_str(), J(priority));
        DWORD previous = m_Priority;
        if (m_Pool == D3DPOOL_MANAGED) m_Priority = priority;
        return previous;
    }
    DWORD STDMETHODCALLTYPE GetPriority() override {
        ORV_CALL_OR(0, Api("GetPriority").c_str());
        return m_Priority;
    }
    void STDMETHODCALLTYPE PreLoad() override { ORV_CALL_VOID(Api("PreLoad").c_str()); }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override {
        ORV_CALL_OR(m_Type, Api("GetType").c_str());
        return m_Type;
    }

protected:
    Resource8(Device8* device, const char* interfaceName, D3DRESOURCETYPE type, DWORD usage,
              D3DPOOL pool)
        : m_Device(device),
          m_InterfaceName(interfaceName),
          m_Type(type),
          m_Usage(usage),
          m_Pool(pool) {}

    // "IDirect3DTexture8::LockRect" for Api("LockRect").
    std::string Api(const char* method) const {
        return std::string(m_InterfaceName) + "::" + method;
    }

    void OnFirstReference() override { m_Device->AddPublic(); }
    void OnLastReference() override { m_Device->ReleasePublic(); }

private:
    Device8* m_Device;
    const char* m_InterfaceName;
    D3DRESOURCETYPE m_Type;
    DWORD m_Usage;
    D3DPOOL m_Pool;
    DWORD m_Priority = 0;
    PrivateData m_PrivateData;
};

}  // namespace orvd3d8

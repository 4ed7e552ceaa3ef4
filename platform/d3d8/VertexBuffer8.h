// IDirect3DVertexBuffer8: bytes that lock, with the FVF code, usage and pool
// they were created with.
#pragma once

#include "BufferStorage.h"
#include "Resource8.h"

namespace orvd3d8 {

class VertexBuffer8 final : public Resource8<IDirect3DVertexBuffer8> {
public:
    // Starts with one reference.
    VertexBuffer8(Device8* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

    const BufferStorage& Storage() const { return m_Storage; }
    std::string Describe() const override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data,
                                   DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

private:
    DWORD m_Fvf;
    BufferStorage m_Storage;
};

}  // namespace orvd3d8

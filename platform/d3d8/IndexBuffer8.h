// IDirect3DIndexBuffer8: 16- or 32-bit indices that lock, with their usage and
// pool.
#pragma once

#include "BufferStorage.h"
#include "Resource8.h"

namespace orvd3d8 {

class IndexBuffer8 final : public Resource8<IDirect3DIndexBuffer8> {
public:
    // `format` is D3DFMT_INDEX16 or D3DFMT_INDEX32; starts with one reference.
    IndexBuffer8(Device8* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

    const BufferStorage& Storage() const { return m_Storage; }
    UINT IndexSize() const { return m_Format == D3DFMT_INDEX32 ? 4 : 2; }
    std::string Describe() const override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data,
                                   DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DINDEXBUFFER_DESC* desc) override;

private:
    D3DFORMAT m_Format;
    BufferStorage m_Storage;
};

}  // namespace orvd3d8

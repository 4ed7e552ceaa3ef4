#include "IndexBuffer8.h"

#include "ComSupport.h"
#include "PixelFormat.h"

namespace orvd3d8 {

IndexBuffer8::IndexBuffer8(Device8* device, UINT length, DWORD usage, D3DFORMAT format,
                           D3DPOOL pool)
    : Resource8(device, "IDirect3DIndexBuffer8", D3DRTYPE_INDEXBUFFER, usage, pool),
      m_Format(format),
      m_Storage(length, usage) {
    StartLife();
}

std::string IndexBuffer8::Describe() const {
    return "IDirect3DIndexBuffer8 " + std::to_string(m_Storage.Length()) + " bytes " +
           PixelFormat::Name(m_Format);
}

HRESULT IndexBuffer8::QueryInterface(REFIID riid, void** object) {
    return QueryAmong(this, riid, object,
                      {&IID_IUnknown, &IID_IDirect3DResource8, &IID_IDirect3DIndexBuffer8});
}

HRESULT IndexBuffer8::Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) {
    ORV_CALL("IDirect3DIndexBuffer8::Lock", J(offsetToLock), J(sizeToLock), J(data), J(flags));
    return scope.Finish(m_Storage.Lock(offsetToLock, sizeToLock, data, flags));
}

HRESULT IndexBuffer8::Unlock() {
    ORV_CALL("IDirect3DIndexBuffer8::Unlock");
    return scope.Finish(m_Storage.Unlock());
}

HRESULT IndexBuffer8::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    ORV_CALL("IDirect3DIndexBuffer8::GetDesc", J(desc));
    if (!desc) return scope.Finish(D3DERR_INVALIDCALL);
    desc->Format = m_Format;
    desc->Type = D3DRTYPE_INDEXBUFFER;
    desc->Usage = Usage();
    desc->Pool = Pool();
    desc->Size = m_Storage.Length();
    return scope.Finish(D3D_OK);
}

}  // namespace orvd3d8

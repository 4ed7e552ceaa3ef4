#include "VertexBuffer8.h"

#include <cstdio>

#include "ComSupport.h"

namespace orvd3d8 {

VertexBuffer8::VertexBuffer8(Device8* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : Resource8(device, "IDirect3DVertexBuffer8", D3DRTYPE_VERTEXBUFFER, usage, pool),
      m_Fvf(fvf),
      m_Storage(length, usage) {
    StartLife();
}

std::string VertexBuffer8::Describe() const {
    char fvf[16];
    std::snprintf(fvf, sizeof fvf, "0x%X", static_cast<unsigned>(m_Fvf));
    return "IDirect3DVertexBuffer8 " + std::to_string(m_Storage.Length()) + " bytes fvf=" + fvf;
}

HRESULT VertexBuffer8::QueryInterface(REFIID riid, void** object) {
    return QueryAmong(this, riid, object,
                      {&IID_IUnknown, &IID_IDirect3DResource8, &IID_IDirect3DVertexBuffer8});
}

HRESULT VertexBuffer8::Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) {
    ORV_CALL("IDirect3DVertexBuffer8::Lock", J(offsetToLock), J(sizeToLock), J(data), J(flags));
    return scope.Finish(m_Storage.Lock(offsetToLock, sizeToLock, data, flags));
}

HRESULT VertexBuffer8::Unlock() {
    ORV_CALL("IDirect3DVertexBuffer8::Unlock");
    return scope.Finish(m_Storage.Unlock());
}

HRESULT VertexBuffer8::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    ORV_CALL("IDirect3DVertexBuffer8::GetDesc", J(desc));
    if (!desc) return scope.Finish(D3DERR_INVALIDCALL);
    desc->Format = D3DFMT_VERTEXDATA;
    desc->Type = D3DRTYPE_VERTEXBUFFER;
    desc->Usage = Usage();
    desc->Pool = Pool();
    desc->Size = m_Storage.Length();
    desc->FVF = m_Fvf;
    return scope.Finish(D3D_OK);
}

}  // namespace orvd3d8

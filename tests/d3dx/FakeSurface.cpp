#include "FakeSurface.h"

FakeSurface::FakeSurface(D3DFORMAT format, UINT width, UINT height, UINT bytesPerPixel,
                         UINT pitch)
    : m_Format(format),
      m_Width(width),
      m_Height(height),
      m_BytesPerPixel(bytesPerPixel),
      m_Pitch(pitch),
      m_Memory(static_cast<size_t>(pitch) * height, 0xCD) {}

HRESULT FakeSurface::QueryInterface(REFIID, void** object) {
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeSurface::GetDevice(IDirect3DDevice8** device) {
    *device = nullptr;
    return D3DERR_INVALIDCALL;
}

HRESULT FakeSurface::SetPrivateData(REFGUID, const void*, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT FakeSurface::GetPrivateData(REFGUID, void*, DWORD*) { return E_NOTIMPL; }
HRESULT FakeSurface::FreePrivateData(REFGUID) { return E_NOTIMPL; }

HRESULT FakeSurface::GetContainer(REFIID, void** container) {
    *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeSurface::GetDesc(D3DSURFACE_DESC* desc) {
    *desc = D3DSURFACE_DESC{};
    desc->Format = m_Format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Pool = D3DPOOL_SYSTEMMEM;
    desc->Size = static_cast<UINT>(m_Memory.size());
    desc->Width = m_Width;
    desc->Height = m_Height;
    return D3D_OK;
}

HRESULT FakeSurface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    ++m_LockCount;
    m_LastLockFlags = flags;
    m_LastLockHadRect = rect != nullptr;
    if (rect) m_LastLockRect = *rect;
    if (FAILED(m_LockResult)) return m_LockResult;
    if (m_Locked) return D3DERR_INVALIDCALL;
    m_Locked = true;
    const RECT whole = {0, 0, static_cast<LONG>(m_Width), static_cast<LONG>(m_Height)};
    const RECT& area = rect ? *rect : whole;
    lockedRect->Pitch = static_cast<INT>(m_Pitch);
    lockedRect->pBits = Row(static_cast<UINT>(area.top)) + area.left * m_BytesPerPixel;
    return D3D_OK;
}

HRESULT FakeSurface::UnlockRect() {
    ++m_UnlockCount;
    if (!m_Locked) return D3DERR_INVALIDCALL;
    m_Locked = false;
    return D3D_OK;
}

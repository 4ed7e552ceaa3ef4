// An image surface in plain memory that counts its locks and can refuse them:
// enough of IDirect3DSurface8 for routines that only describe, lock and
// unlock a surface.
#pragma once

#include <vector>

#include <d3d8.h>

class FakeSurface : public IDirect3DSurface8 {
public:
    FakeSurface(D3DFORMAT format, UINT width, UINT height, UINT bytesPerPixel, UINT pitch);

    // Row y of the surface memory, pitch bytes long.
    BYTE* Row(UINT y) { return m_Memory.data() + y * m_Pitch; }
    void FailLocksWith(HRESULT result) { m_LockResult = result; }

    int LockCount() const { return m_LockCount; }
    int UnlockCount() const { return m_UnlockCount; }
    DWORD LastLockFlags() const { return m_LastLockFlags; }
    const RECT* LastLockRect() const { return m_LastLockHadRect ? &m_LastLockRect : nullptr; }
    ULONG References() const { return m_References; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_References; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_References; }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID guid, const void* data, DWORD sizeOfData,
                                             DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID guid, void* data,
                                             DWORD* sizeOfData) override;
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID guid) override;
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                       DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;

private:
    D3DFORMAT m_Format;
    UINT m_Width;
    UINT m_Height;
    UINT m_BytesPerPixel;
    UINT m_Pitch;
    std::vector<BYTE> m_Memory;
    HRESULT m_LockResult = D3D_OK;
    bool m_Locked = false;
    int m_LockCount = 0;
    int m_UnlockCount = 0;
    DWORD m_LastLockFlags = 0;
    bool m_LastLockHadRect = false;
    RECT m_LastLockRect = {};
    ULONG m_References = 1;
};

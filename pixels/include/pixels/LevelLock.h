// A scoped lock of a texture level, or of a surface: what the extension
// routines, the plug-in's textures and the tools hold while they read or
// write a level's memory. The lock is let go on every way out.
#pragma once

#include <cstddef>

#include <d3d8.h>

#include "pixels/RowCopy.h"

class LevelLock {
public:
    // Locks level `level` of texture, the whole level or `area` of it.
    LevelLock(IDirect3DTexture8* texture, UINT level, DWORD flags, const RECT* area = nullptr)
        : m_pTexture(texture), m_Level(level) {
        m_Result = texture->LockRect(level, &m_Locked, area, flags);
    }
    // Locks surface, the whole of it or `area` of it.
    LevelLock(IDirect3DSurface8* surface, DWORD flags, const RECT* area = nullptr) : m_pSurface(surface) {
        m_Result = surface->LockRect(&m_Locked, area, flags);
    }
    ~LevelLock() { Unlock(); }
    LevelLock(const LevelLock&) = delete;
    LevelLock& operator=(const LevelLock&) = delete;

    // The lock's result: the memory below is there only where it succeeded.
    HRESULT Result() const { return m_Result; }
    // Unlocks the level if this locked it; the unlock's result.
    HRESULT Unlock() {
        if (FAILED(m_Result)) return D3D_OK;
        m_Result = D3DERR_INVALIDCALL;
        return m_pTexture ? m_pTexture->UnlockRect(m_Level) : m_pSurface->UnlockRect();
    }
    // The first byte locked (of `area` where one was given).
    BYTE* Bits() const { return static_cast<BYTE*>(m_Locked.pBits); }
    // Bytes from one locked row to the next; 0 when the lock reported none.
    size_t Pitch() const { return LockedPitch(m_Locked); }

private:
    IDirect3DTexture8* m_pTexture = nullptr;
    IDirect3DSurface8* m_pSurface = nullptr;
    UINT m_Level = 0;
    D3DLOCKED_RECT m_Locked = {};
    HRESULT m_Result;
};

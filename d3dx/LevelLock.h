// Locks one whole level of a texture until Unlock, or for as long as it lives.
#pragma once

#include <cstddef>

#include <d3d8.h>

class LevelLock {
public:
    LevelLock(IDirect3DTexture8* texture, UINT level, DWORD flags)
        : m_pTexture(texture), m_Level(level) {
        m_Result = texture->LockRect(level, &m_Locked, nullptr, flags);
    }
    ~LevelLock() { Unlock(); }
    LevelLock(const LevelLock&) = delete;
    LevelLock& operator=(const LevelLock&) = delete;

    HRESULT Result() const { return m_Result; }
    // Unlocks the level if this locked it; the unlock's result.
    HRESULT Unlock() {
        if (FAILED(m_Result)) return D3D_OK;
        m_Result = D3DERR_INVALIDCALL;
        return m_pTexture->UnlockRect(m_Level);
    }
    BYTE* Bits() const { return static_cast<BYTE*>(m_Locked.pBits); }
    size_t Pitch() const { return static_cast<size_t>(m_Locked.Pitch); }

private:
    IDirect3DTexture8* m_pTexture;
    UINT m_Level;
    D3DLOCKED_RECT m_Locked = {};
    HRESULT m_Result;
};


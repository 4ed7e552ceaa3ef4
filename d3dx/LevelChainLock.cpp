#include "LevelChainLock.h"

#include <new>

HRESULT LevelChainLock::Lock(IDirect3DTexture8* texture, UINT first, DWORD firstFlags) {
    Unlock();
    const UINT levels = texture->GetLevelCount();
    if (first >= levels) return D3DERR_INVALIDCALL;
    const UINT count = levels - first;
    m_Views.reset(new (std::nothrow) PixelView[count]);
    m_Locks.reset(new (std::nothrow) std::optional<LevelLock>[count]);
    HRESULT hr = m_Views && m_Locks ? D3D_OK : E_OUTOFMEMORY;
    for (UINT i = 0; i < count && SUCCEEDED(hr); ++i) {
        D3DSURFACE_DESC desc;
        hr = texture->GetLevelDesc(first + i, &desc);
        if (FAILED(hr)) break;
        LevelLock& lock = m_Locks[i].emplace(texture, first + i, i == 0 ? firstFlags : 0);
        ++m_Count;
        hr = lock.Result();
        m_Views[i] = {lock.Bits(), lock.Pitch(), desc.Width, desc.Height};
    }
    if (FAILED(hr)) Unlock();
    return hr;
}

HRESULT LevelChainLock::Unlock() {
    HRESULT result = D3D_OK;
    for (UINT i = m_Count; i-- > 0;) {
        const HRESULT hr = m_Locks[i]->Unlock();
        if (SUCCEEDED(result)) result = hr;
    }
    m_Locks.reset();
    m_Views.reset();
    m_Count = 0;
    return result;
}

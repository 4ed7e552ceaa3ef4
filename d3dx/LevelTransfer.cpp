#include "LevelTransfer.h"

#include <new>

#include "pixels/BlockCodec.h"
#include "pixels/PixelLayout.h"
#include "pixels/RowCopy.h"

bool IsTransferableFormat(D3DFORMAT format) {
    return PixelLayout::Find(format) != nullptr || BlockBytesOf(format) != 0;
}

HRESULT WriteLevel(IDirect3DTexture8* texture, UINT level, const PixelView& argb) {
    D3DSURFACE_DESC desc;
    HRESULT hr = texture->GetLevelDesc(level, &desc);
    if (FAILED(hr)) return hr;
    const PixelLayout* layout = PixelLayout::Find(desc.Format);
    if ((!layout && !BlockBytesOf(desc.Format)) || desc.Width != argb.width ||
        desc.Height != argb.height)
        return D3DERR_INVALIDCALL;
    LevelLock lock(texture, level, 0);
    if (FAILED(lock.Result())) return lock.Result();
    if (!layout) {
        CompressBlocks(desc.Format, argb.Row(0), argb.pitch, argb.width, argb.height, lock.Bits(),
                       lock.Pitch());
        return D3D_OK;
    }
    for (UINT y = 0; y < argb.height; ++y)
        layout->FromArgb(argb.Row(y), argb.width, lock.Bits() + y * lock.Pitch());
    return D3D_OK;
}

HRESULT WriteLevelBlocks(IDirect3DTexture8* texture, UINT level, const PixelView& blocks) {
    LevelLock lock(texture, level, 0);
    if (FAILED(lock.Result())) return lock.Result();
    CopyRows(lock.Bits(), lock.Pitch(), blocks.bits, blocks.pitch, blocks.pitch, BlocksAcross(blocks.height));
    return D3D_OK;
}

HRESULT ReadLevel(IDirect3DTexture8* texture, UINT level, ImageLevel& argb) {
    D3DSURFACE_DESC desc;
    HRESULT hr = texture->GetLevelDesc(level, &desc);
    if (FAILED(hr)) return hr;
    const PixelLayout* layout = PixelLayout::Find(desc.Format);
    if (!layout && !BlockBytesOf(desc.Format)) return D3DERR_INVALIDCALL;
    hr = MakePixelLevel(desc.Width, desc.Height, argb);
    if (FAILED(hr)) return hr;
    LevelLock lock(texture, level, D3DLOCK_READONLY);
    if (FAILED(lock.Result())) return lock.Result();
    const PixelView& view = argb.view;
    if (!layout) {
        DecodeBlocks(desc.Format, lock.Bits(), lock.Pitch(), desc.Width, desc.Height, view.Row(0),
                     view.pitch, BlockRounding::Truncated);
        return D3D_OK;
    }
    for (UINT y = 0; y < desc.Height; ++y)
        layout->ToArgb(lock.Bits() + y * lock.Pitch(), desc.Width, view.Row(y));
    return D3D_OK;
}

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
        if (SUCCEEDED(hr) && !IsArgbMemory(desc.Format)) hr = D3DERR_INVALIDCALL;
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

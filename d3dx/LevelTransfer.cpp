#include "LevelTransfer.h"

#include "pixels/BlockCodec.h"
#include "LevelLock.h"
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

HRESULT WriteLevelBlocks(IDirect3DTexture8* texture, UINT level, const ImageLevel& blocks) {
    LevelLock lock(texture, level, 0);
    if (FAILED(lock.Result())) return lock.Result();
    CopyRows(lock.Bits(), lock.Pitch(), blocks.bytes.get(), blocks.pitch, blocks.pitch,
             static_cast<unsigned>(blocks.rows));
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
    const PixelView view = PixelView::Of(argb);
    if (!layout) {
        DecodeBlocks(desc.Format, lock.Bits(), lock.Pitch(), desc.Width, desc.Height, view.Row(0),
                     view.pitch, BlockRounding::Truncated);
        return D3D_OK;
    }
    for (UINT y = 0; y < desc.Height; ++y)
        layout->ToArgb(lock.Bits() + y * lock.Pitch(), desc.Width, view.Row(y));
    return D3D_OK;
}

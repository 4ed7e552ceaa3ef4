// D3DXSaveSurfaceToFileA: a surface, or part of it, to a Windows bitmap file.
#include <d3dx8.h>

#include "BitmapImage.h"
#include "pixels/LevelLock.h"
#include "pixels/PixelLayout.h"

namespace {

bool InsideSurface(const RECT& area, const D3DSURFACE_DESC& desc) {
    return area.left >= 0 && area.top >= 0 && area.left < area.right && area.top < area.bottom &&
           static_cast<UINT>(area.right) <= desc.Width &&
           static_cast<UINT>(area.bottom) <= desc.Height;
}

}  // namespace

HRESULT WINAPI D3DXSaveSurfaceToFileA(LPCSTR destFile, D3DXIMAGE_FILEFORMAT destFormat,
                                      IDirect3DSurface8* srcSurface, const PALETTEENTRY*,
                                      const RECT* srcRect) {
    if (!destFile || !srcSurface || destFormat != D3DXIFF_BMP) return D3DERR_INVALIDCALL;

    D3DSURFACE_DESC desc;
    HRESULT hr = srcSurface->GetDesc(&desc);
    if (FAILED(hr)) return hr;
    const PixelLayout* layout = PixelLayout::Find(desc.Format);
    if (!layout || !layout->HasColour()) return D3DERR_INVALIDCALL;
    const RECT area = srcRect ? *srcRect
                              : RECT{0, 0, static_cast<LONG>(desc.Width),
                                     static_cast<LONG>(desc.Height)};
    if (!InsideSurface(area, desc)) return D3DERR_INVALIDCALL;

    const UINT width = static_cast<UINT>(area.right - area.left);
    const UINT height = static_cast<UINT>(area.bottom - area.top);
    BitmapImage image;
    if (!image.Allocate(width, height)) return E_OUTOFMEMORY;

    LevelLock lock(srcSurface, D3DLOCK_READONLY, srcRect);
    if (FAILED(lock.Result())) return lock.Result();
    const BYTE* row = lock.Bits();
    for (UINT y = 0; y < height; ++y, row += lock.Pitch()) layout->ToBgr(row, width, image.TopDownRow(y));
    lock.Unlock();

    return image.Save(destFile) ? D3D_OK : E_FAIL;
}

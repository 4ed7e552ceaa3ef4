// Image files into textures, and mip-chain filtering. No decoder is built in
// yet: every image is refused and no level is rebuilt.
#include <d3dx8.h>

HRESULT WINAPI D3DXCreateTextureFromFileInMemory(IDirect3DDevice8*, LPCVOID, UINT,
                                                 IDirect3DTexture8** texture) {
    if (texture) *texture = nullptr;
    return D3DXERR_INVALIDDATA;
}

HRESULT WINAPI D3DXFilterTexture(IDirect3DBaseTexture8*, const PALETTEENTRY*, UINT, DWORD) {
    return D3DERR_INVALIDCALL;
}

// D3DXFilterTexture: the box filter over a texture's mip chain.
#include <d3dx8.h>

#include <new>

#include "MipChain.h"

namespace {

// Every filter named by the low bits is served by the box filter.
constexpr DWORD kFilterTypeMask = 0xFFFF;

}  // namespace

HRESULT WINAPI D3DXFilterTexture(IDirect3DBaseTexture8* texture, const PALETTEENTRY*,
                                 UINT srcLevel, DWORD filter) {
    if (!texture || texture->GetType() != D3DRTYPE_TEXTURE) return D3DERR_INVALIDCALL;
    if (filter != D3DX_DEFAULT &&
        ((filter & kFilterTypeMask) < D3DX_FILTER_NONE || (filter & kFilterTypeMask) > D3DX_FILTER_BOX))
        return D3DERR_INVALIDCALL;
    if (srcLevel == D3DX_DEFAULT) srcLevel = 0;
    try {
        return FilterLevels(static_cast<IDirect3DTexture8*>(texture), srcLevel, nullptr);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// D3DXCreateTextureFromFileInMemory: decode, fit the device's size rules,
// choose a format, create the texture, store the file's levels and filter
// the rest. Where the decoder can write straight into the texture's level 0
// (TextureTarget), the texture is made while the file is decoded.
#include <d3dx8.h>

#include <cstdint>
#include <new>

#include "FormatChoice.h"
#include "ImageDecoders.h"
#include "LevelTransfer.h"
#include "MipChain.h"
#include "PixelView.h"
#include "TexturePlan.h"
#include "TextureTarget.h"

namespace {

// Stores the image's levels into the texture and filters the levels the file
// did not hold.
HRESULT Fill(IDirect3DTexture8* texture, DecodedImage& image) {
    const UINT levels = texture->GetLevelCount();
    const UINT stored = image.LevelCount() < levels ? image.LevelCount() : levels;
    for (UINT level = 0; level < stored; ++level) {
        ImageLevel& data = image.Level(level);
        const HRESULT hr = image.HasBlocks() ? WriteLevelBlocks(texture, level, data)
                                             : WriteLevel(texture, level, PixelView::Of(data));
        if (FAILED(hr)) return hr;
    }
    if (stored == levels) return D3D_OK;
    return FilterLevels(texture, stored - 1, image.HasBlocks() ? nullptr : &image.Level(stored - 1));
}

HRESULT CreateTexture(IDirect3DDevice8* device, const uint8_t* data, size_t size,
                      IDirect3DTexture8** texture) {
    D3DCAPS8 caps;
    HRESULT hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr)) return hr;
    ImageLimits limits;
    if (caps.MaxTextureWidth) limits.maxWidth = caps.MaxTextureWidth;
    if (caps.MaxTextureHeight) limits.maxHeight = caps.MaxTextureHeight;

    TextureTarget target(device, caps, limits);
    DecodedImage image;
    image.SetTarget(&target);
    hr = DecodeImageFile(data, size, limits, image);
    if (SUCCEEDED(hr) && image.InTarget()) return target.Finish(texture);
    if (SUCCEEDED(hr)) hr = FitToCaps(image, caps, limits);
    D3DFORMAT format = D3DFMT_UNKNOWN;
    if (SUCCEEDED(hr)) hr = NearestTextureFormat(device, image.Format(), &format);
    if (SUCCEEDED(hr) && format != image.Format()) hr = image.Decompress();
    if (FAILED(hr)) return hr;

    IDirect3DTexture8* created = nullptr;
    hr = device->CreateTexture(image.Width(), image.Height(), 0, 0, format, D3DPOOL_MANAGED, &created);
    if (FAILED(hr)) return hr;
    hr = Fill(created, image);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *texture = created;
    return D3D_OK;
}

}  // namespace

HRESULT WINAPI D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* device, LPCVOID srcData,
                                                 UINT srcDataSize, IDirect3DTexture8** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || !srcData || srcDataSize == 0) return D3DERR_INVALIDCALL;
    try {
        return CreateTexture(device, static_cast<const uint8_t*>(srcData), srcDataSize, texture);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

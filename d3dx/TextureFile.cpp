// D3DXCreateTextureFromFileInMemory, the image loader, top to bottom:
//
//   1. probe: the decoder that recognises the file reads its header
//      (ImageProbe.h, ImageDecoder.h): size, own format, stored levels,
//      how it writes its rows; the size is held against the device's limits;
//   2. plan: the texture's size under the device's rules, its format, and
//      whether level 0 is decoded straight into the texture (TexturePlan);
//   3. decode into a sink (LevelSink.h): the texture's level 0, whose lower
//      levels are made band by band as the rows come (TextureTarget,
//      MipChain), or an image in memory (DecodedImage);
//   4. finish: the rest of the chain (MipChain), or, from memory, the image
//      decompressed and scaled as the texture needs (TexturePlan::Prepare),
//      its stored levels written into the new texture and the missing ones
//      filtered (LevelTransfer, MipChain).
#include <d3dx8.h>

#include <cstdint>
#include <memory>
#include <new>

#include "DecodedImage.h"
#include "ImageProbe.h"
#include "LevelTransfer.h"
#include "MipChain.h"
#include "TexturePlan.h"
#include "TextureTarget.h"

namespace {

// Level 0 decoded straight into the texture.
HRESULT DecodeIntoTexture(IDirect3DDevice8* device, TexturePlan& plan, const ImageHeader& header,
                          ImageDecoder& decoder, IDirect3DTexture8** texture) {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    HRESULT hr = plan.Format(&format);
    TextureTarget target;
    if (SUCCEEDED(hr)) hr = target.Open(device, plan.Width(), plan.Height(), format, header.order);
    if (SUCCEEDED(hr)) hr = decoder.Decode(target);
    return SUCCEEDED(hr) ? target.Finish(texture) : hr;
}

// Stores the image's levels into the texture and filters the levels the file
// did not hold.
HRESULT Fill(IDirect3DTexture8* texture, const DecodedImage& image) {
    const UINT levels = texture->GetLevelCount();
    const UINT stored = image.LevelCount() < levels ? image.LevelCount() : levels;
    for (UINT level = 0; level < stored; ++level) {
        const PixelView& data = image.Level(level);
        const HRESULT hr = image.HasBlocks() ? WriteLevelBlocks(texture, level, data)
                                             : WriteLevel(texture, level, data);
        if (FAILED(hr)) return hr;
    }
    if (stored == levels) return D3D_OK;
    return FilterLevels(texture, stored - 1, image.HasBlocks() ? nullptr : &image.Level(stored - 1));
}

// The whole file decoded into memory first, then made into the texture.
HRESULT DecodeIntoMemory(IDirect3DDevice8* device, TexturePlan& plan, const ImageHeader& header,
                         ImageDecoder& decoder, IDirect3DTexture8** texture) {
    DecodedImage image;
    HRESULT hr = image.Allocate(header);
    if (SUCCEEDED(hr)) hr = decoder.Decode(image);
    if (SUCCEEDED(hr)) hr = plan.Prepare(image);
    D3DFORMAT format = D3DFMT_UNKNOWN;
    if (SUCCEEDED(hr)) hr = plan.Format(&format);
    if (FAILED(hr)) return hr;

    IDirect3DTexture8* created = nullptr;
    hr = device->CreateTexture(plan.Width(), plan.Height(), 0, 0, format, D3DPOOL_MANAGED, &created);
    if (FAILED(hr)) return hr;
    hr = Fill(created, image);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *texture = created;
    return D3D_OK;
}

HRESULT CreateTexture(IDirect3DDevice8* device, const uint8_t* data, size_t size,
                      IDirect3DTexture8** texture) {
    D3DCAPS8 caps;
    HRESULT hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr)) return hr;
    ImageLimits limits;
    if (caps.MaxTextureWidth) limits.maxWidth = caps.MaxTextureWidth;
    if (caps.MaxTextureHeight) limits.maxHeight = caps.MaxTextureHeight;

    std::unique_ptr<ImageDecoder> decoder;
    ImageHeader header;
    hr = ProbeImageFile(data, size, limits, &decoder, &header);
    if (FAILED(hr)) return hr;
    TexturePlan plan(device, caps, limits, header);
    return plan.IntoTexture() ? DecodeIntoTexture(device, plan, header, *decoder, texture)
                              : DecodeIntoMemory(device, plan, header, *decoder, texture);
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

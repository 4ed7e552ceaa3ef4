// D3DXCreateTextureFromFileInMemory: decode, fit the device's size rules,
// choose a format, create the texture, store the file's levels and filter
// the rest.
#include <d3dx8.h>

#include <new>
#include <optional>
#include <vector>

#include "FormatChoice.h"
#include "ImageDecoders.h"
#include "LevelChainLock.h"
#include "LevelTransfer.h"
#include "MipCascade.h"
#include "MipFilter.h"
#include "PixelView.h"
#include "Resample.h"

namespace {

UINT PowerOfTwoAtLeast(UINT value, UINT most) {
    UINT power = 1;
    while (power < value && power <= most / 2) power *= 2;
    return power;
}

// Where the device needs sides that are powers of two (or square sides), an
// image is scaled up to the next such size (down where that would pass the
// largest size). True when width x height needs no scaling.
bool FitsCaps(UINT& width, UINT& height, const D3DCAPS8& caps, const ImageLimits& limits) {
    const UINT givenWidth = width, givenHeight = height;
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
        width = PowerOfTwoAtLeast(width, limits.maxWidth);
        height = PowerOfTwoAtLeast(height, limits.maxHeight);
    }
    if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) width = height = width > height ? width : height;
    return width == givenWidth && height == givenHeight;
}

// Scales the image to the size the device's rules need: each stored level to
// the size of its place in the new chain, as far as that chain goes.
HRESULT FitToCaps(DecodedImage& image, const D3DCAPS8& caps, const ImageLimits& limits) {
    UINT width = image.Width(), height = image.Height();
    if (FitsCaps(width, height, caps, limits)) return D3D_OK;
    HRESULT hr = Decompress(image);
    if (FAILED(hr)) return hr;
    const UINT chain = FullChainLength(width, height);
    std::vector<ImageLevel> scaled(image.LevelCount() < chain ? image.LevelCount() : chain);
    for (UINT level = 0; level < scaled.size(); ++level) {
        hr = MakePixelLevel(LevelSide(width, level), LevelSide(height, level), scaled[level]);
        if (FAILED(hr)) return hr;
        Resample(image.Level(level), scaled[level]);
    }
    image.ReplaceLevels(std::move(scaled));
    return D3D_OK;
}

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

// Lends a decoder level 0 of the texture itself, made as soon as the image's
// size and format are known, where the level stores the decoder's A8R8G8B8
// pixels unchanged and the size needs no scaling: that saves a copy of the
// whole image. Anything else is left to the decoded image.
class TextureTarget : public PixelTarget {
public:
    TextureTarget(IDirect3DDevice8* device, const D3DCAPS8& caps, const ImageLimits& limits)
        : m_pDevice(device), m_Caps(caps), m_Limits(limits) {}
    ~TextureTarget() {
        m_Chain.Unlock();
        if (m_pTexture) m_pTexture->Release();
    }
    TextureTarget(const TextureTarget&) = delete;
    TextureTarget& operator=(const TextureTarget&) = delete;

    HRESULT Open(UINT width, UINT height, D3DFORMAT format, PixelView* rows) override {
        *rows = {};
        UINT fittedWidth = width, fittedHeight = height;
        D3DFORMAT chosen = D3DFMT_UNKNOWN;
        // A failed choice is left for the decoded image to meet again once the
        // whole file is known to be sound.
        if (m_pTexture || !FitsCaps(fittedWidth, fittedHeight, m_Caps, m_Limits) ||
            FAILED(ChooseTextureFormat(m_pDevice, format, &chosen)))
            return D3D_OK;
        // X8R8G8B8 holds A8R8G8B8 pixels as they are when their alpha is
        // already opaque, as in images of that format.
        if (chosen != D3DFMT_A8R8G8B8 && !(chosen == D3DFMT_X8R8G8B8 && format == chosen))
            return D3D_OK;
        HRESULT hr = m_pDevice->CreateTexture(width, height, 0, 0, chosen, D3DPOOL_MANAGED, &m_pTexture);
        if (SUCCEEDED(hr)) hr = m_Chain.Lock(m_pTexture, 0, 0);
        if (FAILED(hr)) return hr;
        m_Cascade.emplace(m_Chain.Views(), m_Chain.Count());
        *rows = m_Chain.Views()[0];
        return D3D_OK;
    }

    void RowsDone(UINT rows) override {
        if (rows % kRowsPerStep == 0) m_Cascade->TopRowsDone(rows);
    }

    // After a whole decode: the texture with its lower levels filtered.
    HRESULT Finish(IDirect3DTexture8** texture) {
        m_Cascade->Finish();
        const HRESULT hr = m_Chain.Unlock();
        if (FAILED(hr)) return hr;
        *texture = m_pTexture;
        m_pTexture = nullptr;
        return D3D_OK;
    }

private:
    // The lower levels are made a band of rows at a time while the decoder
    // writes level 0, from rows it has only just written. Taking them a row
    // pair at a time would keep evicting the decoder's own working memory.
    static constexpr UINT kRowsPerStep = 16;

    IDirect3DDevice8* m_pDevice;
    const D3DCAPS8& m_Caps;
    const ImageLimits& m_Limits;
    IDirect3DTexture8* m_pTexture = nullptr;
    LevelChainLock m_Chain;             // every level, while the decoder writes level 0
    std::optional<MipCascade> m_Cascade;
};

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
    if (SUCCEEDED(hr)) hr = ChooseTextureFormat(device, image.Format(), &format);
    if (SUCCEEDED(hr) && format != image.Format()) hr = Decompress(image);
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

// D3DXCreateTextureFromFileInMemory: decode, fit the device's size rules,
// choose a format, create the texture, store the file's levels and filter
// the rest.
#include <d3dx8.h>

#include <cstdint>
#include <memory>
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
#include "pixels/RowCopy.h"

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
//
// A decoder that writes from the top down writes into a band of rows in the
// cache instead. Each full band makes the rows of the lower levels it covers
// and is then copied into level 0 past the cache: the decoder's rows are read
// while still in the cache, and level 0 is written without first being read
// from memory.
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

    HRESULT Open(UINT width, UINT height, D3DFORMAT format, RowOrder order, PixelView* rows) override {
        *rows = {};
        UINT fittedWidth = width, fittedHeight = height;
        D3DFORMAT chosen = D3DFMT_UNKNOWN;
        // A failed choice is left for the decoded image to meet again once the
        // whole file is known to be sound.
        if (m_pTexture || !FitsCaps(fittedWidth, fittedHeight, m_Caps, m_Limits) ||
            FAILED(NearestTextureFormat(m_pDevice, format, &chosen)))
            return D3D_OK;
        // X8R8G8B8 holds A8R8G8B8 pixels as they are when their alpha is
        // already opaque, as in images of that format.
        if (chosen != D3DFMT_A8R8G8B8 && !(chosen == D3DFMT_X8R8G8B8 && format == chosen))
            return D3D_OK;
        HRESULT hr = m_pDevice->CreateTexture(width, height, 0, 0, chosen, D3DPOOL_MANAGED, &m_pTexture);
        if (SUCCEEDED(hr)) hr = m_Chain.Lock(m_pTexture, 0, 0);
        if (FAILED(hr)) return hr;
        m_Cascade.emplace(m_Chain.Views(), m_Chain.Count());
        // Rows nothing reads while they are fresh go straight to level 0.
        if (order == RowOrder::TopDown && m_Cascade->ReadsRowsAsTheyCome()) hr = MakeBand(width);
        if (FAILED(hr)) return hr;
        *rows = m_Band.bits ? m_Band : m_Chain.Views()[0];
        return D3D_OK;
    }

    void RowsDone(UINT rows) override {
        m_RowsDone = rows;
        if (m_Band.bits && rows % kBandRows == 0) MoveBand();
    }

    // After a whole decode: the texture with its lower levels filtered.
    HRESULT Finish(IDirect3DTexture8** texture) {
        if (m_Band.bits) MoveBand();
        else m_Cascade->TopRowsDone(m_Chain.Views()[0], 0);
        m_Cascade->Finish();
        const HRESULT hr = m_Chain.Unlock();
        if (FAILED(hr)) return hr;
        *texture = m_pTexture;
        m_pTexture = nullptr;
        return D3D_OK;
    }

private:
    // Rows a band holds: enough that making the lower levels' rows a band
    // at a time does not keep evicting the decoder's own working memory, few
    // enough that a band of the widest level stays in the cache.
    static constexpr UINT kBandRows = 16;
    // libjpeg's colour conversion writes a row that starts on a 16- or
    // 32-byte boundary with streaming stores, which go past the cache: the
    // band's rows start one pixel past a cache line instead.
    static constexpr size_t kCacheLine = 64, kRowSkew = 4;

    HRESULT MakeBand(UINT width) {
        const size_t pitch = (size_t{width} * 4 + kCacheLine - 1) / kCacheLine * kCacheLine;
        m_BandMemory.reset(new (std::nothrow) BYTE[pitch * kBandRows + kCacheLine + kRowSkew]);
        if (!m_BandMemory) return E_OUTOFMEMORY;
        const uintptr_t start = reinterpret_cast<uintptr_t>(m_BandMemory.get());
        const size_t skip = (kCacheLine - start % kCacheLine) % kCacheLine + kRowSkew;
        m_Band = {m_BandMemory.get() + skip, pitch, width, kBandRows};
        return D3D_OK;
    }

    // The rows done since the last move: their share of the lower levels,
    // then into level 0.
    void MoveBand() {
        const UINT first = m_RowsMoved, count = m_RowsDone - m_RowsMoved;
        if (count == 0) return;
        PixelView band = m_Band;
        band.height = count;
        m_Cascade->TopRowsDone(band, first);
        const PixelView& top = m_Chain.Views()[0];
        CopyRowsPastCache(reinterpret_cast<BYTE*>(top.Row(first)), top.pitch, band.bits, band.pitch,
                          size_t{top.width} * 4, count);
        m_RowsMoved = m_RowsDone;
    }

    IDirect3DDevice8* m_pDevice;
    const D3DCAPS8& m_Caps;
    const ImageLimits& m_Limits;
    IDirect3DTexture8* m_pTexture = nullptr;
    LevelChainLock m_Chain;             // every level, while the decoder writes level 0
    std::optional<MipCascade> m_Cascade;
    std::unique_ptr<BYTE[]> m_BandMemory;
    PixelView m_Band;                   // where a top-down decoder writes; empty for any other
    UINT m_RowsDone = 0, m_RowsMoved = 0;
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
    if (SUCCEEDED(hr)) hr = NearestTextureFormat(device, image.Format(), &format);
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

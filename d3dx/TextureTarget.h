// Level 0 of a texture made for an image as soon as the image's size and
// format are known, lent to the decoder where the level stores the decoder's
// A8R8G8B8 pixels unchanged and the size needs no scaling: that saves a copy
// of the whole image. The texture's lower levels are made as the rows come
// (MipChain). Anything else is left to the decoded image.
#pragma once

#include <optional>

#include <d3d8.h>

#include "DecodedImage.h"
#include "LevelTransfer.h"
#include "MipChain.h"

class TextureTarget : public PixelTarget {
public:
    TextureTarget(IDirect3DDevice8* device, const D3DCAPS8& caps, const ImageLimits& limits)
        : m_pDevice(device), m_Caps(caps), m_Limits(limits) {}
    ~TextureTarget();
    TextureTarget(const TextureTarget&) = delete;
    TextureTarget& operator=(const TextureTarget&) = delete;

    HRESULT Open(UINT width, UINT height, D3DFORMAT format, RowOrder order, PixelView* rows) override;
    void RowsDone(UINT rows) override { m_Chain->RowsDone(rows); }

    // After a whole decode: the texture with its lower levels filtered.
    HRESULT Finish(IDirect3DTexture8** texture);

private:
    IDirect3DDevice8* m_pDevice;
    const D3DCAPS8& m_Caps;
    const ImageLimits& m_Limits;
    IDirect3DTexture8* m_pTexture = nullptr;
    LevelChainLock m_Levels;  // every level, while the decoder writes level 0
    std::optional<MipChain> m_Chain;
};

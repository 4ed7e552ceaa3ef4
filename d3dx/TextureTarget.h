// A texture's level 0 as the sink a decoder writes into (TexturePlan decides
// when): the texture is made at the planned size and format and every level
// locked; the decoder writes level 0, or a band of its rows (MipChain), and
// the lower levels are made as the rows come. Finish completes the chain and
// hands the texture over.
#pragma once

#include <optional>

#include <d3d8.h>

#include "ImageDecoder.h"
#include "LevelSink.h"
#include "LevelTransfer.h"
#include "MipChain.h"

class TextureTarget : public LevelSink {
public:
    TextureTarget() = default;
    ~TextureTarget();
    TextureTarget(const TextureTarget&) = delete;
    TextureTarget& operator=(const TextureTarget&) = delete;

    // Makes the texture and lends level 0 to a decoder that writes in `order`.
    // The decoder's A8R8G8B8 words go into the levels as they are:
    // D3DERR_INVALIDCALL where the levels are not A8R8G8B8 memory
    // (IsArgbMemory; LevelChainLock refuses them).
    HRESULT Open(IDirect3DDevice8* device, UINT width, UINT height, D3DFORMAT format, RowOrder order);
    const PixelView& Level(UINT) const override { return m_Rows; }
    void RowsDone(UINT rows) override { m_Chain->RowsDone(rows); }

    // After a whole decode: the texture with its lower levels filtered.
    HRESULT Finish(IDirect3DTexture8** texture);

private:
    IDirect3DTexture8* m_pTexture = nullptr;
    LevelChainLock m_Levels;  // every level, while the decoder writes level 0
    std::optional<MipChain> m_Chain;
    PixelView m_Rows;  // where the decoder writes level 0
};

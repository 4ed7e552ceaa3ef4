// An image file decoded into memory, before it becomes a texture: level 0 and
// whatever lower levels the file stores, either as A8R8G8B8 pixels (every
// uncompressed source) or as the file's own 4x4 blocks (DXT1 to DXT5). The
// loader decodes into one where the texture cannot take the decoder's rows
// as they come (TexturePlan), then decompresses and scales it as the texture
// needs (TexturePlan::Prepare) and stores it (TextureFile.cpp); the tools
// read image files through one (ImageFile.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <d3d8.h>

#include "ImageDecoder.h"
#include "LevelSink.h"
#include "PixelView.h"

// A level in memory: the bytes it owns and the view of them.
struct ImageLevel {
    std::unique_ptr<BYTE[]> memory;
    PixelView view;
};

class DecodedImage : public LevelSink {
public:
    // True when the levels hold the file's DXT blocks, false for A8R8G8B8 pixels.
    bool HasBlocks() const { return m_BlockBytes != 0; }
    // The format of the levels: the file's DXT format, or A8R8G8B8.
    D3DFORMAT LevelFormat() const { return HasBlocks() ? m_FileFormat : D3DFMT_A8R8G8B8; }

    UINT LevelCount() const { return static_cast<UINT>(m_Levels.size()); }
    const PixelView& Level(UINT level) const override { return m_Levels[level].view; }
    UINT Width() const { return m_Levels.empty() ? 0 : m_Levels[0].view.width; }
    UINT Height() const { return m_Levels.empty() ? 0 : m_Levels[0].view.height; }

    // Room for the levels a decoder's header describes (contents undefined).
    // E_OUTOFMEMORY when it cannot be allocated.
    HRESULT Allocate(const ImageHeader& header);
    // Rows written into memory need nothing more.
    void RowsDone(UINT) override {}
    // Replaces the levels by pixel levels (after scaling).
    void ReplaceLevels(std::vector<ImageLevel>&& levels);
    // Replaces DXT blocks by their A8R8G8B8 pixels, level by level (the
    // file's own lower levels stay); an image of pixels is left as it is.
    HRESULT Decompress();

private:
    D3DFORMAT m_FileFormat = D3DFMT_UNKNOWN;  // ImageHeader::fileFormat, whatever the levels hold
    UINT m_BlockBytes = 0;
    std::vector<ImageLevel> m_Levels;
};

// A side of a lower level of a mip chain: halved per level, at least 1.
inline UINT LevelSide(UINT side, UINT level) { return level < 32 && side >> level ? side >> level : 1; }
// Levels of a full chain down to 1 x 1.
inline UINT FullChainLength(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = width > height ? width : height; size > 1; size >>= 1) ++levels;
    return levels;
}

// Allocates a level of width x height A8R8G8B8 pixels (contents undefined).
HRESULT MakePixelLevel(UINT width, UINT height, ImageLevel& level);

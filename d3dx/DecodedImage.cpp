#include "DecodedImage.h"

#include <new>

#include <d3dx8.h>

#include "pixels/BlockCodec.h"

namespace {

constexpr unsigned kArgbBytes = 4;

// A level of width x height: 4x4 blocks of blockBytes each, or, where
// blockBytes is 0, A8R8G8B8 pixels.
HRESULT MakeLevel(UINT width, UINT height, UINT blockBytes, ImageLevel& level) {
    const LevelShape shape(width, height, blockBytes, kArgbBytes);
    if (shape.rowBytes == 0 || shape.rows == 0 || !shape.FitsIn(SIZE_MAX)) return E_OUTOFMEMORY;
    level.memory.reset(new (std::nothrow) BYTE[static_cast<size_t>(shape.Bytes())]);
    if (!level.memory) return E_OUTOFMEMORY;
    level.view = {level.memory.get(), static_cast<size_t>(shape.rowBytes), width, height};
    return D3D_OK;
}

}  // namespace

HRESULT MakePixelLevel(UINT width, UINT height, ImageLevel& level) { return MakeLevel(width, height, 0, level); }

HRESULT DecodedImage::Allocate(const ImageHeader& header) {
    m_FileFormat = header.fileFormat;
    m_BlockBytes = header.blockBytes;
    try {
        m_Levels.resize(header.levels);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    for (UINT level = 0; level < header.levels; ++level) {
        const UINT width = LevelSide(header.width, level), height = LevelSide(header.height, level);
        const HRESULT hr = MakeLevel(width, height, m_BlockBytes, m_Levels[level]);
        if (FAILED(hr)) return hr;
    }
    return D3D_OK;
}

HRESULT DecodedImage::Decompress() {
    if (!HasBlocks()) return D3D_OK;
    std::vector<ImageLevel> pixels(LevelCount());
    for (UINT level = 0; level < LevelCount(); ++level) {
        const PixelView& blocks = m_Levels[level].view;
        const HRESULT hr = MakePixelLevel(blocks.width, blocks.height, pixels[level]);
        if (FAILED(hr)) return hr;
        DecodeBlocks(m_FileFormat, blocks.bits, blocks.pitch, blocks.width, blocks.height, pixels[level].view.Row(0),
                     pixels[level].view.pitch, BlockRounding::Truncated);
    }
    ReplaceLevels(std::move(pixels));
    return D3D_OK;
}

void DecodedImage::ReplaceLevels(std::vector<ImageLevel>&& levels) {
    m_Levels = std::move(levels);
    m_BlockBytes = 0;
}

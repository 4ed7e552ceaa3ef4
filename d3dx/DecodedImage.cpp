#include "DecodedImage.h"

#include <new>

#include <d3dx8.h>

#include "pixels/BlockCodec.h"

namespace {

HRESULT Allocate(UINT width, UINT height, uint64_t pitch, uint64_t rows, ImageLevel& level) {
    const uint64_t size = pitch * rows;
    if (pitch == 0 || rows == 0 || size / rows != pitch || size > SIZE_MAX) return E_OUTOFMEMORY;
    level.memory.reset(new (std::nothrow) BYTE[static_cast<size_t>(size)]);
    if (!level.memory) return E_OUTOFMEMORY;
    level.view = {level.memory.get(), static_cast<size_t>(pitch), width, height};
    return D3D_OK;
}

// A level of 4x4 blocks of blockBytes each covering width x height.
HRESULT MakeBlockLevel(UINT width, UINT height, UINT blockBytes, ImageLevel& level) {
    return Allocate(width, height, BlocksAcross(width) * blockBytes, BlocksAcross(height), level);
}

}  // namespace

HRESULT MakePixelLevel(UINT width, UINT height, ImageLevel& level) {
    return Allocate(width, height, uint64_t{width} * 4, height, level);
}

HRESULT DecodedImage::Allocate(const ImageHeader& header) {
    m_Format = header.format;
    m_BlockBytes = header.blockBytes;
    try {
        m_Levels.resize(header.levels);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    for (UINT level = 0; level < header.levels; ++level) {
        const UINT width = LevelSide(header.width, level), height = LevelSide(header.height, level);
        const HRESULT hr = m_BlockBytes ? MakeBlockLevel(width, height, m_BlockBytes, m_Levels[level])
                                        : MakePixelLevel(width, height, m_Levels[level]);
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
        DecodeBlocks(m_Format, blocks.bits, blocks.pitch, blocks.width, blocks.height, pixels[level].view.Row(0),
                     pixels[level].view.pitch, BlockRounding::Truncated);
    }
    ReplaceLevels(std::move(pixels));
    return D3D_OK;
}

void DecodedImage::ReplaceLevels(std::vector<ImageLevel>&& levels) {
    m_Levels = std::move(levels);
    m_BlockBytes = 0;
}

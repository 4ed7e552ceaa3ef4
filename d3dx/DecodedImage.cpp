#include "DecodedImage.h"

#include <new>

#include <d3dx8.h>

#include "PixelView.h"
#include "pixels/BlockCodec.h"

namespace {

HRESULT Allocate(uint64_t pitch, uint64_t rows, ImageLevel& level) {
    const uint64_t size = pitch * rows;
    if (pitch == 0 || rows == 0 || size / rows != pitch || size > SIZE_MAX) return E_OUTOFMEMORY;
    level.bytes.reset(new (std::nothrow) BYTE[static_cast<size_t>(size)]);
    if (!level.bytes) return E_OUTOFMEMORY;
    level.pitch = static_cast<size_t>(pitch);
    level.rows = static_cast<size_t>(rows);
    return D3D_OK;
}

}  // namespace

HRESULT MakePixelLevel(UINT width, UINT height, ImageLevel& level) {
    level.width = width;
    level.height = height;
    return Allocate(uint64_t{width} * 4, height, level);
}

HRESULT DecodedImage::AddPixelLevel(UINT width, UINT height) {
    ImageLevel level;
    HRESULT hr = MakePixelLevel(width, height, level);
    return SUCCEEDED(hr) ? Append(std::move(level)) : hr;
}

HRESULT DecodedImage::AddTopPixelLevel(UINT width, UINT height, RowOrder order, PixelView* rows) {
    *rows = {};
    if (m_pTarget && m_Levels.empty()) {
        const HRESULT hr = m_pTarget->Open(width, height, m_Format, order, rows);
        if (FAILED(hr)) return hr;
        m_bInTarget = rows->bits != nullptr;
        if (m_bInTarget) return D3D_OK;
    }
    const HRESULT hr = AddPixelLevel(width, height);
    if (SUCCEEDED(hr)) *rows = PixelView::Of(m_Levels.back());
    return hr;
}

HRESULT DecodedImage::AddBlockLevel(UINT width, UINT height, UINT blockBytes) {
    ImageLevel level;
    level.width = width;
    level.height = height;
    HRESULT hr = Allocate((uint64_t{width} + 3) / 4 * blockBytes, (uint64_t{height} + 3) / 4, level);
    if (FAILED(hr)) return hr;
    m_BlockBytes = blockBytes;
    return Append(std::move(level));
}

HRESULT DecodedImage::Append(ImageLevel&& level) {
    try {
        m_Levels.push_back(std::move(level));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT DecodedImage::Decompress() {
    if (!HasBlocks()) return D3D_OK;
    std::vector<ImageLevel> pixels(LevelCount());
    for (UINT level = 0; level < LevelCount(); ++level) {
        const ImageLevel& blocks = m_Levels[level];
        const HRESULT hr = MakePixelLevel(blocks.width, blocks.height, pixels[level]);
        if (FAILED(hr)) return hr;
        DecodeBlocks(m_Format, blocks.bytes.get(), blocks.pitch, blocks.width, blocks.height,
                     pixels[level].PixelRow(0), pixels[level].pitch, BlockRounding::Truncated);
    }
    ReplaceLevels(std::move(pixels));
    return D3D_OK;
}

void DecodedImage::ReplaceLevels(std::vector<ImageLevel>&& levels) {
    m_Levels = std::move(levels);
    m_BlockBytes = 0;
}

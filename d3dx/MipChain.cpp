#include "MipChain.h"

#include <cstdint>
#include <new>
#include <utility>

#include "DecodedImage.h"
#include "LevelTransfer.h"
#include "RowKernels.h"
#include "pixels/PixelLayout.h"
#include "pixels/RowCopy.h"

namespace {

// Whether destination is exactly half of source in each direction.
bool HalvesExactly(const PixelView& source, const PixelView& destination) {
    return source.width == 2 * destination.width && source.height == 2 * destination.height;
}

}  // namespace

MipChain::MipChain(const PixelView* levels, UINT count) : m_pLevels(levels), m_Count(count) {
    while (m_Exact < m_Count && HalvesExactly(m_pLevels[m_Exact - 1], m_pLevels[m_Exact])) ++m_Exact;
}

HRESULT MipChain::TopRows(RowOrder order, PixelView* rows) {
    *rows = m_pLevels[0];
    // Rows nothing reads while they are fresh go straight to the top level.
    if (order != RowOrder::TopDown || m_Exact < 2) return D3D_OK;
    const UINT width = m_pLevels[0].width;
    const size_t pitch = (size_t{width} * 4 + kCacheLine - 1) / kCacheLine * kCacheLine;
    m_BandMemory.reset(new (std::nothrow) BYTE[pitch * kBandRows + kCacheLine + kRowSkew]);
    if (!m_BandMemory) return E_OUTOFMEMORY;
    const uintptr_t start = reinterpret_cast<uintptr_t>(m_BandMemory.get());
    const size_t skip = (kCacheLine - start % kCacheLine) % kCacheLine + kRowSkew;
    m_Band = {m_BandMemory.get() + skip, pitch, width, kBandRows};
    *rows = m_Band;
    return D3D_OK;
}

void MipChain::RowsDone(UINT rows) {
    m_RowsDone = rows;
    if (m_Band.bits && rows % kBandRows == 0) MoveBand();
}

void MipChain::MoveBand() {
    const UINT first = m_RowsMoved, count = m_RowsDone - m_RowsMoved;
    if (count == 0) return;
    PixelView band = m_Band;
    band.height = count;
    TopRowsDone(band, first);
    const PixelView& top = m_pLevels[0];
    CopyRowsPastCache(reinterpret_cast<BYTE*>(top.Row(first)), top.pitch, band.bits, band.pitch,
                      size_t{top.width} * 4, count);
    m_RowsMoved = m_RowsDone;
}

void MipChain::TopRowsDone(const PixelView& rows, UINT first) {
    // Rows that do not continue where the last call ended would leave level 1
    // rows unmade; they are not read.
    if (m_Exact < 2 || first != 2 * m_RowsMade) return;
    const UINT end = first + rows.height < m_pLevels[0].height ? first + rows.height : m_pLevels[0].height;
    // Row y of a level is made once rows 2y and 2y + 1 of the level above
    // are; when y is odd, that completes row y / 2 of the level below.
    for (; 2 * m_RowsMade + 1 < end; ++m_RowsMade) {
        UINT level = 1, y = m_RowsMade;
        HalveRow(rows, 2 * y - first, m_pLevels[1], y);
        while (y % 2 == 1 && level + 1 < m_Exact) {
            y /= 2;
            ++level;
            HalveRow(m_pLevels[level - 1], 2 * y, m_pLevels[level], y);
        }
    }
}

void MipChain::Finish() {
    if (m_Band.bits) MoveBand();
    else TopRowsDone(m_pLevels[0], 0);
    for (UINT level = m_Exact; level < m_Count; ++level) BoxFilter(m_pLevels[level - 1], m_pLevels[level]);
}

namespace {

// The source pixels one destination pixel covers along one side, with their
// weights: in units where a source pixel is `to` wide, destination pixel i
// spans [i * from, (i + 1) * from), so the weights add up to `from`.
struct Taps {
    UINT first = 0;
    UINT count = 0;
    uint32_t weights[4] = {};
};

Taps TapsFor(UINT i, UINT from, UINT to) {
    Taps taps;
    const uint64_t begin = uint64_t{i} * from, end = begin + from;
    taps.first = static_cast<UINT>(begin / to);
    for (uint64_t j = taps.first; j * to < end && taps.count < 4; ++j) {
        const uint64_t low = j * to > begin ? j * to : begin;
        const uint64_t high = (j + 1) * to < end ? (j + 1) * to : end;
        taps.weights[taps.count++] = static_cast<uint32_t>(high - low);
    }
    return taps;
}

void FilterAnySides(const PixelView& source, const PixelView& destination) {
    const uint64_t total = uint64_t{source.width} * source.height;
    for (UINT y = 0; y < destination.height; ++y) {
        const Taps rows = TapsFor(y, source.height, destination.height);
        uint32_t* out = destination.Row(y);
        for (UINT x = 0; x < destination.width; ++x) {
            const Taps columns = TapsFor(x, source.width, destination.width);
            uint64_t sums[4] = {};
            for (UINT r = 0; r < rows.count; ++r) {
                const uint32_t* in = source.Row(rows.first + r) + columns.first;
                for (UINT c = 0; c < columns.count; ++c) {
                    const uint64_t weight = uint64_t{rows.weights[r]} * columns.weights[c];
                    for (int channel = 0; channel < 4; ++channel)
                        sums[channel] += (in[c] >> (8 * channel) & 0xFF) * weight;
                }
            }
            // Weights add up to source width x height.
            uint32_t pixel = 0;
            for (int channel = 0; channel < 4; ++channel)
                pixel |= static_cast<uint32_t>((sums[channel] + total / 2) / total) << (8 * channel);
            out[x] = pixel;
        }
    }
}

// A8R8G8B8 and X8R8G8B8 levels are already in the filter's layout: every
// level is locked at once and filtered straight from the level above.
HRESULT FilterInPlace(IDirect3DTexture8* texture, UINT sourceLevel) {
    LevelChainLock levels;
    const HRESULT hr = levels.Lock(texture, sourceLevel, D3DLOCK_READONLY);
    if (FAILED(hr)) return hr;
    MipChain(levels.Views(), levels.Count()).Finish();
    return D3D_OK;
}

}  // namespace

void BoxFilter(const PixelView& source, const PixelView& destination) {
    if (HalvesExactly(source, destination))
        for (UINT y = 0; y < destination.height; ++y) HalveRow(source, 2 * y, destination, y);
    else
        FilterAnySides(source, destination);
}

HRESULT FilterLevels(IDirect3DTexture8* texture, UINT sourceLevel, const PixelView* source) {
    const UINT levels = texture->GetLevelCount();
    if (sourceLevel >= levels) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    HRESULT hr = texture->GetLevelDesc(sourceLevel, &desc);
    if (FAILED(hr)) return hr;
    if (!IsTransferableFormat(desc.Format)) return D3DERR_INVALIDCALL;
    // The source's pixels are in the level already; filtering from there saves
    // a copy of every lower level.
    if (IsArgbMemory(desc.Format)) return FilterInPlace(texture, sourceLevel);

    ImageLevel read;
    if (!source) {
        hr = ReadLevel(texture, sourceLevel, read);
        if (FAILED(hr)) return hr;
    }
    ImageLevel above = {}, below;
    PixelView sourceView = source ? *source : read.view;
    for (UINT level = sourceLevel + 1; level < levels; ++level) {
        hr = texture->GetLevelDesc(level, &desc);
        if (FAILED(hr)) return hr;
        hr = MakePixelLevel(desc.Width, desc.Height, below);
        if (FAILED(hr)) return hr;
        BoxFilter(sourceView, below.view);
        hr = WriteLevel(texture, level, below.view);
        if (FAILED(hr)) return hr;
        std::swap(above, below);
        sourceView = above.view;
    }
    return D3D_OK;
}

// The mip chain: each level's pixel is the average of the area of the level
// above that it covers, weighted by how much of each pixel it covers where a
// side is odd, with every channel (alpha included) rounded to nearest.
//
// MipChain builds the lower levels of a chain of A8R8G8B8 levels as the top
// level's rows become final. Where each level halves the one above exactly,
// a row is made as soon as the two rows it covers are, while they are still
// in the cache: the top level is read once, as it is written, and no lower
// level is read back from memory. Levels past the first that does not halve
// exactly are filtered whole at the end.
//
// A decoder that writes the top level from the top down writes into a band
// of rows in the cache instead. Each full band makes the rows of the lower
// levels it covers and is then copied into the top level past the cache: the
// decoder's rows are read while still in the cache, and the top level is
// written without first being read from memory.
//
// In the image loader (TextureFile.cpp) this is the finish: band by band
// while a decoder writes straight into the texture (TextureTarget), or
// FilterLevels for the levels an image decoded into memory did not store.
#pragma once

#include <cstddef>
#include <memory>

#include <d3d8.h>

#include "ImageDecoder.h"
#include "PixelView.h"

class MipChain {
public:
    // levels[0] is the top level, levels[1 ... count - 1] the ones below it,
    // each half the size of the one above (rounded down, at least 1). The
    // views must stay valid until Finish.
    MipChain(const PixelView* levels, UINT count);

    // Where a decoder that writes rows in `order` writes the top level: a
    // band of rows, reused from the top (row y goes to rows->Row(y %
    // rows->height)), or the top level itself. E_OUTOFMEMORY when the band
    // cannot be allocated.
    HRESULT TopRows(RowOrder order, PixelView* rows);
    // The first `rows` rows of the top level hold their final pixels.
    void RowsDone(UINT rows);
    // Once every row of the top level is final: the rest of the chain.
    void Finish();

private:
    // Rows a band holds: enough that making the lower levels' rows a band
    // at a time does not keep evicting the decoder's own working memory, few
    // enough that a band of the widest level stays in the cache.
    static constexpr UINT kBandRows = 16;
    // libjpeg's colour conversion writes a row that starts on a 16- or
    // 32-byte boundary with streaming stores, which go past the cache: the
    // band's rows start one pixel past a cache line instead.
    static constexpr size_t kCacheLine = 64, kRowSkew = 4;

    // Rows first ... first + rows.height - 1 of the top level are final, in
    // `rows`: the top level itself (first 0) or the band. Calls come top to
    // bottom, each starting where the last ended, on an even row.
    void TopRowsDone(const PixelView& rows, UINT first);
    // The rows done since the last move: their share of the lower levels,
    // then into the top level.
    void MoveBand();

    const PixelView* m_pLevels;
    UINT m_Count;
    UINT m_Exact = 1;      // levels from the top that each halve the one above exactly
    UINT m_RowsMade = 0;   // rows of level 1 made so far
    std::unique_ptr<BYTE[]> m_BandMemory;
    PixelView m_Band;      // where a top-down decoder writes; empty for any other
    UINT m_RowsDone = 0, m_RowsMoved = 0;
};

// Filters source into destination, which is half its size in each direction
// (rounded down, at least 1).
void BoxFilter(const PixelView& source, const PixelView& destination);

// Rebuilds every level of texture below sourceLevel from the level above it.
// source, when given, holds sourceLevel's pixels as A8R8G8B8 (the caller
// decoded them), so the level need not be read back.
HRESULT FilterLevels(IDirect3DTexture8* texture, UINT sourceLevel, const PixelView* source);

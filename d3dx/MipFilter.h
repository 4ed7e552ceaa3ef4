// The box filter that builds mip levels: each level's pixel is the average of
// the area of the level above that it covers, weighted by how much of each
// pixel it covers where a side is odd, with every channel (alpha included)
// rounded to nearest.
#pragma once

#include <d3d8.h>

#include "DecodedImage.h"
#include "PixelView.h"

// Whether destination is exactly half of source in each direction.
inline bool HalvesExactly(const PixelView& source, const PixelView& destination) {
    return source.width == 2 * destination.width && source.height == 2 * destination.height;
}

// Makes row y of destination from rows `row` and `row + 1` of source, which
// is exactly twice as wide: rows 2y and 2y + 1 of the level above, or of a
// band of its rows.
void HalveRow(const PixelView& source, UINT row, const PixelView& destination, UINT y);

// Filters source into destination, which is half its size in each direction
// (rounded down, at least 1).
void BoxFilter(const PixelView& source, const PixelView& destination);

// Rebuilds every level of texture below sourceLevel from the level above it.
// source, when given, holds sourceLevel's pixels as A8R8G8B8 (the caller
// decoded them), so the level need not be read back.
HRESULT FilterLevels(IDirect3DTexture8* texture, UINT sourceLevel, const ImageLevel* source);

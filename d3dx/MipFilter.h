// The box filter that builds mip levels: each level's pixel is the average of
// the area of the level above that it covers, weighted by how much of each
// pixel it covers where a side is odd, with every channel (alpha included)
// rounded to nearest.
#pragma once

#include <d3d8.h>

#include "DecodedImage.h"
#include "PixelView.h"

// Filters source into destination, which is half its size in each direction
// (rounded down, at least 1).
void BoxFilter(const PixelView& source, const PixelView& destination);

// Rebuilds every level of texture below sourceLevel from the level above it.
// source, when given, holds sourceLevel's pixels as A8R8G8B8 (the caller
// decoded them), so the level need not be read back.
HRESULT FilterLevels(IDirect3DTexture8* texture, UINT sourceLevel, const ImageLevel* source);

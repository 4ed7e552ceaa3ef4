// The mip chain's inner loop: one row of a level made from two rows of the
// level above, with 256- or 128-bit integer vectors where the processor has
// them.
#pragma once

#include <d3d8.h>

#include "PixelView.h"

// Makes row y of destination from rows `row` and `row + 1` of source, which
// is exactly twice as wide: rows 2y and 2y + 1 of the level above, or of a
// band of its rows. Each channel is the rounded average of its four pixels.
void HalveRow(const PixelView& source, UINT row, const PixelView& destination, UINT y);

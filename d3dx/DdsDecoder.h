// DirectDraw surface files: uncompressed pixels whose masks match a
// Direct3D 8 format, and DXT1 to DXT5 blocks, with their stored mip levels
// (all of which must be in the file before room is made for any).
// IsDds recognises the format from the first bytes; DecodeDds decodes a
// whole file into image: D3D_OK, D3DXERR_INVALIDDATA for a damaged file or
// one larger than limits, or E_OUTOFMEMORY. A failed decode may leave image
// partly filled; the caller drops it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "DecodedImage.h"

bool IsDds(const uint8_t* data, size_t size);
HRESULT DecodeDds(const uint8_t* data, size_t size, const ImageLimits& limits,
                  DecodedImage& image);

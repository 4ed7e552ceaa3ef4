// Windows bitmaps, with the file header (BMP) or without it (packed DIB):
// 1, 4 and 8 bits per pixel with a palette (RLE4 and RLE8 included), 16 bits
// (5:5:5 or bit fields), 24 and 32 bits; rows bottom-up or top-down.
// Uncompressed pixels must all be in the file before room is made for them;
// run-length data is decoded straight into level 0 and refused where it
// runs past a row, the image or its own end.
// IsBmp recognises the format from the first bytes; DecodeBmp decodes a
// whole file into image: D3D_OK, D3DXERR_INVALIDDATA for a damaged file or
// one larger than limits, or E_OUTOFMEMORY. A failed decode may leave image
// partly filled; the caller drops it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "DecodedImage.h"

bool IsBmp(const uint8_t* data, size_t size);
HRESULT DecodeBmp(const uint8_t* data, size_t size, const ImageLimits& limits,
                  DecodedImage& image);

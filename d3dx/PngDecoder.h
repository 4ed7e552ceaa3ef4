// PNG images through libpng: every colour type and bit depth, transparency
// chunks, interlacing; 16-bit channels are reduced to 8 bits. The decode
// stops at the first damage: libpng's errors, the errors it would let pass
// (benign errors, bad checksums) and palette indices past the palette.
// IsPng recognises the format from the first bytes; DecodePng decodes a
// whole file into image: D3D_OK, D3DXERR_INVALIDDATA for a damaged file or
// one larger than limits, or E_OUTOFMEMORY. A failed decode may leave image
// partly filled; the caller drops it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "DecodedImage.h"

bool IsPng(const uint8_t* data, size_t size);
HRESULT DecodePng(const uint8_t* data, size_t size, const ImageLimits& limits,
                  DecodedImage& image);

// Targa images: uncompressed or run-length encoded; true colour of 15, 16,
// 24 and 32 bits, 8-bit grey, 8-bit indices into a colour map; any origin.
// The format carries no signature: IsTga checks that the header is plausible.
// A file too short for the pixels its header announces is refused before
// room is made for them.
// IsTga recognises the format from the first bytes; DecodeTga decodes a
// whole file into image: D3D_OK, D3DXERR_INVALIDDATA for a damaged file or
// one larger than limits, or E_OUTOFMEMORY. A failed decode may leave image
// partly filled; the caller drops it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "DecodedImage.h"

bool IsTga(const uint8_t* data, size_t size);
HRESULT DecodeTga(const uint8_t* data, size_t size, const ImageLimits& limits,
                  DecodedImage& image);

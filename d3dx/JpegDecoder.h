// JPEG images through libjpeg: grey and colour, baseline and progressive.
// A file libjpeg only warns about (truncated, corrupt entropy data) is refused
// at the first warning, and a file too short to hold the image its header
// announces before anything is decoded.
// IsJpeg recognises the format from the first bytes; DecodeJpeg decodes a
// whole file into image: D3D_OK, D3DXERR_INVALIDDATA for a damaged file or
// one larger than limits, or E_OUTOFMEMORY. A failed decode may leave image
// partly filled; the caller drops it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "DecodedImage.h"

bool IsJpeg(const uint8_t* data, size_t size);
HRESULT DecodeJpeg(const uint8_t* data, size_t size, const ImageLimits& limits,
                   DecodedImage& image);

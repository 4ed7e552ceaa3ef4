// Image files of every kind the extension routines read (DDS, PNG, JPEG,
// BMP/DIB, TGA) decoded into memory, for the texture loader and for tools
// that read image files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "DecodedImage.h"

// Decodes the file at data with the decoder that recognises it: D3D_OK,
// D3DXERR_INVALIDDATA for a file no decoder takes or a damaged one, or
// E_OUTOFMEMORY.
HRESULT DecodeImageFile(const uint8_t* data, size_t size, const ImageLimits& limits,
                        DecodedImage& image);

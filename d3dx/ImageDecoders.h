// Image files of every kind the extension routines read (DDS, PNG, JPEG,
// BMP/DIB, TGA): the decoder a file needs (ImageDecoder.h), for the texture
// loader (TextureFile.cpp), and a whole file decoded into memory for tools
// that read image files (ImageFile.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "DecodedImage.h"
#include "ImageDecoder.h"

// The decoder that recognises the file at data: D3D_OK with it in *decoder,
// D3DXERR_INVALIDDATA for a file no decoder takes, or E_OUTOFMEMORY. The
// decoder reads data in place: it must outlive the decoder.
HRESULT OpenImageFile(const uint8_t* data, size_t size, const ImageLimits& limits,
                      std::unique_ptr<ImageDecoder>* decoder);

// The whole file decoded into image: D3D_OK, D3DXERR_INVALIDDATA for a file
// no decoder takes or a damaged one, or E_OUTOFMEMORY.
HRESULT DecodeImageFile(const uint8_t* data, size_t size, const ImageLimits& limits,
                        DecodedImage& image);

// The probe of an image file of any kind the extension routines read (DDS,
// PNG, JPEG, BMP/DIB, TGA): the decoder that recognises it (ImageDecoder.h)
// reads its header, and the image's size is held against the limits, once
// for every format. The texture loader (TextureFile.cpp) plans the texture
// from what the probe found; tools that read image files decode a whole file
// into memory through it (ImageFile.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "DecodedImage.h"
#include "ImageDecoder.h"

// The decoder that recognises the file at data, with the header it read:
// D3D_OK with them in *decoder and *header, D3DXERR_INVALIDDATA for a file
// no decoder takes, a damaged header or an image larger than limits, or
// E_OUTOFMEMORY. The decoder reads data in place: it must outlive the
// decoder.
HRESULT ProbeImageFile(const uint8_t* data, size_t size, const ImageLimits& limits,
                       std::unique_ptr<ImageDecoder>* decoder, ImageHeader* header);

// The whole file decoded into image: D3D_OK, D3DXERR_INVALIDDATA for a file
// no decoder takes, a damaged one or one larger than limits, or
// E_OUTOFMEMORY.
HRESULT DecodeImageFile(const uint8_t* data, size_t size, const ImageLimits& limits,
                        DecodedImage& image);

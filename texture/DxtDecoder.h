// Software decoding of DXT1 to DXT5 blocks into an uncompressed format, for
// devices that cannot sample the compressed formats.
#pragma once

#include <d3d8.h>

#include <cstddef>
#include <cstdint>

#include "texture/PixelPacking.h"

// The four colours of a colour block, packed 0xAARRGGBB. With color0 <=
// color1 and forceFourColours false the block is in three-colour mode:
// entry 2 is the midpoint and entry 3 the same colour with alpha 0.
void DecodeColorBlock(unsigned short color0, unsigned short color1, bool forceFourColours,
                      uint32_t palette[4]);
// The eight alphas of an interpolated-alpha block.
void DecodeAlphaBlock(unsigned char alpha0, unsigned char alpha1, unsigned char palette[8]);

// Decodes the blocks of a width x height image in `format` (DXT1..DXT5),
// block rows of (width + 3) / 4 blocks, into pixels of `bytesPerPixel` bytes
// packed with `packing`, rows `pitch` bytes apart. Only the pixels inside
// the image are written.
void DecodeDxtImage(const uint8_t* blocks, D3DFORMAT format, unsigned width, unsigned height,
                    const PixelPacking& packing, unsigned bytesPerPixel, uint8_t* pixels,
                    size_t pitch);

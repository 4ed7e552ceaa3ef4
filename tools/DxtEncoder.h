// A small DXT block encoder for the ZAR writer: endpoints from the block's
// colour bounds, each pixel given the nearest of the decoded palette.
#pragma once

#include <cstdint>

// rgba: 16 pixels of 4 bytes (red, green, blue, alpha), row by row. `out`
// receives 8 bytes for DXT1 (transparent pixels, alpha < 128, use the
// three-colour mode) and 16 bytes for DXT3 and DXT5.
void EncodeDxtBlock(const uint8_t* rgba, int compression, uint8_t* out);

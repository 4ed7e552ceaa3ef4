// Colour depths and Direct3D pixel formats of display modes.
#pragma once

#include <d3d8.h>

namespace display {

// The full-screen back-buffer format of a colour depth: 8, 15, 16, 24 or 32
// bits; D3DFMT_UNKNOWN for any other depth.
D3DFORMAT FormatFromBitsPerPixel(unsigned bitsPerPixel);
// The bits per pixel of a format as modes report it; 0 for formats without
// a fixed size per pixel (the four-character YUV formats, unknown numbers).
unsigned BitsPerPixelFromFormat(D3DFORMAT format);

}  // namespace display

// Where the colour bits of one pixel lie in the surface formats that can be
// saved to a file.
#pragma once

#include <d3d8.h>

struct PixelLayout {
    // One colour channel: its lowest bit and its width, both in bits.
    struct Channel {
        unsigned shift;
        unsigned bits;
    };

    D3DFORMAT format;
    UINT bytesPerPixel;
    Channel red;
    Channel green;
    Channel blue;

    // The layout of format, or null when surfaces of that format cannot be
    // saved.
    static const PixelLayout* Find(D3DFORMAT format);

    // Converts width pixels at source to 8-bit blue, green, red triples at
    // bgr, widening narrow channels by repeating their bits (5-bit 0x1F
    // becomes 0xFF, 0x10 becomes 0x84).
    void ToBgr(const BYTE* source, UINT width, BYTE* bgr) const;
};

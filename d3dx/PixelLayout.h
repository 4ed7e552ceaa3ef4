// Where the channels of one pixel lie in the uncompressed colour formats the
// extension routines read and write, and conversion of rows of such pixels to
// and from A8R8G8B8.
#pragma once

#include <cstdint>

#include <d3d8.h>

struct PixelLayout {
    // One channel: its lowest bit and its width, both in bits (0 wide: absent).
    struct Channel {
        unsigned shift;
        unsigned bits;
    };

    D3DFORMAT format;
    UINT bytesPerPixel;
    Channel alpha;
    Channel red;
    Channel green;
    Channel blue;
    Channel luminance;

    // The layout of format, or null for formats without one (compressed,
    // palettised, depth, bump-map and unknown formats).
    static const PixelLayout* Find(D3DFORMAT format);

    bool HasColour() const { return red.bits != 0 || luminance.bits != 0; }
    bool HasAlpha() const { return alpha.bits != 0; }

    // Converts width pixels at source to A8R8G8B8, widening narrow channels
    // by repeating their bits (5-bit 0x1F becomes 0xFF, 0x10 becomes 0x84);
    // an absent alpha reads 0xFF, an absent colour 0, luminance fills red,
    // green and blue.
    void ToArgb(const BYTE* source, UINT width, uint32_t* argb) const;
    // The reverse: each channel rounded to its width, luminance from red,
    // green and blue with the Rec. 601 weights. X bits are written as 1.
    void FromArgb(const uint32_t* argb, UINT width, BYTE* destination) const;
    // Converts width pixels at source to 8-bit blue, green, red triples at bgr.
    void ToBgr(const BYTE* source, UINT width, BYTE* bgr) const;
};

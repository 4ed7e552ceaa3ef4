// Packing 8-bit channels into a format's pixel word, read from the one
// format table (PixelLayout.h).
#pragma once

#include <cstdint>

#include <d3d8.h>

// Packing 8-bit red, green, blue and alpha into a format's pixel word the way
// ZAR files are loaded: each channel keeps its top bits at its place in the
// format; a channel the format lacks (luminance included) contributes
// nothing, and X bits stay 0.
struct PixelPacking {
    // Indexed blue, green, red, alpha.
    unsigned drop[4];   // 8 - bits (8 for an absent channel)
    unsigned shift[4];  // position of the channel's lowest bit

    // The packing of format (nothing is packed for a format without a layout).
    static PixelPacking Of(D3DFORMAT format);

    uint32_t Colour(unsigned red, unsigned green, unsigned blue) const {
        return ((blue >> drop[0]) << shift[0]) + ((green >> drop[1]) << shift[1]) +
               ((red >> drop[2]) << shift[2]);
    }
    uint32_t Alpha(unsigned alpha) const { return (alpha >> drop[3]) << shift[3]; }
    uint32_t Pack(unsigned red, unsigned green, unsigned blue, unsigned alpha) const {
        return Colour(red, green, blue) + Alpha(alpha);
    }
    // Pack of an A8R8G8B8 pixel.
    uint32_t PackArgb(uint32_t argb) const {
        return Pack(argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF, argb >> 24);
    }
    // The reverse of PackArgb: each channel's bits back at the top of its
    // byte of an A8R8G8B8 pixel, the bits packing dropped 0 (a channel the
    // format lacks reads 0).
    uint32_t UnpackArgb(uint32_t word) const {
        uint32_t argb = 0;
        for (unsigned i = 0; i < 4; ++i)
            if (drop[i] < 8) argb |= ((word >> shift[i] & (0xFFu >> drop[i])) << drop[i]) << (8 * i);
        return argb;
    }
};

// Packing 8-bit red, green, blue and alpha into an uncompressed format's
// pixel word: each channel keeps its top bits, blue lowest, then green, red
// and alpha; a channel the format lacks contributes nothing.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

struct PixelPacking {
    // Indexed blue, green, red, alpha.
    unsigned drop[4];   // 8 - bits (8 for an absent channel)
    unsigned shift[4];  // position of the channel's lowest bit

    // From a format's bit counts (GetChannelBits).
    static PixelPacking FromBits(PixelChannels bits) {
        const unsigned widths[4] = {bits.blue, bits.green, bits.red, bits.alpha};
        PixelPacking packing = {};
        unsigned position = 0;
        for (int i = 0; i < 4; ++i) {
            const unsigned width = widths[i] > 8 ? 8 : widths[i];
            packing.drop[i] = 8 - width;
            packing.shift[i] = position;
            position += widths[i];
        }
        return packing;
    }

    uint32_t Colour(unsigned red, unsigned green, unsigned blue) const {
        return ((blue >> drop[0]) << shift[0]) + ((green >> drop[1]) << shift[1]) +
               ((red >> drop[2]) << shift[2]);
    }
    uint32_t Alpha(unsigned alpha) const { return (alpha >> drop[3]) << shift[3]; }
    uint32_t Pack(unsigned red, unsigned green, unsigned blue, unsigned alpha) const {
        return Colour(red, green, blue) + Alpha(alpha);
    }
};

// Stores the low `bytes` bytes of value, least significant first.
inline void StorePixel(uint8_t* out, uint32_t value, unsigned bytes) {
    for (unsigned i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The one description of the Direct3D 8 formats: where the channels of a
// pixel lie, the bytes of a pixel (of a 4x4 block for the block-compressed
// formats), the class codes the plug-in chooses its own textures' formats by,
// and the conversions of rows of such pixels to and from A8R8G8B8. The
// extension routines, the plug-in's textures and the tools all read it.
#pragma once

#include <cstddef>
#include <cstdint>

#include <d3d8.h>

struct PixelLayout {
    // One channel: its lowest bit and its width, both in bits (0 wide: absent).
    struct Channel {
        unsigned shift;
        unsigned bits;
    };
    // Indices of the class codes: red, green, blue, alpha, extra.
    enum ClassIndex { kRedClass, kGreenClass, kBlueClass, kAlphaClass, kExtraClass, kClassCount };

    D3DFORMAT format;
    UINT bytesPerPixel;  // 0 for the block-compressed formats
    UINT blockBytes;     // bytes of a 4x4 block; 0 for the other formats
    Channel alpha;
    Channel red;
    Channel green;
    Channel blue;
    Channel luminance;
    // How the format's channels compare (0 absent, 1 fewer bits than the
    // others, 2 ordinary, 3 more bits; extra breaks ties between formats):
    // given for the formats the plug-in chooses among, else all 0.
    unsigned char classes[kClassCount];

    // The row of any format Direct3D 8 defines with a size, or null.
    static const PixelLayout* Describe(D3DFORMAT format);
    // The layout of a format whose pixels these routines convert (the
    // eleven RGB formats, A8 and the three luminance formats), or null for
    // the others (compressed, palettised, depth, bump-map and unknown).
    static const PixelLayout* Find(D3DFORMAT format);

    bool HasChannels() const { return alpha.bits || red.bits || luminance.bits; }
    bool HasColour() const { return red.bits != 0 || luminance.bits != 0; }
    bool HasAlpha() const { return alpha.bits != 0; }
    // Bits of a pixel that carry no channel (the X of X8R8G8B8).
    unsigned UnusedBitCount() const;

    // Converts width pixels at source to A8R8G8B8, widening narrow channels
    // with WidenChannel; an absent alpha reads 0xFF, an absent colour 0,
    // luminance fills red, green and blue.
    void ToArgb(const BYTE* source, UINT width, uint32_t* argb) const;
    // The reverse: each channel rounded to its width, luminance from red,
    // green and blue with Luminance(). X bits are written as 1.
    void FromArgb(const uint32_t* argb, UINT width, BYTE* destination) const;
    // Converts width pixels at source to 8-bit blue, green, red triples at bgr.
    void ToBgr(const BYTE* source, UINT width, BYTE* bgr) const;
};

// An A8R8G8B8 pixel word from its four 8-bit channels: the one assembly of
// the decoders' pixels and the conversions'.
constexpr uint32_t ArgbWord(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue) {
    return alpha << 24 | red << 16 | green << 8 | blue;
}
// An opaque A8R8G8B8 pixel from 8-bit blue, green, red bytes at bgr (the
// order of bitmap, Targa and palette entries).
inline uint32_t OpaqueBgr(const uint8_t* bgr) { return ArgbWord(0xFF, bgr[2], bgr[1], bgr[0]); }

// Whether a format's memory is A8R8G8B8 words as the routines here write
// them (X8R8G8B8 included: its X byte is written as 0xFF).
constexpr bool IsArgbMemory(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

// An n-bit channel value widened to 8 bits by repeating its bits (5-bit 0x1F
// becomes 0xFF, 0x10 becomes 0x84); a channel of more than 8 bits keeps its
// top 8, one of 0 bits reads 0.
inline uint32_t WidenChannel(uint32_t value, unsigned bits) {
    if (bits == 0) return 0;
    if (bits >= 8) return value >> (bits - 8) & 0xFF;
    uint32_t wide = value << (8 - bits);
    for (unsigned filled = bits; filled < 8; filled *= 2) wide |= wide >> filled;
    return wide & 0xFF;
}

// The same widening rounded to the nearest of 255 / (2^bits - 1) steps, as
// ZAR files decode their blocks: 5-bit 3 becomes 25 (24 by repeating bits).
inline uint32_t WidenChannelRounded(uint32_t value, unsigned bits) {
    const uint32_t most = (1u << bits) - 1;
    return (value * 255 + most / 2) / most;
}

// The grey of an A8R8G8B8 pixel, with the Rec. 601 weights, rounded.
inline uint32_t Luminance(uint32_t argb) {
    const uint32_t r = argb >> 16 & 0xFF, g = argb >> 8 & 0xFF, b = argb & 0xFF;
    return (r * 299 + g * 587 + b * 114 + 500) / 1000;
}

#include "BlockCodec.h"

#include <algorithm>
#include <cstdlib>

namespace {

struct Colour {
    int r, g, b;
};

uint32_t Pack(uint32_t a, const Colour& c) {
    return a << 24 | static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 |
           static_cast<uint32_t>(c.b);
}

Colour From565(uint16_t value) {
    const int r = value >> 11, g = value >> 5 & 63, b = value & 31;
    return {r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2};
}

uint16_t To565(const Colour& c) {
    return static_cast<uint16_t>((c.r * 31 + 127) / 255 << 11 | (c.g * 63 + 127) / 255 << 5 |
                                 (c.b * 31 + 127) / 255);
}

Colour Mix(const Colour& a, const Colour& b, int weightA, int weightB) {
    const int total = weightA + weightB;
    return {(a.r * weightA + b.r * weightB) / total, (a.g * weightA + b.g * weightB) / total,
            (a.b * weightA + b.b * weightB) / total};
}

// The four colours of a colour block; the fourth is transparent black in the
// three-colour mode of DXT1 (first endpoint not above the second).
void Palette(uint16_t c0, uint16_t c1, bool dxt1, Colour colours[4], uint32_t alphas[4]) {
    colours[0] = From565(c0);
    colours[1] = From565(c1);
    alphas[0] = alphas[1] = alphas[2] = alphas[3] = 0xFF;
    if (c0 > c1 || !dxt1) {
        colours[2] = Mix(colours[0], colours[1], 2, 1);
        colours[3] = Mix(colours[0], colours[1], 1, 2);
    } else {
        colours[2] = Mix(colours[0], colours[1], 1, 1);
        colours[3] = {0, 0, 0};
        alphas[3] = 0;
    }
}

void AlphaPalette(uint32_t a0, uint32_t a1, uint32_t alphas[8]) {
    alphas[0] = a0;
    alphas[1] = a1;
    if (a0 > a1) {
        for (uint32_t i = 1; i < 7; ++i) alphas[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
        for (uint32_t i = 1; i < 5; ++i) alphas[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        alphas[6] = 0;
        alphas[7] = 255;
    }
}

uint64_t Load64(const BYTE* at) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = value << 8 | at[i];
    return value;
}

void Store(BYTE* at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<BYTE>(value >> (8 * i));
}

void DecodeBlock(D3DFORMAT format, const BYTE* block, uint32_t pixels[16]) {
    const bool dxt1 = format == D3DFMT_DXT1;
    uint32_t alpha[16];
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
        const uint64_t bits = Load64(block);
        for (int i = 0; i < 16; ++i) alpha[i] = (bits >> (4 * i) & 15) * 17;
    } else if (!dxt1) {
        uint32_t alphas[8];
        AlphaPalette(block[0], block[1], alphas);
        const uint64_t indices = Load64(block) >> 16;
        for (int i = 0; i < 16; ++i) alpha[i] = alphas[indices >> (3 * i) & 7];
    }
    const BYTE* colour = dxt1 ? block : block + 8;
    Colour colours[4];
    uint32_t alphas[4];
    Palette(static_cast<uint16_t>(colour[0] | colour[1] << 8),
            static_cast<uint16_t>(colour[2] | colour[3] << 8), dxt1, colours, alphas);
    const uint32_t indices = static_cast<uint32_t>(Load64(colour) >> 32);
    for (int i = 0; i < 16; ++i) {
        const uint32_t index = indices >> (2 * i) & 3;
        pixels[i] = Pack(dxt1 ? alphas[index] : alpha[i], colours[index]);
    }
}

int Distance(const Colour& a, const Colour& b) {
    return (a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b);
}

// Endpoints at the corners of the colour box of the block's (opaque) pixels,
// each pixel mapped to the nearest palette entry.
void EncodeColour(const uint32_t pixels[16], bool dxt1, BYTE* out) {
    const bool transparent =
        dxt1 && std::any_of(pixels, pixels + 16, [](uint32_t p) { return p >> 24 < 128; });
    Colour low = {255, 255, 255}, high = {0, 0, 0};
    for (int i = 0; i < 16; ++i) {
        if (transparent && pixels[i] >> 24 < 128) continue;
        const Colour c = {static_cast<int>(pixels[i] >> 16 & 255),
                          static_cast<int>(pixels[i] >> 8 & 255), static_cast<int>(pixels[i] & 255)};
        low = {std::min(low.r, c.r), std::min(low.g, c.g), std::min(low.b, c.b)};
        high = {std::max(high.r, c.r), std::max(high.g, c.g), std::max(high.b, c.b)};
    }
    if (low.r > high.r) low = high = {0, 0, 0};  // every pixel transparent
    uint16_t c0 = To565(high), c1 = To565(low);
    // Four-colour blocks need c0 > c1, DXT1's three-colour mode c0 <= c1.
    if (transparent ? c0 > c1 : c0 < c1) std::swap(c0, c1);
    Colour colours[4];
    uint32_t alphas[4];
    Palette(c0, c1, dxt1, colours, alphas);
    const int choices = transparent ? 3 : (c0 == c1 ? 1 : 4);
    uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        uint32_t best = 0;
        if (transparent && pixels[i] >> 24 < 128) {
            best = 3;
        } else {
            const Colour c = {static_cast<int>(pixels[i] >> 16 & 255),
                              static_cast<int>(pixels[i] >> 8 & 255),
                              static_cast<int>(pixels[i] & 255)};
            for (int k = 1; k < choices; ++k)
                if (Distance(c, colours[k]) < Distance(c, colours[best])) best = static_cast<uint32_t>(k);
        }
        indices |= best << (2 * i);
    }
    Store(out, c0, 2);
    Store(out + 2, c1, 2);
    Store(out + 4, indices, 4);
}

void EncodeAlpha(D3DFORMAT format, const uint32_t pixels[16], BYTE* out) {
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
        uint64_t bits = 0;
        for (int i = 0; i < 16; ++i) bits |= uint64_t{((pixels[i] >> 24) * 15 + 127) / 255} << (4 * i);
        Store(out, bits, 8);
        return;
    }
    uint32_t low = 255, high = 0;
    for (int i = 0; i < 16; ++i) {
        low = std::min(low, pixels[i] >> 24);
        high = std::max(high, pixels[i] >> 24);
    }
    uint32_t alphas[8];
    AlphaPalette(high, low, alphas);
    uint64_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        const int a = static_cast<int>(pixels[i] >> 24);
        uint64_t best = 0;
        for (int k = 1; k < (high > low ? 8 : 1); ++k)
            if (std::abs(a - static_cast<int>(alphas[k])) < std::abs(a - static_cast<int>(alphas[best])))
                best = static_cast<uint64_t>(k);
        indices |= best << (3 * i);
    }
    Store(out, high | low << 8 | indices << 16, 8);
}

}  // namespace

UINT BlockBytesOf(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_DXT1: return 8;
        case D3DFMT_DXT2:
        case D3DFMT_DXT3:
        case D3DFMT_DXT4:
        case D3DFMT_DXT5: return 16;
        default: return 0;
    }
}

void DecodeBlocks(D3DFORMAT format, const BYTE* blocks, size_t blockPitch, UINT width, UINT height,
                  uint32_t* argb, size_t argbPitch) {
    const UINT blockBytes = BlockBytesOf(format);
    for (UINT by = 0; by < height; by += 4) {
        const BYTE* block = blocks + by / 4 * blockPitch;
        for (UINT bx = 0; bx < width; bx += 4, block += blockBytes) {
            uint32_t pixels[16];
            DecodeBlock(format, block, pixels);
            for (UINT y = by; y < std::min(by + 4, height); ++y) {
                uint32_t* row = reinterpret_cast<uint32_t*>(reinterpret_cast<BYTE*>(argb) + y * argbPitch);
                for (UINT x = bx; x < std::min(bx + 4, width); ++x) row[x] = pixels[(y - by) * 4 + x - bx];
            }
        }
    }
}

void EncodeBlocks(D3DFORMAT format, const uint32_t* argb, size_t argbPitch, UINT width,
                  UINT height, BYTE* blocks, size_t blockPitch) {
    const UINT blockBytes = BlockBytesOf(format);
    const bool dxt1 = format == D3DFMT_DXT1;
    for (UINT by = 0; by < height; by += 4) {
        BYTE* block = blocks + by / 4 * blockPitch;
        for (UINT bx = 0; bx < width; bx += 4, block += blockBytes) {
            uint32_t pixels[16];
            for (UINT i = 0; i < 16; ++i) {
                const UINT x = std::min(bx + i % 4, width - 1), y = std::min(by + i / 4, height - 1);
                pixels[i] = reinterpret_cast<const uint32_t*>(reinterpret_cast<const BYTE*>(argb) +
                                                              y * argbPitch)[x];
            }
            if (!dxt1) EncodeAlpha(format, pixels, block);
            EncodeColour(pixels, dxt1, dxt1 ? block : block + 8);
        }
    }
}

#include "texture/DxtDecoder.h"

#include <cstring>

namespace {

// 5- and 6-bit channels widened to 8 bits, rounded.
inline unsigned Expand5(unsigned x) { return (x * 255 + 15) / 31; }
inline unsigned Expand6(unsigned x) { return (x * 255 + 31) / 63; }

inline uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

inline unsigned Read16(const uint8_t* p) { return p[0] | (p[1] << 8); }
inline uint32_t Read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

template <unsigned Bytes>
inline void Store(uint8_t* out, uint32_t value) {
    if constexpr (Bytes == 4) {
        std::memcpy(out, &value, 4);
    } else if constexpr (Bytes == 2) {
        const uint16_t low = static_cast<uint16_t>(value);
        std::memcpy(out, &low, 2);
    } else {
        StorePixel(out, value, Bytes);
    }
}

enum class AlphaKind { None, Explicit, Interpolated };

// The block's colour palette as format words, without alpha for the formats
// whose alpha comes from the alpha block.
inline void ColourWords(const uint8_t* block, bool forceFour, bool withAlpha,
                        const PixelPacking& packing, uint32_t words[4]) {
    uint32_t palette[4];
    DecodeColorBlock(static_cast<unsigned short>(Read16(block)),
                     static_cast<unsigned short>(Read16(block + 2)), forceFour, palette);
    for (int i = 0; i < 4; ++i) {
        const uint32_t c = palette[i];
        words[i] = packing.Colour((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
        if (withAlpha) words[i] += packing.Alpha(c >> 24);
    }
}

template <unsigned Bytes, AlphaKind Kind>
void DecodeImage(const uint8_t* blocks, unsigned width, unsigned height,
                 const PixelPacking& packing, uint8_t* pixels, size_t pitch) {
    constexpr unsigned kBlockBytes = Kind == AlphaKind::None ? 8 : 16;
    const unsigned blockColumns = (width + 3) / 4;
    const unsigned blockRows = (height + 3) / 4;

    // Explicit 4-bit alphas widened once for the whole image.
    uint32_t explicitAlpha[16] = {};
    if (Kind == AlphaKind::Explicit)
        for (unsigned v = 0; v < 16; ++v) explicitAlpha[v] = packing.Alpha((v * 255 + 7) / 15);

    const uint8_t* block = blocks;
    for (unsigned blockRow = 0; blockRow < blockRows; ++blockRow) {
        const unsigned rows = blockRow + 1 < blockRows || height % 4 == 0 ? 4 : height % 4;
        uint8_t* rowBase = pixels + static_cast<size_t>(blockRow) * 4 * pitch;
        for (unsigned blockColumn = 0; blockColumn < blockColumns;
             ++blockColumn, block += kBlockBytes) {
            const unsigned columns =
                blockColumn + 1 < blockColumns || width % 4 == 0 ? 4 : width % 4;
            const uint8_t* colour = Kind == AlphaKind::None ? block : block + 8;
            uint32_t words[4];
            ColourWords(colour, Kind != AlphaKind::None, Kind == AlphaKind::None, packing, words);
            uint32_t indices = Read32(colour + 4);

            uint32_t alphaWords[8];
            uint64_t alphaBits = 0;
            if constexpr (Kind == AlphaKind::Interpolated) {
                unsigned char alphas[8];
                DecodeAlphaBlock(block[0], block[1], alphas);
                for (int i = 0; i < 8; ++i) alphaWords[i] = packing.Alpha(alphas[i]);
                for (int i = 7; i >= 2; --i) alphaBits = (alphaBits << 8) | block[i];
            } else if constexpr (Kind == AlphaKind::Explicit) {
                for (int i = 7; i >= 0; --i) alphaBits = (alphaBits << 8) | block[i];
            }

            uint8_t* out = rowBase + static_cast<size_t>(blockColumn) * 4 * Bytes;
            for (unsigned r = 0; r < rows; ++r, out += pitch) {
                for (unsigned c = 0; c < columns; ++c) {
                    const unsigned pixel = 4 * r + c;
                    uint32_t value = words[(indices >> (2 * pixel)) & 3];
                    if constexpr (Kind == AlphaKind::Explicit)
                        value += explicitAlpha[(alphaBits >> (4 * pixel)) & 15];
                    if constexpr (Kind == AlphaKind::Interpolated)
                        value += alphaWords[(alphaBits >> (3 * pixel)) & 7];
                    Store<Bytes>(out + c * Bytes, value);
                }
            }
        }
    }
}

template <AlphaKind Kind>
void DecodeImageBytes(const uint8_t* blocks, unsigned width, unsigned height,
                      const PixelPacking& packing, unsigned bytesPerPixel, uint8_t* pixels,
                      size_t pitch) {
    switch (bytesPerPixel) {
    case 4: DecodeImage<4, Kind>(blocks, width, height, packing, pixels, pitch); break;
    case 3: DecodeImage<3, Kind>(blocks, width, height, packing, pixels, pitch); break;
    case 2: DecodeImage<2, Kind>(blocks, width, height, packing, pixels, pitch); break;
    case 1: DecodeImage<1, Kind>(blocks, width, height, packing, pixels, pitch); break;
    default: break;
    }
}

}  // namespace

void DecodeColorBlock(unsigned short color0, unsigned short color1, bool forceFourColours,
                      uint32_t palette[4]) {
    const unsigned r0 = Expand5(color0 >> 11), g0 = Expand6((color0 >> 5) & 0x3F),
                   b0 = Expand5(color0 & 0x1F);
    const unsigned r1 = Expand5(color1 >> 11), g1 = Expand6((color1 >> 5) & 0x3F),
                   b1 = Expand5(color1 & 0x1F);
    palette[0] = Argb(255, r0, g0, b0);
    palette[1] = Argb(255, r1, g1, b1);
    if (color0 <= color1 && !forceFourColours) {
        const unsigned r = (r0 + r1) / 2, g = (g0 + g1) / 2, b = (b0 + b1) / 2;
        palette[2] = Argb(255, r, g, b);
        palette[3] = Argb(0, r, g, b);
    } else {
        palette[2] = Argb(255, (2 * r0 + r1 + 1) / 3, (2 * g0 + g1 + 1) / 3, (2 * b0 + b1 + 1) / 3);
        palette[3] = Argb(255, (r0 + 2 * r1 + 1) / 3, (g0 + 2 * g1 + 1) / 3, (b0 + 2 * b1 + 1) / 3);
    }
}

void DecodeAlphaBlock(unsigned char alpha0, unsigned char alpha1, unsigned char palette[8]) {
    const unsigned a0 = alpha0, a1 = alpha1;
    palette[0] = alpha0;
    palette[1] = alpha1;
    if (a0 <= a1) {
        for (unsigned i = 1; i <= 4; ++i)
            palette[1 + i] = static_cast<unsigned char>(((5 - i) * a0 + i * a1 + 2) / 5);
        palette[6] = 0;
        palette[7] = 255;
    } else {
        for (unsigned i = 1; i <= 6; ++i)
            palette[1 + i] = static_cast<unsigned char>(((7 - i) * a0 + i * a1 + 3) / 7);
    }
}

void DecodeDxtImage(const uint8_t* blocks, D3DFORMAT format, unsigned width, unsigned height,
                    const PixelPacking& packing, unsigned bytesPerPixel, uint8_t* pixels,
                    size_t pitch) {
    switch (format) {
    case D3DFMT_DXT1:
        DecodeImageBytes<AlphaKind::None>(blocks, width, height, packing, bytesPerPixel, pixels,
                                          pitch);
        break;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
        DecodeImageBytes<AlphaKind::Explicit>(blocks, width, height, packing, bytesPerPixel,
                                              pixels, pitch);
        break;
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        DecodeImageBytes<AlphaKind::Interpolated>(blocks, width, height, packing, bytesPerPixel,
                                                  pixels, pitch);
        break;
    default: break;
    }
}

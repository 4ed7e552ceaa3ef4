#include "pixels/BlockCodec.h"

#include <cstring>

// stb_dxt's code is compiled here, once, as a private part of this file.
#define STB_DXT_STATIC
#define STB_DXT_IMPLEMENTATION
#include <stb_dxt.h>

#include "pixels/LittleEndian.h"
#include "pixels/PixelLayout.h"

namespace {

template <BlockRounding Rounding>
inline unsigned Widen(unsigned value, unsigned bits) {
    return Rounding == BlockRounding::Nearest ? WidenChannelRounded(value, bits) : WidenChannel(value, bits);
}

// (weightA * a + (Total - weightA) * b) / Total, rounded as asked.
template <unsigned Total, BlockRounding Rounding>
inline unsigned Mix(unsigned a, unsigned b, unsigned weightA) {
    constexpr unsigned kBias = Rounding == BlockRounding::Nearest ? Total / 2 : 0;
    return (weightA * a + (Total - weightA) * b + kBias) / Total;
}

template <BlockRounding Rounding>
void ColourPalette(unsigned short color0, unsigned short color1, bool forceFourColours,
                   uint32_t palette[4]) {
    const unsigned r0 = Widen<Rounding>(color0 >> 11, 5), g0 = Widen<Rounding>((color0 >> 5) & 0x3F, 6),
                   b0 = Widen<Rounding>(color0 & 0x1F, 5);
    const unsigned r1 = Widen<Rounding>(color1 >> 11, 5), g1 = Widen<Rounding>((color1 >> 5) & 0x3F, 6),
                   b1 = Widen<Rounding>(color1 & 0x1F, 5);
    palette[0] = ArgbWord(255, r0, g0, b0);
    palette[1] = ArgbWord(255, r1, g1, b1);
    if (color0 <= color1 && !forceFourColours) {
        // The midpoint rounds down in both arithmetics.
        const unsigned r = (r0 + r1) / 2, g = (g0 + g1) / 2, b = (b0 + b1) / 2;
        palette[2] = ArgbWord(255, r, g, b);
        palette[3] = Rounding == BlockRounding::Nearest ? ArgbWord(0, r, g, b) : 0;
    } else {
        palette[2] = ArgbWord(255, Mix<3, Rounding>(r0, r1, 2), Mix<3, Rounding>(g0, g1, 2), Mix<3, Rounding>(b0, b1, 2));
        palette[3] = ArgbWord(255, Mix<3, Rounding>(r0, r1, 1), Mix<3, Rounding>(g0, g1, 1), Mix<3, Rounding>(b0, b1, 1));
    }
}

template <BlockRounding Rounding>
void AlphaPalette(unsigned char alpha0, unsigned char alpha1, unsigned char palette[8]) {
    const unsigned a0 = alpha0, a1 = alpha1;
    palette[0] = alpha0;
    palette[1] = alpha1;
    if (a0 <= a1) {
        for (unsigned i = 1; i <= 4; ++i) palette[1 + i] = static_cast<unsigned char>(Mix<5, Rounding>(a0, a1, 5 - i));
        palette[6] = 0;
        palette[7] = 255;
    } else {
        for (unsigned i = 1; i <= 6; ++i) palette[1 + i] = static_cast<unsigned char>(Mix<7, Rounding>(a0, a1, 7 - i));
    }
}

template <unsigned Bytes>
inline void Store(uint8_t* out, uint32_t value) {
    if constexpr (Bytes == 4) {
        std::memcpy(out, &value, 4);
    } else if constexpr (Bytes == 2) {
        const uint16_t low = static_cast<uint16_t>(value);
        std::memcpy(out, &low, 2);
    } else {
        StoreBytes(out, value, Bytes);
    }
}

enum class AlphaKind { None, Explicit, Interpolated };

// The block's colour palette as format words, without alpha for the formats
// whose alpha comes from the alpha block.
template <BlockRounding Rounding>
inline void ColourWords(const uint8_t* block, bool forceFour, bool withAlpha,
                        const PixelPacking& packing, uint32_t words[4]) {
    uint32_t palette[4];
    ColourPalette<Rounding>(Load16(block), Load16(block + 2), forceFour, palette);
    for (int i = 0; i < 4; ++i) {
        const uint32_t c = palette[i];
        words[i] = packing.Colour((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
        if (withAlpha) words[i] += packing.Alpha(c >> 24);
    }
}

struct Output {
    const PixelPacking& packing;
    uint8_t* pixels;
    size_t pitch;
};

template <unsigned Bytes, AlphaKind Kind, BlockRounding Rounding>
void DecodeImage(const uint8_t* blocks, size_t blockPitch, unsigned width, unsigned height,
                 const Output& output) {
    constexpr unsigned kBlockBytes = Kind == AlphaKind::None ? 8 : 16;
    const PixelPacking& packing = output.packing;
    const unsigned blockColumns = static_cast<unsigned>(BlocksAcross(width));
    const unsigned blockRows = static_cast<unsigned>(BlocksAcross(height));

    // Explicit 4-bit alphas widened once for the whole image.
    uint32_t explicitAlpha[16] = {};
    if (Kind == AlphaKind::Explicit)
        for (unsigned v = 0; v < 16; ++v) explicitAlpha[v] = packing.Alpha(Widen<Rounding>(v, 4));

    for (unsigned blockRow = 0; blockRow < blockRows; ++blockRow) {
        const unsigned rows = blockRow + 1 < blockRows || height % 4 == 0 ? 4 : height % 4;
        uint8_t* rowBase = output.pixels + static_cast<size_t>(blockRow) * 4 * output.pitch;
        const uint8_t* block = blocks + blockRow * blockPitch;
        for (unsigned blockColumn = 0; blockColumn < blockColumns;
             ++blockColumn, block += kBlockBytes) {
            const unsigned columns =
                blockColumn + 1 < blockColumns || width % 4 == 0 ? 4 : width % 4;
            const uint8_t* colour = Kind == AlphaKind::None ? block : block + 8;
            uint32_t words[4];
            ColourWords<Rounding>(colour, Kind != AlphaKind::None, Kind == AlphaKind::None, packing, words);
            uint32_t indices = Load32(colour + 4);

            uint32_t alphaWords[8];
            uint64_t alphaBits = 0;
            if constexpr (Kind == AlphaKind::Interpolated) {
                unsigned char alphas[8];
                AlphaPalette<Rounding>(block[0], block[1], alphas);
                for (int i = 0; i < 8; ++i) alphaWords[i] = packing.Alpha(alphas[i]);
                for (int i = 7; i >= 2; --i) alphaBits = (alphaBits << 8) | block[i];
            } else if constexpr (Kind == AlphaKind::Explicit) {
                for (int i = 7; i >= 0; --i) alphaBits = (alphaBits << 8) | block[i];
            }

            uint8_t* out = rowBase + static_cast<size_t>(blockColumn) * 4 * Bytes;
            for (unsigned r = 0; r < rows; ++r, out += output.pitch) {
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

template <AlphaKind Kind, BlockRounding Rounding>
void DecodeImageBytes(const uint8_t* blocks, size_t blockPitch, unsigned width, unsigned height,
                      unsigned bytesPerPixel, const Output& output) {
    switch (bytesPerPixel) {
    case 4: DecodeImage<4, Kind, Rounding>(blocks, blockPitch, width, height, output); break;
    case 3: DecodeImage<3, Kind, Rounding>(blocks, blockPitch, width, height, output); break;
    case 2: DecodeImage<2, Kind, Rounding>(blocks, blockPitch, width, height, output); break;
    case 1: DecodeImage<1, Kind, Rounding>(blocks, blockPitch, width, height, output); break;
    default: break;
    }
}

template <BlockRounding Rounding>
void Decode(const uint8_t* blocks, size_t blockPitch, D3DFORMAT format, unsigned width,
            unsigned height, unsigned bytesPerPixel, const Output& output) {
    switch (format) {
    case D3DFMT_DXT1:
        DecodeImageBytes<AlphaKind::None, Rounding>(blocks, blockPitch, width, height, bytesPerPixel, output);
        break;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
        DecodeImageBytes<AlphaKind::Explicit, Rounding>(blocks, blockPitch, width, height, bytesPerPixel, output);
        break;
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        DecodeImageBytes<AlphaKind::Interpolated, Rounding>(blocks, blockPitch, width, height, bytesPerPixel,
                                                            output);
        break;
    default: break;
    }
}

void Decode(const uint8_t* blocks, size_t blockPitch, D3DFORMAT format, unsigned width,
            unsigned height, unsigned bytesPerPixel, const Output& output, BlockRounding rounding) {
    if (rounding == BlockRounding::Nearest)
        Decode<BlockRounding::Nearest>(blocks, blockPitch, format, width, height, bytesPerPixel, output);
    else
        Decode<BlockRounding::Truncated>(blocks, blockPitch, format, width, height, bytesPerPixel, output);
}

}  // namespace

UINT BlockBytesOf(D3DFORMAT format) {
    const PixelLayout* layout = PixelLayout::Describe(format);
    return layout ? layout->blockBytes : 0;
}

D3DFORMAT DxtFormat(unsigned number) {
    constexpr D3DFORMAT kDxtFormats[] = {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4,
                                         D3DFMT_DXT5};
    static_assert(sizeof kDxtFormats / sizeof kDxtFormats[0] == kDxtFormatCount, "DXT1 to DXT5");
    return number >= 1 && number <= kDxtFormatCount ? kDxtFormats[number - 1] : D3DFMT_UNKNOWN;
}

void DecodeColorBlock(unsigned short color0, unsigned short color1, bool forceFourColours,
                      uint32_t palette[4], BlockRounding rounding) {
    if (rounding == BlockRounding::Nearest)
        ColourPalette<BlockRounding::Nearest>(color0, color1, forceFourColours, palette);
    else
        ColourPalette<BlockRounding::Truncated>(color0, color1, forceFourColours, palette);
}

void DecodeAlphaBlock(unsigned char alpha0, unsigned char alpha1, unsigned char palette[8],
                      BlockRounding rounding) {
    if (rounding == BlockRounding::Nearest)
        AlphaPalette<BlockRounding::Nearest>(alpha0, alpha1, palette);
    else
        AlphaPalette<BlockRounding::Truncated>(alpha0, alpha1, palette);
}

void DecodeDxtImage(D3DFORMAT format, const uint8_t* blocks, unsigned width, unsigned height,
                    const PixelPacking& packing, unsigned bytesPerPixel, uint8_t* pixels,
                    size_t pitch, BlockRounding rounding) {
    const size_t blockPitch = BlocksAcross(width) * BlockBytesOf(format);
    Decode(blocks, blockPitch, format, width, height, bytesPerPixel, {packing, pixels, pitch}, rounding);
}

void DecodeBlocks(D3DFORMAT format, const BYTE* blocks, size_t blockPitch, UINT width, UINT height,
                  uint32_t* argb, size_t argbPitch, BlockRounding rounding) {
    static const PixelPacking kArgb = PixelPacking::Of(D3DFMT_A8R8G8B8);
    Decode(blocks, blockPitch, format, width, height, 4,
           {kArgb, reinterpret_cast<uint8_t*>(argb), argbPitch}, rounding);
}

namespace {

constexpr unsigned kBlockPixels = kBlockSide * kBlockSide;
// DXT1 pixels of lower alpha take the block's transparent entry.
constexpr unsigned kOpaqueAlpha = 128;
constexpr unsigned kThreeColourTransparent = 3;
// Bytes of a block's colour and explicit-alpha halves.
constexpr unsigned kHalfBlockBytes = 8;

// A DXT1 block with transparent pixels: stb_dxt makes four-colour blocks
// only, so its endpoints for the opaque pixels are put in three-colour order
// (color0 <= color1) and each opaque pixel takes the nearest of the three
// colours, each transparent one the transparent entry.
void ThreeColourBlock(const uint8_t rgba[4 * kBlockPixels], BYTE* block) {
    uint8_t opaque[4 * kBlockPixels];
    int first = -1;
    for (unsigned i = 0; i < kBlockPixels && first < 0; ++i)
        if (rgba[4 * i + 3] >= kOpaqueAlpha) first = static_cast<int>(i);
    uint16_t low = 0, high = 0;
    if (first >= 0) {
        // Transparent pixels stand in as the first opaque one: they add no colour.
        for (unsigned i = 0; i < kBlockPixels; ++i)
            std::memcpy(opaque + 4 * i, rgba + 4 * (rgba[4 * i + 3] >= kOpaqueAlpha ? i : unsigned(first)), 4);
        BYTE fourColour[kHalfBlockBytes];
        stb_compress_dxt_block(fourColour, opaque, 0, STB_DXT_HIGHQUAL);
        low = Load16(fourColour + 2);
        high = Load16(fourColour);
    }
    uint32_t palette[4];
    DecodeColorBlock(low, high, false, palette, BlockRounding::Truncated);
    uint32_t indices = 0;
    for (unsigned i = 0; i < kBlockPixels; ++i) {
        unsigned best = kThreeColourTransparent;
        if (rgba[4 * i + 3] >= kOpaqueAlpha) {
            int bestDistance = -1;
            for (unsigned entry = 0; entry < kThreeColourTransparent; ++entry) {
                const int dr = int(palette[entry] >> 16 & 0xFF) - rgba[4 * i];
                const int dg = int(palette[entry] >> 8 & 0xFF) - rgba[4 * i + 1];
                const int db = int(palette[entry] & 0xFF) - rgba[4 * i + 2];
                const int distance = dr * dr + dg * dg + db * db;
                if (bestDistance < 0 || distance < bestDistance) best = entry, bestDistance = distance;
            }
        }
        indices |= best << (2 * i);
    }
    Store16(block, low);
    Store16(block + 2, high);
    Store32(block + 4, indices);
}

// DXT3's alphas: 4 bits a pixel, rounded to nearest.
void ExplicitAlphaBlock(const uint8_t rgba[4 * kBlockPixels], BYTE* block) {
    constexpr unsigned kMost = 15, kFull = 255;
    std::memset(block, 0, kHalfBlockBytes);
    for (unsigned i = 0; i < kBlockPixels; ++i) {
        const unsigned alpha = (rgba[4 * i + 3] * kMost + kFull / 2) / kFull;
        block[i / 2] |= static_cast<BYTE>(alpha << (4 * (i % 2)));
    }
}

void CompressBlock(D3DFORMAT format, const uint8_t rgba[4 * kBlockPixels], BYTE* block) {
    switch (format) {
    case D3DFMT_DXT1: {
        bool transparent = false;
        for (unsigned i = 0; i < kBlockPixels; ++i) transparent |= rgba[4 * i + 3] < kOpaqueAlpha;
        if (transparent) ThreeColourBlock(rgba, block);
        else stb_compress_dxt_block(block, rgba, 0, STB_DXT_HIGHQUAL);
        break;
    }
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
        ExplicitAlphaBlock(rgba, block);
        stb_compress_dxt_block(block + kHalfBlockBytes, rgba, 0, STB_DXT_HIGHQUAL);
        break;
    default: stb_compress_dxt_block(block, rgba, 1, STB_DXT_HIGHQUAL); break;
    }
}

}  // namespace

void CompressBlocks(D3DFORMAT format, const uint32_t* argb, size_t argbPitch, UINT width, UINT height,
                    BYTE* blocks, size_t blockPitch) {
    const UINT blockBytes = BlockBytesOf(format);
    if (blockBytes == 0 || width == 0 || height == 0) return;
    const BYTE* rows = reinterpret_cast<const BYTE*>(argb);
    for (UINT by = 0; by < height; by += kBlockSide) {
        BYTE* block = blocks + by / kBlockSide * blockPitch;
        for (UINT bx = 0; bx < width; bx += kBlockSide, block += blockBytes) {
            // stb_dxt reads red, green, blue, alpha bytes. Where the image
            // does not fill the block, the part it fills repeats across the
            // block like tiles: no colour from outside it counts, and where
            // that part is 1 or 2 pixels wide or high each of its pixels
            // weighs the same in the fit (3 wide or high, the first column
            // or row twice the others).
            const UINT columns = width - bx < kBlockSide ? width - bx : kBlockSide;
            const UINT rowsFilled = height - by < kBlockSide ? height - by : kBlockSide;
            uint8_t rgba[4 * kBlockPixels];
            for (UINT i = 0; i < kBlockPixels; ++i) {
                const UINT x = bx + i % kBlockSide % columns, y = by + i / kBlockSide % rowsFilled;
                uint32_t pixel;
                std::memcpy(&pixel, rows + y * argbPitch + size_t{x} * 4, 4);
                rgba[4 * i] = static_cast<uint8_t>(pixel >> 16);
                rgba[4 * i + 1] = static_cast<uint8_t>(pixel >> 8);
                rgba[4 * i + 2] = static_cast<uint8_t>(pixel);
                rgba[4 * i + 3] = static_cast<uint8_t>(pixel >> 24);
            }
            CompressBlock(format, rgba, block);
        }
    }
}

#include "DdsDecoder.h"

#include <cstring>

#include <d3dx8.h>

#include "pixels/BlockCodec.h"
#include "pixels/ByteReader.h"
#include "pixels/PixelLayout.h"

namespace {

constexpr size_t kHeaderSize = 124;
constexpr uint32_t kMipMapCountFlag = 0x20000;                     // DDSD_MIPMAPCOUNT
constexpr uint32_t kAlphaPixels = 0x1, kAlphaOnly = 0x2, kFourCC = 0x4, kRgb = 0x40,
                   kLuminance = 0x20000;                           // DDPF_*
constexpr uint32_t kCubeMap = 0x200, kVolume = 0x200000;           // DDSCAPS2_*

// The uncompressed formats a file's masks can name.
constexpr D3DFORMAT kMaskFormats[] = {
    D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
    D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2,   D3DFMT_A8,     D3DFMT_A8R3G3B2,
    D3DFMT_X4R4G4B4, D3DFMT_L8,       D3DFMT_A8L8,     D3DFMT_A4L4,
};
static_assert(sizeof kMaskFormats / sizeof kMaskFormats[0] == 14, "every layout has masks");

uint32_t Mask(PixelLayout::Channel channel) { return ((1u << channel.bits) - 1) << channel.shift; }

struct PixelFormatBlock {
    uint32_t flags, fourCC, bitCount, red, green, blue, alpha;
};

// The layout whose masks are the file's, or null.
const PixelLayout* MatchMasks(const PixelFormatBlock& pixels) {
    const uint32_t alpha = pixels.flags & (kAlphaPixels | kAlphaOnly) ? pixels.alpha : 0;
    for (D3DFORMAT format : kMaskFormats) {
        const PixelLayout* layout = PixelLayout::Find(format);
        if (layout->bytesPerPixel * 8 != pixels.bitCount || Mask(layout->alpha) != alpha) continue;
        const bool luminance = layout->luminance.bits != 0;
        if (pixels.flags & kLuminance) {
            if (luminance && Mask(layout->luminance) == pixels.red) return layout;
        } else if (pixels.flags & kRgb) {
            if (!luminance && Mask(layout->red) == pixels.red &&
                Mask(layout->green) == pixels.green && Mask(layout->blue) == pixels.blue)
                return layout;
        } else if (!luminance && !layout->red.bits && alpha) {
            return layout;  // alpha only: A8
        }
    }
    return nullptr;
}

D3DFORMAT BlockFormat(uint32_t fourCC) {
    for (unsigned number = 1; number <= kDxtFormatCount; ++number) {
        const D3DFORMAT format = DxtFormat(number);
        if (static_cast<uint32_t>(format) == fourCC) return format;
    }
    return D3DFMT_UNKNOWN;
}

}  // namespace

bool IsDds(const uint8_t* data, size_t size) {
    return size >= 4 && std::memcmp(data, "DDS ", 4) == 0;
}

HRESULT DecodeDds(const uint8_t* data, size_t size, const ImageLimits& limits,
                  DecodedImage& image) {
    ByteReader reader(data, size);
    const uint8_t* header = reader.Skip(4) ? reader.Take(kHeaderSize) : nullptr;
    if (!IsDds(data, size) || !header || Load32(header) != kHeaderSize || Load32(header + 72) != 32)
        return D3DXERR_INVALIDDATA;
    const uint32_t flags = Load32(header + 4), height = Load32(header + 8),
                   width = Load32(header + 12), mipMapCount = Load32(header + 24);
    const PixelFormatBlock pixels = {Load32(header + 76), Load32(header + 80), Load32(header + 84),
                                     Load32(header + 88), Load32(header + 92), Load32(header + 96),
                                     Load32(header + 100)};
    if (width == 0 || height == 0 || width > limits.maxWidth || height > limits.maxHeight ||
        (Load32(header + 108) & (kCubeMap | kVolume)))
        return D3DXERR_INVALIDDATA;
    const UINT fullChain = FullChainLength(width, height);
    const UINT stored = flags & kMipMapCountFlag && mipMapCount > 1 ? mipMapCount : 1;
    if (stored > fullChain) return D3DXERR_INVALIDDATA;

    const D3DFORMAT blockFormat = pixels.flags & kFourCC ? BlockFormat(pixels.fourCC) : D3DFMT_UNKNOWN;
    const PixelLayout* layout = pixels.flags & kFourCC ? nullptr : MatchMasks(pixels);
    if (!blockFormat && !layout) return D3DXERR_INVALIDDATA;
    image.SetFormat(blockFormat ? blockFormat : layout->format);

    // Every stored level must be in the file before room is made for any.
    uint64_t storedBytes = 0;
    for (UINT level = 0; level < stored; ++level) {
        const uint64_t levelWidth = LevelSide(width, level), levelHeight = LevelSide(height, level);
        storedBytes += blockFormat
                           ? (levelWidth + 3) / 4 * ((levelHeight + 3) / 4) * BlockBytesOf(blockFormat)
                           : levelWidth * levelHeight * layout->bytesPerPixel;
    }
    if (storedBytes > reader.Remaining()) return D3DXERR_INVALIDDATA;

    for (UINT level = 0; level < stored; ++level) {
        const UINT levelWidth = LevelSide(width, level), levelHeight = LevelSide(height, level);
        HRESULT hr = blockFormat ? image.AddBlockLevel(levelWidth, levelHeight, BlockBytesOf(blockFormat))
                                 : image.AddPixelLevel(levelWidth, levelHeight);
        if (FAILED(hr)) return hr;
        ImageLevel& out = image.Level(level);
        const uint64_t rowBytes =
            blockFormat ? out.pitch : uint64_t{levelWidth} * layout->bytesPerPixel;
        const uint8_t* in = reader.Take(rowBytes * out.rows);
        if (!in) return D3DXERR_INVALIDDATA;
        if (blockFormat) {
            std::memcpy(out.bytes.get(), in, out.pitch * out.rows);
            continue;
        }
        for (UINT y = 0; y < levelHeight; ++y, in += rowBytes)
            layout->ToArgb(in, levelWidth, out.PixelRow(y));
    }
    return D3D_OK;
}

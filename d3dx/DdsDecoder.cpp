// DirectDraw surface files: uncompressed pixels whose masks match a
// Direct3D 8 format, and DXT1 to DXT5 blocks, with their stored mip levels.
// ReadHeader checks that every stored level is in the file before room is
// made for any; Decode copies the levels (blocks as they are, pixels as
// A8R8G8B8) into an image in memory (RowOrder::Packed).
#include <cstring>

#include <d3dx8.h>

#include "DecodedImage.h"
#include "ImageDecoder.h"
#include "LevelSink.h"
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

bool Recognises(const uint8_t* data, size_t size) { return size >= 4 && std::memcmp(data, "DDS ", 4) == 0; }

class DdsDecoder final : public ImageDecoder {
    UINT m_BlockBytes = 0;                   // 0 for pixels
    UINT m_Levels = 0;
    const PixelLayout* m_pLayout = nullptr;  // the pixels' layout; null for blocks
    ByteReader m_Reader{m_pData, m_Size};    // at the first level once the header is read

    // A stored level of width x height: blocks, or pixels of the layout.
    LevelShape Shape(uint64_t width, uint64_t height) const {
        return {width, height, m_BlockBytes, m_pLayout ? m_pLayout->bytesPerPixel : 0};
    }

public:
    using ImageDecoder::ImageDecoder;
    HRESULT ReadHeader(ImageHeader* header) override;
    HRESULT Decode(LevelSink& sink) override;
};

}  // namespace

HRESULT DdsDecoder::ReadHeader(ImageHeader* header) {
    ByteReader& reader = m_Reader;
    const uint8_t* stored = reader.Skip(4) ? reader.Take(kHeaderSize) : nullptr;
    if (!Recognises(m_pData, m_Size) || !stored || Load32(stored) != kHeaderSize || Load32(stored + 72) != 32)
        return D3DXERR_INVALIDDATA;
    const uint32_t flags = Load32(stored + 4), height = Load32(stored + 8), width = Load32(stored + 12),
                   mipMapCount = Load32(stored + 24);
    const PixelFormatBlock pixels = {Load32(stored + 76), Load32(stored + 80), Load32(stored + 84),
                                     Load32(stored + 88), Load32(stored + 92), Load32(stored + 96),
                                     Load32(stored + 100)};
    if (width == 0 || height == 0 || (Load32(stored + 108) & (kCubeMap | kVolume)))
        return D3DXERR_INVALIDDATA;
    const UINT fullChain = FullChainLength(width, height);
    const UINT levels = flags & kMipMapCountFlag && mipMapCount > 1 ? mipMapCount : 1;
    if (levels > fullChain) return D3DXERR_INVALIDDATA;

    const D3DFORMAT blockFormat = pixels.flags & kFourCC ? BlockFormat(pixels.fourCC) : D3DFMT_UNKNOWN;
    m_pLayout = pixels.flags & kFourCC ? nullptr : MatchMasks(pixels);
    if (!blockFormat && !m_pLayout) return D3DXERR_INVALIDDATA;
    m_BlockBytes = blockFormat ? BlockBytesOf(blockFormat) : 0;

    // Every stored level must be in the file before room is made for any.
    uint64_t remaining = reader.Remaining();
    for (UINT level = 0; level < levels; ++level) {
        const LevelShape shape = Shape(LevelSide(width, level), LevelSide(height, level));
        if (!shape.FitsIn(remaining)) return D3DXERR_INVALIDDATA;
        remaining -= shape.Bytes();
    }

    m_Levels = levels;
    *header = {width, height, blockFormat ? blockFormat : m_pLayout->format, m_BlockBytes, levels, RowOrder::Packed};
    return D3D_OK;
}

HRESULT DdsDecoder::Decode(LevelSink& sink) {
    for (UINT level = 0; level < m_Levels; ++level) {
        const PixelView& out = sink.Level(level);
        const LevelShape shape = Shape(out.width, out.height);
        const uint8_t* in = m_Reader.Take(shape.Bytes());
        if (!in) return D3DXERR_INVALIDDATA;
        for (UINT y = 0; y < shape.rows; ++y, in += shape.rowBytes) {
            if (m_BlockBytes) std::memcpy(out.bits + y * out.pitch, in, static_cast<size_t>(shape.rowBytes));
            else m_pLayout->ToArgb(in, out.width, out.Row(y));
        }
    }
    return D3D_OK;
}

const ImageFormat kDdsFormat = {Recognises, NewDecoder<DdsDecoder>};

// Windows bitmaps, with the file header (BMP) or without it (packed DIB):
// 1, 4 and 8 bits per pixel with a palette (RLE4 and RLE8 included), 16 bits
// (5:5:5 or bit fields), 24 and 32 bits; rows bottom-up or top-down.
// ReadHeader reads the headers, the bit fields and the palette; uncompressed
// pixels must then all be in the file before room is made for them. Decode
// writes the rows in any order; run-length data is decoded straight into
// level 0 and refused where it runs past a row, the image or its own end.
#include <algorithm>
#include <cstring>
#include <new>

#include <d3dx8.h>

#include "ImageDecoder.h"
#include "LevelSink.h"
#include "pixels/ByteReader.h"
#include "pixels/PixelLayout.h"

namespace {

constexpr uint32_t kCoreHeaderSize = 12;  // BITMAPCOREHEADER
constexpr uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

// Header sizes of the info-header family: v1, v2 and v3 (masks inside), v4, v5.
constexpr uint32_t kInfoHeaderSizes[] = {40, 52, 56, 108, 124};

constexpr unsigned kMaskCount = 4;

struct BmpHeader {
    uint32_t headerSize = 0;
    uint32_t width = 0, height = 0;
    bool topDown = false;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = kRgb;
    uint32_t coloursUsed = 0;
    uint32_t masks[kMaskCount] = {};  // red, green, blue, alpha
    bool hasMasks = false;
};

// One channel of a bit-field pixel: contiguous bits at shift.
struct MaskChannel {
    unsigned shift = 0;
    unsigned bits = 0;

    uint32_t To8(uint32_t pixel) const {
        if (bits == 0) return 0;
        return WidenChannel((pixel >> shift) & static_cast<uint32_t>((uint64_t{1} << bits) - 1), bits);
    }
};

bool ChannelFromMask(uint32_t mask, MaskChannel& channel) {
    channel = MaskChannel{};
    if (mask == 0) return true;
    unsigned shift = 0;
    while (!(mask >> shift & 1)) ++shift;
    const uint64_t run = uint64_t{mask} >> shift;
    if (run & (run + 1)) return false;  // not contiguous
    channel.shift = shift;
    while (run >> channel.bits) ++channel.bits;
    return true;
}

bool ReadInfoHeader(ByteReader& reader, BmpHeader& header) {
    if (!reader.Read32(header.headerSize)) return false;
    if (header.headerSize == kCoreHeaderSize) {
        uint16_t width, height, planes;
        if (!reader.Read16(width) || !reader.Read16(height) || !reader.Read16(planes) ||
            !reader.Read16(header.bitsPerPixel) || planes != 1)
            return false;
        header.width = width;
        header.height = height;
        return true;
    }
    if (std::find(std::begin(kInfoHeaderSizes), std::end(kInfoHeaderSizes), header.headerSize) ==
        std::end(kInfoHeaderSizes))
        return false;
    const uint8_t* info = reader.Take(header.headerSize - 4);
    if (!info) return false;
    const int32_t width = static_cast<int32_t>(Load32(info));
    const int32_t height = static_cast<int32_t>(Load32(info + 4));
    if (Load16(info + 8) != 1 || width <= 0 || height == 0 || height == INT32_MIN) return false;
    header.width = static_cast<uint32_t>(width);
    header.topDown = height < 0;
    header.height = static_cast<uint32_t>(height < 0 ? -height : height);
    header.bitsPerPixel = Load16(info + 10);
    header.compression = Load32(info + 12);
    header.coloursUsed = Load32(info + 28);
    if (header.compression != kBitFields && header.compression != kAlphaBitFields) return true;
    header.hasMasks = true;
    // Version 1 headers are followed by the masks the compression names;
    // later versions hold as many as their size allows (three in version 2,
    // whose alpha mask stays 0 whatever the compression says).
    const bool following = header.headerSize == kInfoHeaderSize;
    const unsigned maskCount =
        following ? (header.compression == kAlphaBitFields ? 4 : 3)
                  : std::min<unsigned>(kMaskCount, (header.headerSize - kInfoHeaderSize) / 4);
    const uint8_t* masks = following ? reader.Take(4 * maskCount) : info + kInfoHeaderSize - 4;
    if (!masks) return false;
    for (unsigned i = 0; i < maskCount; ++i) header.masks[i] = Load32(masks + 4 * i);
    return true;
}

bool ValidCombination(const BmpHeader& header) {
    switch (header.compression) {
        case kRgb:
            return header.bitsPerPixel == 1 || header.bitsPerPixel == 4 ||
                   header.bitsPerPixel == 8 || header.bitsPerPixel == 16 ||
                   header.bitsPerPixel == 24 || header.bitsPerPixel == 32;
        // Run-length encoded bitmaps are stored bottom-up only.
        case kRle8: return header.bitsPerPixel == 8 && !header.topDown;
        case kRle4: return header.bitsPerPixel == 4 && !header.topDown;
        case kBitFields:
        case kAlphaBitFields: return header.bitsPerPixel == 16 || header.bitsPerPixel == 32;
        default: return false;
    }
}

// The bit fields of a 16- or 32-bit bitmap: given, or the defaults (5:5:5,
// or 8:8:8 with the top byte unused).
bool Fields(const BmpHeader& header, MaskChannel channels[4]) {
    uint32_t masks[4] = {0x7C00, 0x03E0, 0x001F, 0};
    if (header.bitsPerPixel == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0xFF00;
        masks[2] = 0xFF;
    }
    if (header.hasMasks) std::copy(header.masks, header.masks + 4, masks);
    uint32_t seen = 0;
    for (int i = 0; i < 4; ++i) {
        if ((masks[i] & seen) || !ChannelFromMask(masks[i], channels[i])) return false;
        seen |= masks[i];
    }
    return header.bitsPerPixel == 32 || seen <= 0xFFFF;
}

struct FormatByMasks {
    uint32_t red, green, blue, alpha;
    D3DFORMAT format;
};
constexpr FormatByMasks kSixteenBitFormats[] = {
    {0x7C00, 0x03E0, 0x001F, 0, D3DFMT_X1R5G5B5},
    {0x7C00, 0x03E0, 0x001F, 0x8000, D3DFMT_A1R5G5B5},
    {0xF800, 0x07E0, 0x001F, 0, D3DFMT_R5G6B5},
    {0x0F00, 0x00F0, 0x000F, 0xF000, D3DFMT_A4R4G4B4},
    {0x0F00, 0x00F0, 0x000F, 0, D3DFMT_X4R4G4B4},
};
static_assert(sizeof kSixteenBitFormats / sizeof kSixteenBitFormats[0] == 5,
              "the 16-bit layouts a bitmap can name");

D3DFORMAT OwnFormat(const BmpHeader& header, const MaskChannel channels[4]) {
    switch (header.bitsPerPixel) {
        case 24: return D3DFMT_R8G8B8;
        case 16: {
            uint32_t masks[4];
            for (int i = 0; i < 4; ++i)
                masks[i] = ((1u << channels[i].bits) - 1) << channels[i].shift;
            for (const FormatByMasks& row : kSixteenBitFormats)
                if (row.red == masks[0] && row.green == masks[1] && row.blue == masks[2] &&
                    row.alpha == masks[3])
                    return row.format;
            break;
        }
        default: break;
    }
    if (header.bitsPerPixel <= 8) return D3DFMT_X8R8G8B8;
    return channels[3].bits ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

// Pixels through the palette from RLE8 or RLE4 data, written straight into
// level (bottom row first, as these bitmaps are stored). Runs past the end of
// a row or of the image, indices past the palette and data that ends before
// the end-of-bitmap code are refused; pixels skipped by end-of-line, delta
// and end-of-bitmap codes take palette entry 0. Each pixel is written once.
bool DecodeRle(ByteReader& reader, const BmpHeader& header, const uint32_t* palette,
               uint32_t entries, const PixelView& level) {
    const bool four = header.compression == kRle4;
    const uint32_t width = header.width, height = header.height;
    auto row = [&](uint32_t y) { return level.Row(height - 1 - y); };
    uint32_t x = 0, y = 0;
    // Moves on to column toX of row toY (not before the current position;
    // row `height` only at column 0), filling the pixels passed over.
    auto skipTo = [&](uint32_t toX, uint32_t toY) {
        for (; y < toY; ++y, x = 0) std::fill(row(y) + x, row(y) + width, palette[0]);
        if (y < height) std::fill(row(y) + x, row(y) + toX, palette[0]);
        x = toX;
    };
    auto put = [&](uint32_t count, auto&& indexAt) {
        if (y >= height || count > width - x) return false;
        uint32_t* out = row(y) + x;
        for (uint32_t i = 0; i < count; ++i) {
            const unsigned index = indexAt(i);
            if (index >= entries) return false;
            out[i] = palette[index];
        }
        x += count;
        return true;
    };
    for (;;) {
        uint8_t count, value;
        if (!reader.Read8(count) || !reader.Read8(value)) return false;
        if (count > 0) {
            const bool ok = four ? put(count, [&](uint32_t i) { return i & 1 ? value & 0x0F : value >> 4; })
                                 : put(count, [&](uint32_t) { return value; });
            if (!ok) return false;
            continue;
        }
        switch (value) {
            case 0:  // end of line
                if (y >= height) return false;
                skipTo(0, y + 1);
                break;
            case 1:  // end of bitmap
                skipTo(0, height);
                return true;
            case 2: {  // delta: dx to the right, dy rows on
                uint8_t dx, dy;
                if (!reader.Read8(dx) || !reader.Read8(dy) || dx > width - x ||
                    uint64_t{y} + dy > height || (y + dy == height && x + dx != 0))
                    return false;
                skipTo(x + dx, y + dy);
                break;
            }
            default: {  // absolute run of `value` pixels, padded to 16 bits
                const uint32_t bytes = four ? (value + 1u) / 2 : value;
                const uint8_t* run = reader.Take(bytes);
                if (!run || !reader.Skip(bytes & 1)) return false;
                const bool ok = put(value, [&](uint32_t i) {
                    return four ? (i & 1 ? run[i / 2] & 0x0F : run[i / 2] >> 4) : run[i];
                });
                if (!ok) return false;
            }
        }
    }
}

bool ReadPalette(ByteReader& reader, const BmpHeader& header, uint32_t palette[256],
                 uint32_t& entries) {
    entries = 0;
    if (header.bitsPerPixel > 8) return true;
    const uint32_t most = 1u << header.bitsPerPixel;
    entries = header.coloursUsed && header.headerSize != kCoreHeaderSize ? header.coloursUsed : most;
    if (entries > most) return false;
    const unsigned entrySize = header.headerSize == kCoreHeaderSize ? 3 : 4;
    const uint8_t* table = reader.Take(uint64_t{entries} * entrySize);
    if (!table) return false;
    for (uint32_t i = 0; i < entries; ++i, table += entrySize)
        palette[i] = OpaqueBgr(table);
    return true;
}

bool Recognises(const uint8_t* data, size_t size) {
    if (size >= 18 && data[0] == 'B' && data[1] == 'M') return true;
    // A packed DIB starts with its info header: a known size and one plane.
    if (size < 16) return false;
    const uint32_t headerSize = Load32(data);
    const bool known = headerSize == kCoreHeaderSize ||
                       std::find(std::begin(kInfoHeaderSizes), std::end(kInfoHeaderSizes),
                                 headerSize) != std::end(kInfoHeaderSizes);
    return known && Load16(data + (headerSize == kCoreHeaderSize ? 8 : 12)) == 1;
}

class BmpDecoder final : public ImageDecoder {
public:
    using ImageDecoder::ImageDecoder;
    HRESULT ReadHeader(ImageHeader* header) override;
    HRESULT Decode(LevelSink& sink) override;

private:
    ByteReader m_Reader{m_pData, m_Size};  // at the pixels once the header is read
    BmpHeader m_Header;
    MaskChannel m_Channels[kMaskCount];
    uint32_t m_Palette[256] = {};
    uint32_t m_Entries = 0;
    uint64_t m_Stride = 0;  // bytes from one stored row to the next
};

}  // namespace

HRESULT BmpDecoder::ReadHeader(ImageHeader* header) {
    ByteReader& reader = m_Reader;
    const bool fileHeader = m_Size >= 2 && m_pData[0] == 'B' && m_pData[1] == 'M';
    uint32_t pixelOffset = 0;
    if (fileHeader && (!reader.Skip(10) || !reader.Read32(pixelOffset)))
        return D3DXERR_INVALIDDATA;

    if (!ReadInfoHeader(reader, m_Header) || !ValidCombination(m_Header) || m_Header.width == 0 ||
        m_Header.height == 0)
        return D3DXERR_INVALIDDATA;
    if (m_Header.bitsPerPixel >= 16 && !Fields(m_Header, m_Channels)) return D3DXERR_INVALIDDATA;
    if (!ReadPalette(reader, m_Header, m_Palette, m_Entries)) return D3DXERR_INVALIDDATA;
    if (fileHeader && !reader.Seek(pixelOffset)) return D3DXERR_INVALIDDATA;

    const bool rle = m_Header.compression == kRle8 || m_Header.compression == kRle4;
    const uint64_t rowBits = uint64_t{m_Header.width} * m_Header.bitsPerPixel;
    // Rows are padded to a multiple of 4 bytes.
    m_Stride = (rowBits + 31) / 32 * 4;
    // Uncompressed pixels must all be there before room is made for them
    // (the last row's padding may be missing). Run-length data can end the
    // bitmap at once: its damage shows while it is decoded.
    if (!rle && (m_Header.height - 1) * m_Stride + (rowBits + 7) / 8 > reader.Remaining())
        return D3DXERR_INVALIDDATA;

    *header = {m_Header.width, m_Header.height, OwnFormat(m_Header, m_Channels), 0, 1, RowOrder::Any};
    return D3D_OK;
}

HRESULT BmpDecoder::Decode(LevelSink& sink) {
    const PixelView& level = sink.Level(0);
    const BmpHeader& header = m_Header;
    if (header.compression == kRle8 || header.compression == kRle4) {
        if (!DecodeRle(m_Reader, header, m_Palette, m_Entries, level)) return D3DXERR_INVALIDDATA;
        return D3D_OK;
    }

    const uint32_t width = header.width, height = header.height;
    const uint8_t* pixels = m_Reader.Current();
    const unsigned bytesPerPixel = header.bitsPerPixel / 8;
    const MaskChannel* channels = m_Channels;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = pixels + y * m_Stride;
        uint32_t* out = level.Row(header.topDown ? y : height - 1 - y);
        if (header.bitsPerPixel <= 8) {
            const unsigned bits = header.bitsPerPixel, perByte = 8 / bits, mask = (1u << bits) - 1;
            for (uint32_t x = 0; x < width; ++x) {
                const unsigned index = in[x / perByte] >> (8 - bits - (x % perByte) * bits) & mask;
                if (index >= m_Entries) return D3DXERR_INVALIDDATA;
                out[x] = m_Palette[index];
            }
        } else if (header.bitsPerPixel == 24) {
            for (uint32_t x = 0; x < width; ++x, in += 3)
                out[x] = OpaqueBgr(in);
        } else {
            const bool alpha = channels[3].bits != 0;
            for (uint32_t x = 0; x < width; ++x, in += bytesPerPixel) {
                const uint32_t pixel = bytesPerPixel == 2 ? Load16(in) : Load32(in);
                const uint32_t a = alpha ? channels[3].To8(pixel) : 0xFF;
                out[x] = ArgbWord(a, channels[0].To8(pixel), channels[1].To8(pixel), channels[2].To8(pixel));
            }
        }
    }
    return D3D_OK;
}

const ImageFormat kBmpFormat = {Recognises, NewDecoder<BmpDecoder>};

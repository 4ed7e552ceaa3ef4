// Targa images: uncompressed or run-length encoded; true colour of 15, 16,
// 24 and 32 bits, 8-bit grey, 8-bit indices into a colour map; any origin.
// The format carries no signature: Recognises checks that the header is
// plausible. ReadHeader refuses a file too short for the pixels its header
// announces before room is made for them; Decode reads the pixels in file
// order into packed rows and then puts them the right way up, so the image
// is decoded into memory only (RowOrder::Packed).
#include <algorithm>

#include <d3dx8.h>

#include "ImageDecoder.h"
#include "LevelSink.h"
#include "pixels/ByteReader.h"
#include "pixels/PixelLayout.h"

namespace {

constexpr size_t kHeaderSize = 18;
constexpr uint8_t kColourMapped = 1, kTrueColour = 2, kGrey = 3, kRunLength = 8;
constexpr uint8_t kRightToLeft = 0x10, kTopDown = 0x20;
constexpr uint64_t kMostPerPacket = 128;  // pixels of one run-length packet

struct TgaHeader {
    uint8_t idLength, colourMapType, imageType;
    uint16_t mapFirst, mapLength;
    uint8_t mapEntryBits;
    uint16_t width, height;
    uint8_t pixelBits, descriptor;
};

TgaHeader ParseHeader(const uint8_t* data) {
    TgaHeader header;
    header.idLength = data[0];
    header.colourMapType = data[1];
    header.imageType = data[2];
    header.mapFirst = Load16(data + 3);
    header.mapLength = Load16(data + 5);
    header.mapEntryBits = data[7];
    header.width = Load16(data + 12);
    header.height = Load16(data + 14);
    header.pixelBits = data[16];
    header.descriptor = data[17];
    return header;
}

bool ValidEntryBits(uint8_t bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

bool Plausible(const TgaHeader& header) {
    const uint8_t kind = header.imageType & ~kRunLength;
    if (header.colourMapType > 1 || header.imageType & 0xF0 || header.width == 0 ||
        header.height == 0 || header.descriptor & 0xC0)
        return false;
    if (header.colourMapType == 1 && (!ValidEntryBits(header.mapEntryBits) || header.mapLength == 0))
        return false;
    switch (kind) {
        case kColourMapped: return header.colourMapType == 1 && header.pixelBits == 8;
        case kTrueColour: return ValidEntryBits(header.pixelBits);
        case kGrey: return header.pixelBits == 8;
        default: return false;
    }
}

// A 15-, 16-, 24- or 32-bit Targa pixel (blue first) as A8R8G8B8; the top
// bit of a 16-bit pixel is its alpha only when the image says it has one.
uint32_t ToArgb(const uint8_t* in, unsigned bits, bool alpha) {
    if (bits == 24) return OpaqueBgr(in);
    if (bits == 32) return ArgbWord(alpha ? in[3] : 0xFF, in[2], in[1], in[0]);
    const uint32_t value = Load16(in);
    const uint32_t a = !alpha || bits == 15 || (value & 0x8000) ? 0xFF : 0;
    return ArgbWord(a, WidenChannel(value >> 10 & 31, 5), WidenChannel(value >> 5 & 31, 5),
                    WidenChannel(value & 31, 5));
}

D3DFORMAT OwnFormat(const TgaHeader& header, bool alpha) {
    switch (header.imageType & ~kRunLength) {
        case kGrey: return D3DFMT_L8;
        case kColourMapped: return header.mapEntryBits == 32 && alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
        default: break;
    }
    switch (header.pixelBits) {
        case 15: return D3DFMT_X1R5G5B5;
        case 16: return alpha ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
        case 24: return D3DFMT_R8G8B8;
        default: return alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    }
}

// Turns one stored pixel into A8R8G8B8; false for a colour-map index
// outside the map.
class PixelReader {
public:
    PixelReader(const TgaHeader& header, const uint8_t* map, bool alpha)
        : m_Kind(header.imageType & ~kRunLength),
          m_Bits(header.pixelBits),
          m_Alpha(alpha),
          m_pMap(map),
          m_MapFirst(header.mapFirst),
          m_MapLength(header.mapLength),
          m_MapEntryBits(header.mapEntryBits) {}

    unsigned Bytes() const { return (m_Bits + 7) / 8; }

    bool Read(const uint8_t* in, uint32_t& argb) const {
        if (m_Kind == kGrey) {
            argb = ArgbWord(0xFF, in[0], in[0], in[0]);
            return true;
        }
        if (m_Kind == kTrueColour) {
            argb = ToArgb(in, m_Bits, m_Alpha);
            return true;
        }
        if (in[0] < m_MapFirst || in[0] - m_MapFirst >= m_MapLength) return false;
        const unsigned entryBytes = (m_MapEntryBits + 7) / 8;
        argb = ToArgb(m_pMap + size_t{in[0] - m_MapFirst} * entryBytes, m_MapEntryBits, m_Alpha);
        return true;
    }

private:
    uint8_t m_Kind;
    unsigned m_Bits;
    bool m_Alpha;
    const uint8_t* m_pMap;
    unsigned m_MapFirst, m_MapLength, m_MapEntryBits;
};

// Calls visit(in, length, repeated) for the stored pixels in file order,
// uncompressed or run-length encoded: `length` pixels at `in`, or the one at
// `in` repeated `length` times. Packets may run on from one row into the
// next, but not past the last pixel. False where the data is damaged or
// visit returns false.
template <typename Visit>
bool ForEachPacket(ByteReader& reader, const TgaHeader& header, unsigned bytes, Visit visit) {
    const size_t count = size_t{header.width} * header.height;
    if (!(header.imageType & kRunLength)) {
        const uint8_t* in = reader.Take(uint64_t{count} * bytes);
        return in && visit(in, count, false);
    }
    for (size_t done = 0; done < count;) {
        uint8_t packet;
        if (!reader.Read8(packet)) return false;
        const size_t length = (packet & (kMostPerPacket - 1)) + 1u;
        const bool repeated = packet & 0x80;
        if (length > count - done) return false;
        const uint8_t* in = reader.Take(repeated ? bytes : uint64_t{length} * bytes);
        if (!in || !visit(in, length, repeated)) return false;
        done += length;
    }
    return true;
}

// Fills pixels (width x height, in file order).
bool ReadPixels(ByteReader& reader, const TgaHeader& header, const PixelReader& pixelReader,
                uint32_t* pixels) {
    const unsigned bytes = pixelReader.Bytes();
    return ForEachPacket(reader, header, bytes, [&](const uint8_t* in, size_t length, bool repeated) {
        if (repeated) {
            uint32_t argb;
            if (!pixelReader.Read(in, argb)) return false;
            std::fill_n(pixels, length, argb);
        } else {
            for (size_t i = 0; i < length; ++i, in += bytes)
                if (!pixelReader.Read(in, pixels[i])) return false;
        }
        pixels += length;
        return true;
    });
}

// Whether any stored pixel, as pixelReader reads it, has a non-zero alpha;
// stops at the first, or at damage (which the decode refuses). The reader
// is a copy: the decode starts where it stood.
bool AnyAlpha(ByteReader reader, const TgaHeader& header, const PixelReader& pixelReader) {
    bool found = false;
    const unsigned bytes = pixelReader.Bytes();
    ForEachPacket(reader, header, bytes, [&](const uint8_t* in, size_t length, bool repeated) {
        uint32_t argb;
        for (size_t i = 0; i < (repeated ? 1 : length); ++i, in += bytes)
            if (!pixelReader.Read(in, argb) || (found = argb >> 24 != 0)) return false;
        return true;
    });
    return found;
}

// The format carries no signature: a plausible header.
bool Recognises(const uint8_t* data, size_t size) { return size >= kHeaderSize && Plausible(ParseHeader(data)); }

class TgaDecoder final : public ImageDecoder {
    const TgaHeader m_Header;
    ByteReader m_Reader{m_pData, m_Size};  // at the pixels once the header is read
    const uint8_t* m_pMap = nullptr;       // the colour map, if any
    bool m_bAlpha = false;                 // whether pixels carry alpha, once the header is read

public:
    TgaDecoder(const uint8_t* data, size_t size)
        : ImageDecoder(data, size), m_Header(size >= kHeaderSize ? ParseHeader(data) : TgaHeader{}) {}
    HRESULT ReadHeader(ImageHeader* header) override;
    HRESULT Decode(LevelSink& sink) override;
};

}  // namespace

HRESULT TgaDecoder::ReadHeader(ImageHeader* header) {
    if (!Recognises(m_pData, m_Size)) return D3DXERR_INVALIDDATA;
    const TgaHeader& tga = m_Header;
    ByteReader& reader = m_Reader;
    if (!reader.Skip(kHeaderSize) || !reader.Skip(tga.idLength)) return D3DXERR_INVALIDDATA;
    // The low descriptor bits count the alpha bits of each pixel.
    bool alpha = (tga.descriptor & 0x0F) != 0;
    if (tga.colourMapType == 1) {
        m_pMap = reader.Take(uint64_t{tga.mapLength} * ((tga.mapEntryBits + 7) / 8));
        if (!m_pMap) return D3DXERR_INVALIDDATA;
    }
    // The pixels must be there before room is made for them: all of them
    // when stored as they are, and with run-length packets at least one
    // packet (a count and a pixel) for each kMostPerPacket pixels.
    const uint64_t count = uint64_t{tga.width} * tga.height, bytes = PixelReader(tga, m_pMap, alpha).Bytes();
    const uint64_t packets = (count + kMostPerPacket - 1) / kMostPerPacket;
    const uint64_t leastBytes = tga.imageType & kRunLength ? packets * (1 + bytes) : count * bytes;
    if (leastBytes > reader.Remaining()) return D3DXERR_INVALIDDATA;
    // The descriptor is not trusted when it counts none in 32-bit pixels:
    // many writers leave it 0 where the fourth byte is a real alpha. That
    // byte is alpha then unless it is 0 in every pixel (an opaque image).
    const uint8_t kind = tga.imageType & ~kRunLength;
    if (!alpha && ((kind == kTrueColour && tga.pixelBits == 32) || (kind == kColourMapped && tga.mapEntryBits == 32)))
        alpha = AnyAlpha(reader, tga, PixelReader(tga, m_pMap, true));
    m_bAlpha = alpha;
    *header = {tga.width, tga.height, OwnFormat(tga, alpha), 0, 1, RowOrder::Packed};
    return D3D_OK;
}

HRESULT TgaDecoder::Decode(LevelSink& sink) {
    const TgaHeader& header = m_Header;
    const PixelReader pixelReader(header, m_pMap, m_bAlpha);
    // Packed rows (RowOrder::Packed): the pixels one after the other.
    const PixelView& level = sink.Level(0);
    if (!ReadPixels(m_Reader, header, pixelReader, level.Row(0))) return D3DXERR_INVALIDDATA;

    // Rows are stored bottom-up unless the descriptor says otherwise.
    const uint32_t width = header.width, height = header.height;
    if (!(header.descriptor & kTopDown))
        for (uint32_t y = 0; y < height / 2; ++y)
            std::swap_ranges(level.Row(y), level.Row(y) + width, level.Row(height - 1 - y));
    if (header.descriptor & kRightToLeft)
        for (uint32_t y = 0; y < height; ++y) std::reverse(level.Row(y), level.Row(y) + width);
    return D3D_OK;
}

const ImageFormat kTgaFormat = {Recognises, NewDecoder<TgaDecoder>};

// Windows bitmaps, with the file header (BMP) or without it (packed DIB):
// 1, 4 and 8 bits per pixel with a palette (RLE4 and RLE8 included), 16 bits
// (5:5:5 or bit fields), 24 and 32 bits; rows bottom-up or top-down.
// ReadHeader reads the headers, the bit fields and the palette; uncompressed
// pixels must then all be in the file before room is made for them. Decode
// writes the rows in any order; run-length data is decoded straight into
// level 0 and refused where it runs past a row, the image or its own end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ImageDecoder.h"
#include "pixels/ByteReader.h"

class BmpDecoder : public ImageDecoder {
public:
    // Whether the first bytes start a bitmap file or a packed DIB.
    static bool Recognises(const uint8_t* data, size_t size);

    BmpDecoder(const uint8_t* data, size_t size, const ImageLimits& limits)
        : m_Reader(data, size), m_Limits(limits) {}

    HRESULT ReadHeader(ImageHeader* header) override;
    HRESULT Decode(LevelSink& sink) override;

    static constexpr unsigned kMaskCount = 4;
    static constexpr uint32_t kUncompressed = 0;  // BI_RGB

    struct Header {
        uint32_t headerSize = 0;
        uint32_t width = 0, height = 0;
        bool topDown = false;
        uint16_t bitsPerPixel = 0;
        uint32_t compression = kUncompressed;
        uint32_t coloursUsed = 0;
        uint32_t masks[kMaskCount] = {};  // red, green, blue, alpha
        bool hasMasks = false;
    };

    // One channel of a bit-field pixel: contiguous bits at shift.
    struct MaskChannel {
        unsigned shift = 0;
        unsigned bits = 0;

        uint32_t To8(uint32_t pixel) const;
    };

private:
    ByteReader m_Reader;  // at the pixels once the header is read
    ImageLimits m_Limits;
    Header m_Header;
    MaskChannel m_Channels[kMaskCount];
    uint32_t m_Palette[256] = {};
    uint32_t m_Entries = 0;
};

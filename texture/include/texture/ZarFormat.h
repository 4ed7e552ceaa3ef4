// The layout of ZAR texture files: a 64-byte little-endian header, frameCount
// 16-bit durations when the file is animated, then each frame's top level
// followed by its stored smaller levels. Shared by the loader and the writer.
#pragma once

#include <cstdint>
#include <cstring>

#include "pixels/BlockCodec.h"
#include "pixels/LittleEndian.h"

namespace zar {

constexpr unsigned kHeaderSize = 64;
// A frame's duration is 16 bits of milliseconds.
constexpr unsigned kMostDuration = 0xFFFF;

// layoutFlags: bytes of an uncompressed stored pixel, in this order.
constexpr uint16_t kColour = 0x0007;       // any of bits 0-2: red, green, blue
constexpr uint16_t kAlpha = 0x0008;        // one alpha byte
constexpr uint16_t kLuminance = 0x0010;    // one luminance byte
constexpr uint16_t kWideExtras = 0x0020;   // bits 6-9 channels are 2 bytes
constexpr uint16_t kExtraChannels = 0x03C0;

struct Header {
    uint8_t version = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t layoutFlags = 0;
    uint16_t channelClasses = 0;  // 2 bits each: red, green, blue, alpha
    uint8_t compression = 0;      // 0 uncompressed, 1..5 DXT1..DXT5 (DxtFormat)
    uint8_t storedMipLevels = 0;
    uint8_t frameCount = 0;       // 0: one frame, not animated
};

inline bool HasMagic(const uint8_t* bytes) { return std::memcmp(bytes, "ZAR", 3) == 0; }

inline Header ParseHeader(const uint8_t* bytes) {
    Header header;
    header.version = bytes[3];
    header.width = Load16(bytes + 4);
    header.height = Load16(bytes + 6);
    header.layoutFlags = Load16(bytes + 8);
    header.channelClasses = Load16(bytes + 10);
    header.compression = bytes[12];
    header.storedMipLevels = bytes[14];
    header.frameCount = bytes[15];
    return header;
}

inline void WriteHeader(const Header& header, uint8_t* bytes) {
    std::memset(bytes, 0, kHeaderSize);
    std::memcpy(bytes, "ZAR", 3);
    bytes[3] = header.version;
    Store16(bytes + 4, header.width);
    Store16(bytes + 6, header.height);
    Store16(bytes + 8, header.layoutFlags);
    Store16(bytes + 10, header.channelClasses);
    bytes[12] = header.compression;
    bytes[14] = header.storedMipLevels;
    bytes[15] = header.frameCount;
}

// Bytes of one stored uncompressed pixel.
inline unsigned ZarPixelSize(uint16_t layoutFlags) {
    unsigned size = (layoutFlags & kColour) ? 3 : 0;
    if (layoutFlags & kAlpha) ++size;
    if (layoutFlags & kLuminance) ++size;
    for (unsigned bit = 6; bit <= 9; ++bit)
        if (layoutFlags & (1u << bit)) size += (layoutFlags & kWideExtras) ? 2 : 1;
    return size;
}

// Bytes of one stored element: a 4x4 block, or a pixel when uncompressed.
// (0 for a compression code past DXT5).
inline unsigned ElementSize(const Header& header) {
    if (header.compression != 0) return BlockBytesOf(DxtFormat(header.compression));
    return ZarPixelSize(header.layoutFlags);
}

// Elements per row and rows of a frame's top level.
inline void TopLevelShape(const Header& header, uint64_t* columns, uint64_t* rows) {
    const bool blocks = header.compression != 0;
    *columns = blocks ? BlocksAcross(header.width) : header.width;
    *rows = blocks ? BlocksAcross(header.height) : header.height;
}

// Bytes of the stored smaller levels after each top level.
inline uint64_t SmallerLevelsSize(const Header& header) {
    uint64_t w, h, total = 0;
    TopLevelShape(header, &w, &h);
    for (unsigned level = 0; level < header.storedMipLevels; ++level) {
        w = (w + 1) / 2;
        h = (h + 1) / 2;
        total += w * h * ElementSize(header);
    }
    return total;
}

}  // namespace zar

// The headers of an uncompressed Windows bitmap file: the 14-byte file
// header and the 40-byte info header before the pixels. The one writer, for
// the surfaces the extension routines save and the captures the tools write.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pixels/LittleEndian.h"

constexpr size_t kBitmapFileHeaderSize = 14;
constexpr size_t kBitmapInfoHeaderSize = 40;
constexpr size_t kBitmapHeadersSize = kBitmapFileHeaderSize + kBitmapInfoHeaderSize;

// Stores at out (kBitmapHeadersSize bytes) the headers of width x height
// pixels of bitsPerPixel, their rows bottom-up or top-down, imageBytes of
// pixels following the headers. The caller keeps the sizes within 32 bits.
inline void StoreBitmapHeaders(uint8_t* out, uint32_t width, uint32_t height, bool topDown,
                               uint16_t bitsPerPixel, uint32_t imageBytes) {
    constexpr uint16_t kPlanes = 1;
    constexpr uint32_t kUncompressed = 0;  // BI_RGB
    constexpr size_t kUnusedFields = 4;    // resolution and palette counts, 0
    out[0] = 'B';
    out[1] = 'M';
    Store32(out + 2, static_cast<uint32_t>(kBitmapHeadersSize) + imageBytes);  // file size
    Store32(out + 6, 0);                                                      // reserved
    Store32(out + 10, static_cast<uint32_t>(kBitmapHeadersSize));             // offset of the pixels
    uint8_t* info = out + kBitmapFileHeaderSize;
    Store32(info + 0, static_cast<uint32_t>(kBitmapInfoHeaderSize));
    Store32(info + 4, width);
    // A negative height is the mark of top-down rows.
    Store32(info + 8, topDown ? 0u - height : height);
    Store16(info + 12, kPlanes);
    Store16(info + 14, bitsPerPixel);
    Store32(info + 16, kUncompressed);
    Store32(info + 20, imageBytes);
    for (size_t field = 0; field < kUnusedFields; ++field) Store32(info + 24 + 4 * field, 0);
}

// Pixel-format facts the runtime needs: sizes and pitches for locks and copies,
// and conversion of single pixels to and from A8R8G8B8 and depth values.
#pragma once

#include <d3d8.h>

#include <cstdint>

namespace orvd3d8 {

// One colour channel inside a little-endian pixel word: `bits` wide at `shift`.
struct Channel {
    uint8_t bits;
    uint8_t shift;
};

struct FormatInfo {
    D3DFORMAT format;
    const char* name;
    uint8_t bytesPerPixel;  // 0 for block-compressed formats
    uint8_t blockBytes;     // bytes per 4x4 block; 0 for uncompressed formats
    Channel alpha, red, green, blue, luminance;
    Channel depth, stencil;
    bool displayable;  // usable as a render target / back buffer
};

class PixelFormat {
public:
    // Null for a format the runtime does not know.
    static const FormatInfo* Find(D3DFORMAT format);
    static const char* Name(D3DFORMAT format);  // "?" for an unknown format
    static bool IsKnown(D3DFORMAT format) { return Find(format) != nullptr; }
    static bool IsCompressed(D3DFORMAT format);
    static bool IsDepth(D3DFORMAT format);
    static bool HasStencil(D3DFORMAT format);
    static bool IsDisplayable(D3DFORMAT format);
    // Bytes from one row to the next (one row of 4x4 blocks for compressed
    // formats); uncompressed rows are rounded up to 4 bytes.
    static UINT Pitch(D3DFORMAT format, UINT width);
    // Rows of storage: the height, or the number of block rows.
    static UINT Rows(D3DFORMAT format, UINT height);
    static UINT Size(D3DFORMAT format, UINT width, UINT height);

    // Colour conversions for uncompressed colour formats; missing alpha reads
    // as 0xFF, luminance fills red, green and blue.
    static uint32_t ToArgb(D3DFORMAT format, const uint8_t* pixel);
    static void FromArgb(D3DFORMAT format, uint32_t argb, uint8_t* pixel);

    // Depth in 0..1 and stencil of a depth-stencil pixel.
    static float ReadDepth(D3DFORMAT format, const uint8_t* pixel);
    static DWORD ReadStencil(D3DFORMAT format, const uint8_t* pixel);
    static void WriteDepthStencil(D3DFORMAT format, uint8_t* pixel, const float* depth,
                                  const DWORD* stencil);
};

}  // namespace orvd3d8

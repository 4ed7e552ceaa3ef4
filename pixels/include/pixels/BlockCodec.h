// The DXT1 to DXT5 block formats: each 4x4 pixel block is 8 bytes (DXT1) or
// 16 bytes (DXT2 to DXT5, an alpha block before the colour block). The one
// decoder, for image files and ZAR files alike, with the arithmetic where
// the two differ as a parameter; encoding is stb_dxt's, at its high quality.
#pragma once

#include <cstddef>
#include <cstdint>

#include <d3d8.h>

#include "pixels/PixelPacking.h"

// Pixels along each side of a block.
constexpr unsigned kBlockSide = 4;
// The 4x4 blocks that cover a side of `pixels` pixels, a partial last one
// included; on 64 bits, so that no side a file states can overflow it.
constexpr uint64_t BlocksAcross(uint64_t pixels) { return (pixels + kBlockSide - 1) / kBlockSide; }

// A level's bytes as a file or memory holds them, row after row: rows of 4x4
// blocks of blockBytes each, or, where blockBytes is 0, rows of width pixels
// of pixelBytes each.
struct LevelShape {
    uint64_t rowBytes;
    uint64_t rows;

    constexpr LevelShape(uint64_t width, uint64_t height, unsigned blockBytes, unsigned pixelBytes)
        : rowBytes(blockBytes ? BlocksAcross(width) * blockBytes : width * pixelBytes),
          rows(blockBytes ? BlocksAcross(height) : height) {}
    // Whether the level fits in `bytes`; never overflows, whatever sides a
    // file states.
    constexpr bool FitsIn(uint64_t bytes) const { return rowBytes == 0 || rows <= bytes / rowBytes; }
    // The level's bytes, for a level known to fit somewhere.
    constexpr uint64_t Bytes() const { return rowBytes * rows; }
};

// How a block's palette is computed. The same blocks decode to slightly
// different pixels from an image file and from a ZAR file:
enum class BlockRounding {
    // Image files (DDS): 5- and 6-bit endpoints widened by repeating their
    // bits, interpolated colours and alphas rounded down, and the fourth
    // entry of a three-colour block transparent black.
    Truncated,
    // ZAR files: endpoints widened and entries interpolated rounded to
    // nearest, and the fourth entry of a three-colour block the midpoint
    // colour with alpha 0.
    Nearest,
};

// Bytes per block of format, 0 for a format that is not block compressed.
UINT BlockBytesOf(D3DFORMAT format);
// DXT1 to DXT5 by their number 1 to 5 (a ZAR file's compression code, a
// DDS file's block format); D3DFMT_UNKNOWN for any other number.
constexpr unsigned kDxtFormatCount = 5;
D3DFORMAT DxtFormat(unsigned number);

// The four colours of a colour block, packed 0xAARRGGBB. With color0 <=
// color1 and forceFourColours false the block is in three-colour mode:
// entry 2 is the midpoint and entry 3 transparent.
void DecodeColorBlock(unsigned short color0, unsigned short color1, bool forceFourColours,
                      uint32_t palette[4], BlockRounding rounding);
// The eight alphas of an interpolated-alpha block.
void DecodeAlphaBlock(unsigned char alpha0, unsigned char alpha1, unsigned char palette[8],
                      BlockRounding rounding);

// Decodes the blocks of a width x height image in `format` (DXT1..DXT5),
// block rows of (width + 3) / 4 blocks, into pixels of `bytesPerPixel` bytes
// packed with `packing`, rows `pitch` bytes apart. Only the pixels inside
// the image are written.
void DecodeDxtImage(D3DFORMAT format, const uint8_t* blocks, unsigned width, unsigned height,
                    const PixelPacking& packing, unsigned bytesPerPixel, uint8_t* pixels,
                    size_t pitch, BlockRounding rounding);
// The same from rows of blocks blockPitch bytes apart into A8R8G8B8 pixels
// with rows argbPitch bytes apart.
void DecodeBlocks(D3DFORMAT format, const BYTE* blocks, size_t blockPitch, UINT width, UINT height,
                  uint32_t* argb, size_t argbPitch, BlockRounding rounding);

// Encodes width x height A8R8G8B8 pixels, rows argbPitch bytes apart, into
// blocks of format with stb_dxt, rows of blocks blockPitch bytes apart.
// Pixels outside the image do not count in a block the image does not fill;
// where the image covers 1 or 2 of a block's columns (rows), each of its
// pixels counts as much as another (a 2 x 2 or 1 x 1 level keeps its mean).
// DXT2 and DXT4 are encoded as DXT3 and DXT5 (no premultiplying). DXT1
// blocks use their transparent entry for pixels of alpha below 128.
void CompressBlocks(D3DFORMAT format, const uint32_t* argb, size_t argbPitch, UINT width, UINT height,
                    BYTE* blocks, size_t blockPitch);

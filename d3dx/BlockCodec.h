// The DXT1 to DXT5 block formats: each 4x4 pixel block is 8 bytes (DXT1) or
// 16 bytes (DXT2 to DXT5, an alpha block before the colour block). Decoding
// and a fast endpoint-box encoder, used where a compressed texture's mip
// levels are filtered or a device cannot sample the file's compressed format.
#pragma once

#include <cstddef>
#include <cstdint>

#include <d3d8.h>

// Bytes per block of format, 0 for a format that is not block compressed.
UINT BlockBytesOf(D3DFORMAT format);

// The blocks covering width x height pixels, rows of blocks blockPitch bytes
// apart, to A8R8G8B8 pixels with rows argbPitch bytes apart, and back. The
// encoder repeats the last row and column into blocks the image does not fill.
void DecodeBlocks(D3DFORMAT format, const BYTE* blocks, size_t blockPitch, UINT width, UINT height,
                  uint32_t* argb, size_t argbPitch);
void EncodeBlocks(D3DFORMAT format, const uint32_t* argb, size_t argbPitch, UINT width,
                  UINT height, BYTE* blocks, size_t blockPitch);

// The one rectangle of pixels every part of the loader passes around: a
// level decoded into memory (DecodedImage), a locked texture level
// (LevelTransfer), a band of rows a decoder writes (MipChain). It owns
// nothing: ImageLevel (DecodedImage.h) holds the memory of a level in memory.
//
// Mostly A8R8G8B8 pixels; a level of DXT blocks uses the same view, bits
// and pitch then giving its rows of 4x4 blocks (BlocksAcross(height) of them,
// pixels/BlockCodec.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include <d3d8.h>

struct PixelView {
    BYTE* bits = nullptr;
    size_t pitch = 0;  // bytes from one row (of pixels or blocks) to the next
    UINT width = 0, height = 0;

    uint32_t* Row(UINT y) const { return reinterpret_cast<uint32_t*>(bits + y * pitch); }
};

// A rectangle of A8R8G8B8 pixels somewhere in memory: a decoded level or a
// locked texture level.
#pragma once

#include <cstddef>
#include <cstdint>

#include <d3d8.h>

#include "DecodedImage.h"

struct PixelView {
    BYTE* bits = nullptr;
    size_t pitch = 0;
    UINT width = 0, height = 0;

    static PixelView Of(const ImageLevel& level) {
        return {level.bytes.get(), level.pitch, level.width, level.height};
    }
    uint32_t* Row(UINT y) const { return reinterpret_cast<uint32_t*>(bits + y * pitch); }
};

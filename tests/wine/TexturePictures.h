// The texture scenario's texels, ZAR files and layout, shared by both sides.
// Point sampling and whole pixels per texel: the middle of each texel's
// block on the screen shows that texel alone.
#pragma once

#include <cstdint>
#include <iterator>
#include <vector>

#include "WineSuite.h"
#include "pixels/BlockCodec.h"
#include "support/ZarFile.h"

namespace winesuite {

constexpr unsigned kPointFilter = 1;  // D3DTEXF_POINT, through SetTextureFilter

// Created textures: 8 x 8 texels; the last row is half transparent.
constexpr unsigned kCreatedSize = 8;
// The PNG and JPEG files of the image-file scenario: this wide, the PNG half as high.
constexpr unsigned kImageFileSize = 32;
inline uint32_t CreatedTexel(unsigned x, unsigned y) {
    const uint32_t alpha = y == kCreatedSize - 1 ? 0x80u : 0xFFu;
    return alpha << 24 | (16 + 32 * x) << 16 | (16 + 32 * y) << 8 | (40 + 24 * ((x + y) & 1));
}
// A rectangle changed in the system copy and uploaded alone; texel (0, 0)
// is changed too, outside it, and never uploaded.
constexpr QuadRect kUpdatedTexels = {2, 2, 6, 5};
constexpr uint32_t kUpdatedColour = 0xFF20E0A0u;

// The second texture of the two-layer material, modulating the first.
inline uint32_t SecondLayerTexel(unsigned x, unsigned y) {
    return 0xFF000000u | (255 - 20 * x) << 16 | (120 + 16 * y) << 8 | (200 - 10 * (x + y));
}

// ZAR files: 16 x 16 texels, `alpha` varying across the picture or opaque.
constexpr unsigned kFileSize = 16;
inline uint32_t ZarTexel(unsigned x, unsigned y, bool alpha) {
    const uint32_t a = alpha ? 40 + 13 * x + 1 * y : 0xFF;
    return a << 24 | (15 * x + 10) << 16 | (200 - 12 * y) << 8 | ((x * y * 5 + 60) & 0xFF);
}
// The animated ZAR file: 8 x 8, opaque, held on one frame.
constexpr unsigned kAnimatedSize = 8;
constexpr unsigned short kZarDurations[] = {100, 200, 300};
constexpr unsigned kZarFrames = sizeof kZarDurations / sizeof kZarDurations[0];
constexpr unsigned kPausedZarFrame = 1;
inline uint32_t FrameTexel(unsigned x, unsigned y, unsigned frame) {
    return 0xFF000000u | ((60 * frame + 20 * x) & 0xFF) << 16 | (30 + 25 * y) << 8 |
           ((250 - 70 * frame) & 0xFF);
}

enum class ZarKind { Rgba, Dxt1, Dxt5, Animated };

// A ZAR file: raw red, green, blue[, alpha] bytes, or DXT blocks from the
// project's encoder.
inline std::vector<uint8_t> ZarBytes(ZarKind kind) {
    const bool animated = kind == ZarKind::Animated;
    const unsigned size = animated ? kAnimatedSize : kFileSize;
    orvtest::ZarFile file;
    file.width = file.height = static_cast<uint16_t>(size);
    file.compression = kind == ZarKind::Dxt1 ? 1 : kind == ZarKind::Dxt5 ? 5 : 0;
    file.layoutFlags = kind == ZarKind::Rgba ? 0x0009 : 0x0007;
    if (animated) {
        file.frameCount = kZarFrames;
        file.durations.assign(std::begin(kZarDurations), std::end(kZarDurations));
    }
    std::vector<uint8_t>& out = file.payload;
    for (unsigned frame = 0; frame < (animated ? kZarFrames : 1); ++frame) {
        std::vector<uint32_t> pixels;
        for (unsigned y = 0; y < size; ++y)
            for (unsigned x = 0; x < size; ++x)
                pixels.push_back(animated ? FrameTexel(x, y, frame) : ZarTexel(x, y, kind != ZarKind::Dxt1));
        if (file.compression == 0) {
            for (uint32_t argb : pixels) {
                out.insert(out.end(), {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)});
                if (file.layoutFlags & 0x0008) out.push_back(uint8_t(argb >> 24));
            }
            continue;
        }
        const size_t blockPitch = size / 4 * (file.compression == 1 ? 8 : 16);
        const size_t at = out.size();
        out.resize(at + blockPitch * (size / 4));
        CompressBlocks(file.compression == 1 ? D3DFMT_DXT1 : D3DFMT_DXT5, pixels.data(), size * 4, size, size,
                       out.data() + at, blockPitch);
    }
    return file.Bytes();
}
// Where a ZAR file's blocks start (after the header and any durations).
inline size_t ZarPayloadOffset(ZarKind kind) {
    return 64 + (kind == ZarKind::Animated ? 2 * kZarFrames : 0);
}

// Slots of 64 x 64 pixels (a 16-texel texture at 4 pixels a texel, an
// 8-texel one at 8), and below them the meshes of the stone example material
// and the two-layer material (the created texture times SecondLayerTexel).
constexpr QuadRect Slot(int index) {
    return {16 + 80 * index, 16, 16 + 80 * index + 64, 80};
}
constexpr Rgb kTextureClear = {0.3f, 0.35f, 0.4f};
enum TextureSlot { kCreated32, kCreatedUpdated, kZarRgba, kZarDxt1, kZarDxt5, kZarPaused, kSlotCount };
constexpr QuadRect kMeshes[] = {{24, 256, 216, 448}, {224, 256, 416, 448}};
constexpr unsigned kExampleTextureSize = 64;  // stone.bmp

}  // namespace winesuite

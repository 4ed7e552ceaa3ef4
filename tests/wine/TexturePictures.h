// The textures of the texture scenarios, computed the same way on both
// sides: the texels the scenarios write or store in files, the ZAR files and
// bitmaps they write, and where each texture is drawn. Texture filtering is
// point sampling, and every quad magnifies its texture by a whole number of
// pixels per texel, so the middle of each texel's block on the screen shows
// that texel alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "WineSuite.h"
#include "support/ImageFiles.h"
#include "tools/DxtEncoder.h"

namespace winesuite {

constexpr unsigned kPointFilter = 1;  // D3DTEXF_POINT, through SetTextureFilter

// Created textures: 8 x 8 texels; the last row is half transparent.
constexpr unsigned kCreatedSize = 8;
inline uint32_t CreatedTexel(unsigned x, unsigned y, unsigned frame) {
    const uint32_t alpha = y == kCreatedSize - 1 ? 0x80u : 0xFFu;
    const uint32_t red = 16 + 32 * x, green = 16 + 32 * y;
    const uint32_t blue = (40 + 96 * frame + 24 * ((x + y) & 1)) & 0xFF;
    return alpha << 24 | red << 16 | green << 8 | blue;
}
// A rectangle of the 32-bit created texture given another colour in its
// system copy and uploaded alone; texel (0, 0) is changed in the copy too,
// outside the rectangle, and never uploaded.
constexpr QuadRect kUpdatedTexels = {2, 2, 6, 5};
constexpr uint32_t kUpdatedColour = 0xFF20E0A0u;
constexpr uint32_t kNotUploadedColour = 0xFF000000u;
constexpr unsigned kCreatedFrames = 3;
constexpr unsigned kShownCreatedFrame = 1;

// The second texture of the two-layer material, modulating the first.
inline uint32_t SecondLayerTexel(unsigned x, unsigned y) {
    return 0xFF000000u | (255 - 20 * x) << 16 | (120 + 16 * y) << 8 | (200 - 10 * (x + y));
}

// Image files and ZAR files: 16 x 16 texels.
constexpr unsigned kFileSize = 16;
// ZAR pictures: `alpha` varies it across the picture, else it is opaque.
inline uint32_t ZarTexel(unsigned x, unsigned y, bool alpha) {
    const uint32_t a = alpha ? 40 + 13 * x + 1 * y : 0xFF;
    return a << 24 | (15 * x + 10) << 16 | (200 - 12 * y) << 8 | ((x * y * 5 + 60) & 0xFF);
}
// Frames of the animated ZAR file (8 x 8, opaque) and of the file sequence.
constexpr unsigned kAnimatedSize = 8;
constexpr unsigned short kZarDurations[] = {100, 200, 300};
constexpr unsigned kZarFrames = sizeof kZarDurations / sizeof kZarDurations[0];
constexpr unsigned kPausedZarFrame = 1;
inline uint32_t FrameTexel(unsigned x, unsigned y, unsigned frame) {
    return 0xFF000000u | ((60 * frame + 20 * x) & 0xFF) << 16 | (30 + 25 * y) << 8 |
           ((250 - 70 * frame) & 0xFF);
}
constexpr unsigned kSequenceFrames = 4;
constexpr int kSequenceRate = 10;  // frames a second: 100 ms each
constexpr unsigned kShownSequenceFrame = 2;

enum class ZarKind { Rgba, Dxt1, Dxt5, Animated };

// A ZAR file: the 64-byte header, the durations, then the frames (raw
// red, green, blue[, alpha] bytes, or DXT blocks from the project's encoder).
inline std::vector<uint8_t> ZarBytes(ZarKind kind) {
    const bool animated = kind == ZarKind::Animated;
    const unsigned size = animated ? kAnimatedSize : kFileSize;
    const unsigned frames = animated ? kZarFrames : 1;
    const int compression = kind == ZarKind::Dxt1 ? 1 : kind == ZarKind::Dxt5 ? 5 : 0;
    const unsigned layout = kind == ZarKind::Rgba ? 0x0009 : 0x0007;
    std::vector<uint8_t> out = {'Z', 'A', 'R', 0, static_cast<uint8_t>(size), 0,
                                static_cast<uint8_t>(size), 0, static_cast<uint8_t>(layout), 0,
                                0xAA, 0, static_cast<uint8_t>(compression)};
    out.resize(64, 0);
    out[15] = static_cast<uint8_t>(animated ? frames : 0);
    if (animated)
        for (unsigned short duration : kZarDurations)
            out.insert(out.end(), {static_cast<uint8_t>(duration), static_cast<uint8_t>(duration >> 8)});
    const auto texel = [&](unsigned x, unsigned y, unsigned frame) {
        return animated ? FrameTexel(x, y, frame) : ZarTexel(x, y, kind != ZarKind::Dxt1);
    };
    for (unsigned frame = 0; frame < frames; ++frame) {
        if (compression == 0) {
            for (unsigned y = 0; y < size; ++y)
                for (unsigned x = 0; x < size; ++x) {
                    const uint32_t argb = texel(x, y, frame);
                    out.insert(out.end(), {static_cast<uint8_t>(argb >> 16),
                                           static_cast<uint8_t>(argb >> 8), static_cast<uint8_t>(argb)});
                    if (layout & 0x0008) out.push_back(static_cast<uint8_t>(argb >> 24));
                }
            continue;
        }
        for (unsigned by = 0; by < size; by += 4)
            for (unsigned bx = 0; bx < size; bx += 4) {
                uint8_t rgba[64], block[16];
                for (unsigned i = 0; i < 16; ++i) {
                    const uint32_t argb = texel(bx + i % 4, by + i / 4, frame);
                    rgba[4 * i] = static_cast<uint8_t>(argb >> 16);
                    rgba[4 * i + 1] = static_cast<uint8_t>(argb >> 8);
                    rgba[4 * i + 2] = static_cast<uint8_t>(argb);
                    rgba[4 * i + 3] = static_cast<uint8_t>(argb >> 24);
                }
                EncodeDxtBlock(rgba, compression, block);
                out.insert(out.end(), block, block + (compression == 1 ? 8 : 16));
            }
    }
    return out;
}
// Where a ZAR file's blocks start (after the header and any durations).
inline size_t ZarPayloadOffset(ZarKind kind) {
    return 64 + (kind == ZarKind::Animated ? 2 * kZarFrames : 0);
}

// Where the textures are drawn: slots of 64 x 64 pixels, eight to a row
// (a 16-texel texture at 4 pixels a texel, an 8-texel one at 8).
constexpr QuadRect Slot(int index) {
    return {16 + 80 * (index % 8), 16 + 80 * (index / 8), 16 + 80 * (index % 8) + 64,
            16 + 80 * (index / 8) + 64};
}
constexpr Rgb kTextureClear = {0.3f, 0.35f, 0.4f};

// The scenario "textures": created ones (32-bit, 16-bit, a rectangle
// updated, an animation paused), one image file of each format and a
// sequence, ZAR files (uncompressed, DXT1, DXT5, animated paused and ended),
// and textured materials, drawn before and after ResetDevice.
enum TextureSlot {
    kCreated32, kCreated16, kCreatedUpdated, kCreatedAnimated,
    kFileBmp, kFileTga, kFilePng, kFileDds, kFileJpeg, kFileSequence,
    kZarRgba, kZarDxt1, kZarDxt5, kZarPaused, kZarEnded, kSlotCount
};

// Below the slots: the example materials and a two-layer material (the
// 32-bit created texture modulated by SecondLayerTexel) on meshes of two
// triangles each.
constexpr QuadRect kMeshes[] = {{24, 256, 216, 448}, {224, 256, 416, 448}, {424, 256, 616, 448}};
constexpr unsigned kExampleTextureSize = 64;  // stone.bmp and moss.tga

// The image files, one of each format.
inline std::vector<ImageFile> PictureFiles() {
    return {BmpFile(Bmp::Rgb24, kFileSize, kFileSize, false),
            TgaFile(Tga::Rgb24, kFileSize, kFileSize, true, false),
            PngFile(6, 8, kFileSize, kFileSize, false, false),  // RGB with alpha
            DdsFile(D3DFMT_R5G6B5, kFileSize, kFileSize, 1), JpegFile(false, false, kFileSize, kFileSize)};
}

}  // namespace winesuite

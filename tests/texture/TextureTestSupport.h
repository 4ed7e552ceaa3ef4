// Helpers for the texture tests: ZAR files written by the test, the plug-in
// texture's own operations reached through its virtual table, the pixels of
// the Direct3D frame a texture binds, and a reference DXT decoder written
// from the block layout independently of the plug-in's.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/HostTypes.h"
#include "host/RenderDevice.h"
#include "host/Texture.h"
#include "support/ImageFiles.h"
#include "support/PluginHarness.h"
#include "support/TestFiles.h"
#include "support/ZarFile.h"

namespace orvtest {

// The operations the plug-in's texture adds after the 35 of Texture, called
// by their place in its virtual table as the host calls operations (with
// the Itanium layout, whose virtual destructor takes two entries).
template <typename Result, typename... Arguments>
Result CallTextureSlot(Texture* texture, size_t slot, Arguments... arguments) {
    using Entry = Result (*)(Texture*, Arguments...);
    void* const* table = *reinterpret_cast<void* const* const*>(texture);
    return reinterpret_cast<Entry>(table[slot + 1])(texture, arguments...);
}
inline int LoadFromFile(Texture* texture, const char* fileName, int fileType, bool prefer32Bit,
                        bool mipmaps, bool keepCopy) {
    return CallTextureSlot<int>(texture, 36, fileName, fileType, prefer32Bit, mipmaps, keepCopy);
}
inline bool Bind(Texture* texture, unsigned stage) { return CallTextureSlot<bool>(texture, 38, stage); }

// Deterministic pseudo-random bytes.
inline std::vector<uint8_t> NoiseBytes(size_t count, uint32_t seed) {
    std::vector<uint8_t> bytes(count);
    for (uint8_t& byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(seed >> 24);
    }
    return bytes;
}

// An uncompressed file of noise pixels, `bytesPerPixel` each; animated
// when durations are given.
inline ZarFile NoiseZar(uint16_t width, uint16_t height, uint16_t layout, unsigned bytesPerPixel,
                        std::vector<uint16_t> durations, uint32_t seed) {
    ZarFile file;
    file.width = width, file.height = height, file.layoutFlags = layout;
    file.frameCount = static_cast<uint8_t>(durations.size());
    file.payload = NoiseBytes(size_t{width} * height * bytesPerPixel * std::max<size_t>(1, durations.size()), seed);
    file.durations = std::move(durations);
    return file;
}

inline unsigned DxtBlockBytes(int compression) { return compression == 1 ? 8 : 16; }

// A DXT file of `frames` frames (animated when frames > 1, each 40 ms and a
// millisecond more than the one before), noise blocks; `mips` smaller levels
// (filled with 0xEE) follow each frame but the last.
inline ZarFile DxtZar(int compression, uint16_t width, uint16_t height, unsigned frames, uint8_t mips = 0,
                      uint32_t seed = 1) {
    ZarFile file;
    file.width = width, file.height = height;
    file.compression = static_cast<uint8_t>(compression);
    file.storedMipLevels = mips;
    if (frames > 1) {
        file.frameCount = static_cast<uint8_t>(frames);
        for (unsigned i = 0; i < frames; ++i) file.durations.push_back(static_cast<uint16_t>(40 + i));
    }
    const size_t blocks = ((width + 3) / 4) * ((height + 3) / 4);
    size_t mipBlocks = 0;
    for (size_t w = (width + 3) / 4, h = (height + 3) / 4, l = 0; l < mips; ++l)
        w = (w + 1) / 2, h = (h + 1) / 2, mipBlocks += w * h;
    for (unsigned i = 0; i < frames; ++i) {
        const std::vector<uint8_t> top = NoiseBytes(blocks * DxtBlockBytes(compression), seed + i);
        file.payload.insert(file.payload.end(), top.begin(), top.end());
        if (i + 1 < frames) file.payload.resize(file.payload.size() + mipBlocks * DxtBlockBytes(compression), 0xEE);
    }
    return file;
}

// Level 0 of the Direct3D frame that a texture binds to stage 0.
struct FrameContents {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT levels = 0;
    int pitch = 0;
    std::vector<uint8_t> bytes;  // rows `pitch` apart
    orvd3d8::Image image;        // as A8R8G8B8 (uncompressed colour formats only)
    template <typename Word = uint32_t> Word At(unsigned x, unsigned y) const {
        Word v;
        std::memcpy(&v, &bytes[y * pitch + sizeof v * x], sizeof v);
        return v;
    }
};

// Reference decoding of one DXT block into 16 ARGB pixels (row by row), each
// interpolated value rounded to the nearest.
inline void ReferenceDecodeBlock(const uint8_t* block, int dxt, uint32_t out[16]) {
    const uint8_t* colour = dxt == 1 ? block : block + 8;
    const unsigned c0 = colour[0] | (colour[1] << 8), c1 = colour[2] | (colour[3] << 8);
    auto channels = [](unsigned c, unsigned* rgb) {
        rgb[0] = ((c >> 11) * 255 + 15) / 31;
        rgb[1] = (((c >> 5) & 63) * 255 + 31) / 63;
        rgb[2] = ((c & 31) * 255 + 15) / 31;
    };
    unsigned a[3], b[3], p[4][4];
    channels(c0, a), channels(c1, b);
    const bool three = dxt == 1 && c0 <= c1;
    for (int i = 0; i < 3; ++i) {
        p[0][i] = a[i];
        p[1][i] = b[i];
        p[2][i] = three ? (a[i] + b[i]) / 2 : (2 * a[i] + b[i] + 1) / 3;
        p[3][i] = three ? (a[i] + b[i]) / 2 : (a[i] + 2 * b[i] + 1) / 3;
    }
    p[0][3] = p[1][3] = p[2][3] = 255;
    p[3][3] = three ? 0 : 255;
    const uint32_t indices = colour[4] | (colour[5] << 8) | (colour[6] << 16) | (uint32_t{colour[7]} << 24);
    const unsigned a0 = block[0], a1 = block[1];
    unsigned alphas[8] = {a0, a1};
    for (int i = 2; i < 8 && dxt >= 4; ++i)
        alphas[i] = a0 > a1 ? ((8 - i) * a0 + (i - 1) * a1 + 3) / 7
                  : i < 6   ? ((6 - i) * a0 + (i - 1) * a1 + 2) / 5
                            : (i == 6 ? 0 : 255);
    for (int pixel = 0; pixel < 16; ++pixel) {
        const int r = pixel / 4, c = pixel % 4;
        const unsigned* entry = p[(indices >> (2 * pixel)) & 3];
        unsigned alpha = entry[3];
        if (dxt == 2 || dxt == 3) {
            alpha = (((block[2 * r] | (block[2 * r + 1] << 8)) >> (4 * c) & 15) * 255 + 7) / 15;
        } else if (dxt >= 4) {
            const uint8_t* bits = block + (r < 2 ? 2 : 5);
            alpha = alphas[((bits[0] | (bits[1] << 8) | (bits[2] << 16)) >> (3 * (4 * (r % 2) + c))) & 7];
        }
        out[pixel] = (alpha << 24) | (entry[0] << 16) | (entry[1] << 8) | entry[2];
    }
}

// A windowed display whose device offers the given texture formats (all of
// the stand-in's defaults when empty), and files written under the test
// output directory.
class TextureTest : public PluginTest {
protected:
    RenderDevice* Display(const std::vector<D3DFORMAT>& formats = {}, unsigned bitDepth = 16) {
        if (!formats.empty()) orvd3d8::Adapter(0).textureFormats = formats;
        m_pRenderer = CreateWindowed();
        m_pD3D = orvd3d8::LastDevice();
        if (m_pRenderer) m_pRenderer->SetTextureBitDepth(bitDepth);
        return m_pRenderer;
    }
    using PluginTest::Write;
    std::string Write(const std::string& name, const ZarFile& file) { return Write(name, file.Bytes()); }
    std::string Write(const std::string& name, const ImageFile& file) { return Write(name, file.bytes); }
    // The file written under `name` and loaded.
    template <typename File>
    Texture* FromFile(const std::string& name, const File& file, bool mipmaps = false, bool unique = true) {
        return m_pRenderer->CreateTextureFromFile(Write(name, file).c_str(), mipmaps, unique);
    }
    // Level 0 of the frame the texture binds now; stage 0 is left empty.
    FrameContents Bound(Texture* texture) {
        FrameContents contents;
        m_pRenderer->SetTexture(0, texture);
        IDirect3DBaseTexture8* base = nullptr;
        m_pD3D->GetTexture(0, &base);
        m_pRenderer->SetTexture(0, nullptr);
        if (!base) return contents;
        IDirect3DTexture8* frame = static_cast<IDirect3DTexture8*>(base);
        const orvd3d8::LevelBytes level = orvd3d8::TextureLevelBytes(frame, 0);
        contents = {level.format, frame->GetLevelCount(), int(level.pitch), level.bytes, {}};
        if (level.format < D3DFMT_DXT1 || level.format > D3DFMT_DXT5) contents.image = orvd3d8::TextureLevelImage(frame, 0);
        base->Release();
        return contents;
    }
    // Frame `frame` as the current device holds it; the texture's animation
    // state is left as it was.
    FrameContents BoundAt(Texture* texture, unsigned frame) {
        const bool playing = texture->IsPlaying();
        const unsigned paused = texture->GetCurrentFrame();
        texture->SetPlaying(false);
        texture->SetFrame(frame);
        FrameContents contents = Bound(texture);
        texture->SetFrame(paused);
        texture->SetPlaying(playing);
        return contents;
    }

    RenderDevice* m_pRenderer = nullptr;
    IDirect3DDevice8* m_pD3D = nullptr;
};

}  // namespace orvtest

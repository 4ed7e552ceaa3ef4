// Helpers for the texture tests: ZAR files written by the test, the plug-in
// texture's own operations reached through its virtual table and the pixels
// of the Direct3D frame a texture binds.
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
constexpr size_t kLoadFromFileSlot = 36, kBindSlot = 38;
template <typename Result, typename... Arguments>
Result CallTextureSlot(Texture* texture, size_t slot, Arguments... arguments) {
    void* const* table = *reinterpret_cast<void* const* const*>(texture);
    return reinterpret_cast<Result (*)(Texture*, Arguments...)>(table[slot + 1])(texture, arguments...);
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
    file.width = width, file.height = height, file.compression = uint8_t(compression), file.storedMipLevels = mips;
    size_t mipBytes = 0;
    for (size_t w = (width + 3) / 4, h = (height + 3) / 4, l = 0; l < mips; ++l)
        w = (w + 1) / 2, h = (h + 1) / 2, mipBytes += w * h * DxtBlockBytes(compression);
    for (unsigned i = 0; i < frames; ++i) {
        if (frames > 1) file.durations.push_back(uint16_t(40 + i));
        const std::vector<uint8_t> top = NoiseBytes((width + 3) / 4 * ((height + 3) / 4) * DxtBlockBytes(compression), seed + i);
        file.payload.insert(file.payload.end(), top.begin(), top.end());
        file.payload.resize(file.payload.size() + (i + 1 < frames ? mipBytes : 0), 0xEE);
    }
    file.frameCount = uint8_t(file.durations.size());
    return file;
}

// Frame `frame` of a sequence: the pattern with its colour turned.
inline Picture SequenceFrame(unsigned frame) {
    Picture picture = Pattern(8, 8);
    for (uint32_t& pixel : picture.argb) pixel ^= 0x00402010u * (frame + 1);
    return picture;
}

// Level 0 of the Direct3D frame that a texture binds to stage 0.
struct FrameContents {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT levels = 0;
    int pitch = 0;
    std::vector<uint8_t> bytes;  // rows `pitch` apart
    Picture image;               // as A8R8G8B8 (uncompressed colour formats only)
    template <typename Word = uint32_t> Word At(unsigned x, unsigned y) const {
        Word v;
        std::memcpy(&v, &bytes[y * pitch + sizeof v * x], sizeof v);
        return v;
    }
};

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
        if (level.format < D3DFMT_DXT1 || level.format > D3DFMT_DXT5) {
            const orvd3d8::Image image = orvd3d8::TextureLevelImage(frame, 0);
            contents.image = {UINT(image.width), UINT(image.height), image.pixels};
        }
        base->Release();
        return contents;
    }
    // Starts the texture's cycle at tick `start`.
    void Restart(Texture* texture, uint32_t start) {
        texture->SetPlaying(false), orvplatform::SetTickCount(start), texture->SetPlaying(true);
    }
    // name0.tga .. name<count-1>.tga of SequenceFrame; the path of the first.
    std::string WriteSequence(const std::string& name, unsigned count) {
        for (unsigned i = 0; i < count; ++i)
            Write(name + std::to_string(i) + ".tga", TgaFile(Tga::Argb32, SequenceFrame(i), false, false));
        return OutputPath(name + "0.tga");
    }
    // A 1 x 1 animated texture whose frame i holds the colour 0xFF0000i0 + i.
    Texture* Frames(const std::vector<uint16_t>& durations) {
        ZarFile file = NoiseZar(1, 1, 0x0009, 0, durations, 0);
        for (size_t i = 0; i < durations.size(); ++i) file.payload.insert(file.payload.end(), {0, 0, uint8_t(i), 255});
        return FromFile("frames.zar", file);
    }
    // The frame of Frames the texture binds now, told by its colour; at a tick.
    int BoundFrame(Texture* texture) {
        const FrameContents bound = Bound(texture);
        return bound.bytes.empty() ? -1 : static_cast<int>(bound.At(0, 0) & 0xFF);
    }
    int FrameAt(Texture* texture, uint32_t tick) { return orvplatform::SetTickCount(tick), BoundFrame(texture); }
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

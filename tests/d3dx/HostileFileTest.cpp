// Damaged image files of every format, truncated and with bytes changed:
// each load fails with nothing left behind or gives a whole texture (run
// under the sanitizers too).
#include <png.h>

#include "DeviceFixture.h"

namespace {

class HostileFile : public DeviceFixture {
protected:
    // Small limits keep a corrupted size field from asking for much memory.
    void ConfigureAdapter(orvd3d8::AdapterConfig& adapter) override {
        adapter.maxTextureWidth = adapter.maxTextureHeight = 512;
    }
};

TEST_F(HostileFile, TruncatedAndChangedFilesFailOrLoadWhole) {
    const std::vector<uint8_t> samples[] = {
        BmpFile(Bmp::Rle8, 21, 9, false).bytes,
        BmpFile(Bmp::Argb32Fields, 7, 5, false, false).bytes,
        TgaFile(Tga::Mapped8, 17, 9, true, false).bytes,
        TgaFile(Tga::Argb32, 17, 9, true, true).bytes,
        PngFile(PNG_COLOR_TYPE_PALETTE, 4, 17, 11, true, true).bytes,
        PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 16, 13, 7, false, false).bytes,
        JpegFile(false, false, 24, 16).bytes,
        DdsFile(D3DFMT_A8R8G8B8, 8, 4, 3).bytes,
        DdsBlockFile(D3DFMT_DXT5, 16, 8, 5, 3),
    };
    uint32_t state = 12345;
    auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 8; };
    for (const std::vector<uint8_t>& sample : samples) {
        std::vector<std::vector<uint8_t>> damaged;
        for (size_t length = 1; length < sample.size(); ++length)
            if (length % 16 == 0 || length + 8 >= sample.size()) damaged.emplace_back(sample.begin(), sample.begin() + long(length));
        for (int trial = 0; trial < 100; ++trial) {
            std::vector<uint8_t> bytes = sample;
            for (int i = 0, changes = 1 + int(next() % 4); i < changes; ++i)  // mostly the headers
                bytes[next() % (next() % 2 ? std::min<size_t>(bytes.size(), 160) : bytes.size())] ^= uint8_t(1 + next() % 255);
            damaged.push_back(bytes);
        }
        for (size_t i = 0; i < damaged.size(); ++i) {
            IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(1);
            if (FAILED(Load(damaged[i], &texture))) {
                ASSERT_EQ(texture, nullptr) << i;
                continue;
            }
            D3DSURFACE_DESC desc;
            ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
            EXPECT_EQ(texture->GetLevelCount(), FullChain(desc.Width, desc.Height));
            EXPECT_EQ(texture->Release(), 0u);
        }
    }
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 2u);
}

}  // namespace

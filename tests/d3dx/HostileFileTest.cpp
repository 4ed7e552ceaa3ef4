// Damaged image files: every format truncated at many lengths and with
// random bytes changed. Each load either fails with nothing left behind or
// gives a whole texture; none may fault or leak (these run under the
// sanitizers too).
#include <png.h>

#include "DeviceFixture.h"

namespace {

class HostileFile : public DeviceFixture {
protected:
    // Small limits keep a corrupted size field from asking for much memory.
    void ConfigureAdapter(orvd3d8::AdapterConfig& adapter) override {
        adapter.maxTextureWidth = adapter.maxTextureHeight = 512;
    }

    // Loads bytes; a success must be a complete texture.
    void Survive(const std::vector<uint8_t>& bytes) {
        IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(1);
        const HRESULT hr = Load(bytes, &texture);
        if (FAILED(hr)) {
            EXPECT_EQ(texture, nullptr);
            return;
        }
        ASSERT_NE(texture, nullptr);
        D3DSURFACE_DESC desc;
        EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(texture->GetLevelCount(), FullChain(desc.Width, desc.Height));
        EXPECT_EQ(texture->Release(), 0u);
    }
};

struct Sample {
    const char* name;
    std::vector<uint8_t> bytes;
};

std::vector<Sample> Samples() {
    return {
        {"BMP 8-bit", BmpFile(Bmp::Palette8, 12, 9, false).bytes},
        {"BMP RLE8", BmpFile(Bmp::Rle8, 21, 9, false).bytes},
        {"BMP RLE4", BmpFile(Bmp::Rle4, 21, 9, false).bytes},
        {"BMP 5:6:5 top-down", BmpFile(Bmp::BitFields565, 12, 9, true).bytes},
        {"DIB 8:8:8:8", BmpFile(Bmp::Argb32Fields, 7, 5, false, false).bytes},
        {"TGA mapped RLE", TgaFile(Tga::Mapped8, 17, 9, true, false).bytes},
        {"TGA 32-bit RLE", TgaFile(Tga::Argb32, 17, 9, true, true).bytes},
        {"TGA 16-bit", TgaFile(Tga::Argb16, 9, 5, false, false).bytes},
        {"PNG palette interlaced", PngFile(PNG_COLOR_TYPE_PALETTE, 4, 17, 11, true, true).bytes},
        {"PNG RGBA 16-bit", PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 16, 13, 7, false, false).bytes},
        {"PNG grey 2-bit", PngFile(PNG_COLOR_TYPE_GRAY, 2, 19, 9, false, false).bytes},
        {"JPEG colour", JpegFile(false, false, 24, 16).bytes},
        {"JPEG grey progressive", JpegFile(true, true, 24, 16).bytes},
        {"JPEG colour progressive", JpegFile(false, true, 16, 24).bytes},
        {"DDS A8R8G8B8 with levels", DdsFile(D3DFMT_A8R8G8B8, 8, 4, 3).bytes},
        {"DDS R5G6B5", DdsFile(D3DFMT_R5G6B5, 6, 5, 1).bytes},
        {"DDS DXT1 with levels", DdsBlockFile(D3DFMT_DXT1, 16, 8, 5, 3)},
        {"DDS DXT5", DdsBlockFile(D3DFMT_DXT5, 12, 8, 1, 4)},
    };
}

TEST_F(HostileFile, TruncatedFilesFailOrLoad) {
    for (const Sample& sample : Samples()) {
        SCOPED_TRACE(sample.name);
        const size_t size = sample.bytes.size();
        for (size_t length = 1; length < size; ++length) {
            if (length % 16 != 0 && length + 8 < size) continue;
            SCOPED_TRACE(length);
            Survive({sample.bytes.begin(), sample.bytes.begin() + static_cast<long>(length)});
            // Every truncation inside the headers and the pixels is damage.
            if (HasFatalFailure()) return;
        }
    }
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 2u);
}

TEST_F(HostileFile, RandomlyChangedBytesFailOrLoad) {
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    for (const Sample& sample : Samples()) {
        SCOPED_TRACE(sample.name);
        for (int trial = 0; trial < 120; ++trial) {
            std::vector<uint8_t> bytes = sample.bytes;
            // Mostly the headers, where sizes and counts live.
            const int changes = 1 + static_cast<int>(next() % 4);
            for (int i = 0; i < changes; ++i) {
                const size_t span = next() % 2 ? std::min<size_t>(bytes.size(), 160) : bytes.size();
                bytes[next() % span] ^= static_cast<uint8_t>(1 + next() % 255);
            }
            SCOPED_TRACE(trial);
            Survive(bytes);
            if (HasFatalFailure()) return;
        }
    }
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 2u);
}

TEST_F(HostileFile, TruncatedImagesAreRefused) {
    // Cut inside the pixel data: never taken for a whole image.
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {{"BMP", BmpFile(Bmp::Rgb24, 16, 16, false).bytes},
                 {"TGA RLE", TgaFile(Tga::Rgb24, 16, 16, true, false).bytes},
                 {"PNG", PngFile(PNG_COLOR_TYPE_RGB, 8, 16, 16, false, false).bytes},
                 {"JPEG", JpegFile(false, false, 32, 32).bytes},
                 {"DDS", DdsBlockFile(D3DFMT_DXT3, 16, 16, 1, 9)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> cut(c.bytes.begin(), c.bytes.end() - 40);
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(Load(cut, &texture), D3DXERR_INVALIDDATA);
        EXPECT_EQ(texture, nullptr);
    }
}

}  // namespace

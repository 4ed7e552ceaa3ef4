// D3DXFilterTexture: box-filtered levels of every uncompressed format the
// plug-in creates, odd sides down to 1 x 1, and refused arguments.
#include <png.h>

#include "DeviceFixture.h"

namespace {

using FilterTexture = DeviceFixture;

TEST_F(FilterTexture, BoxFiltersEveryFormatAndOddSidesDownToOnePixel) {
    for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A4R4G4B4, D3DFMT_A8L8})
        for (auto [width, height] : {std::pair<UINT, UINT>{5, 3}, {1, 9}, {33, 17}}) {
            const std::vector<uint8_t> dds = DdsFile(format, width, height, 1).bytes;  // a pattern after 128 bytes
            IDirect3DTexture8* texture = Filled(width, height, format, {dds.begin() + 128, dds.end()});
            ASSERT_NE(texture, nullptr);
            ASSERT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT), D3D_OK);
            const double tolerance = format == D3DFMT_A4R4G4B4 ? 10.0 : format == D3DFMT_R5G6B5 ? 6.0 : 1.5;
            EXPECT_LE(WorstMipError(texture), tolerance) << format << " " << width << "x" << height;
            EXPECT_EQ(orvd3d8::TextureLevelImage(texture, texture->GetLevelCount() - 1).pixels.size(), 1u);
            texture->Release();
        }
}

// Counts the channels of every level that halves the one above exactly that
// are not (sum of the four it covers + 2) / 4.
int WrongHalvedChannels(IDirect3DTexture8* texture) {
    int wrong = 0;
    orvd3d8::Image above = orvd3d8::TextureLevelImage(texture, 0);
    for (UINT level = 1; level < texture->GetLevelCount(); ++level) {
        const orvd3d8::Image image = orvd3d8::TextureLevelImage(texture, level);
        if (image.width * 2 != above.width || image.height * 2 != above.height) break;
        for (int i = 0; i < image.width * image.height; ++i)
            for (int c = 0, x = i % image.width, y = i / image.width; c < 32; c += 8) {
                const auto at = [&](int dx, int dy) { return above.At(2 * x + dx, 2 * y + dy) >> c & 0xFF; };
                wrong += (image.At(x, y) >> c & 0xFF) != (at(0, 0) + at(1, 0) + at(0, 1) + at(1, 1) + 2) / 4;
            }
        above = image;
    }
    return wrong;
}

TEST_F(FilterTexture, HalvedLevelsAreTheRoundedMeansOfTheLevelAbove) {
    // Sides that halve exactly, with row lengths that are and are not
    // multiples of eight and four pixels (the widest steps of the filter),
    // and random bytes (every remainder of a sum).
    for (auto [width, height] : {std::pair<UINT, UINT>{64, 16}, {28, 12}, {62, 6}}) {
        IDirect3DTexture8* texture = Filled(width, height, D3DFMT_X8R8G8B8, NoiseBytes(size_t{width} * height * 4, width));
        ASSERT_NE(texture, nullptr);
        ASSERT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT), D3D_OK);
        EXPECT_EQ(WrongHalvedChannels(texture), 0) << width << "x" << height;
        texture->Release();
    }
    // A file decoded straight into the texture has its levels made while the
    // decoder runs, a band of rows at a time: heights that end in the middle
    // of a band and sides that stop halving exactly.
    for (auto [width, height] : {std::pair<UINT, UINT>{64, 72}, {40, 20}, {96, 34}})
        for (const ImageFile& file : {PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, width, height, false, false),
                                      JpegFile(false, false, width, height)}) {
            IDirect3DTexture8* texture = LoadOk(file.bytes);
            ASSERT_NE(texture, nullptr) << file.name;
            EXPECT_EQ(WrongHalvedChannels(texture), 0) << file.name;
            EXPECT_LE(WorstMipError(texture), 1.5) << file.name;
            texture->Release();
        }
}

TEST_F(FilterTexture, RefusesBadArguments) {
    IDirect3DTexture8* texture = Filled(4, 4, D3DFMT_A8R8G8B8, NoiseBytes(64, 1));
    EXPECT_EQ(D3DXFilterTexture(nullptr, nullptr, 0, D3DX_DEFAULT), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXFilterTexture(texture, nullptr, 3, D3DX_DEFAULT), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXFilterTexture(texture, nullptr, 0, 9), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXFilterTexture(texture, nullptr, 2, D3DX_DEFAULT), D3D_OK) << "the last level: nothing to do";
    texture->Release();
}

}  // namespace

// Image files into textures: each format and variant the loader reads, at
// its size and format with a full mip chain of box-filtered levels; the
// device's format and size rules; refusals that leave nothing behind.
#include <functional>

#include <png.h>

#include "DeviceFixture.h"

namespace {

// Mip levels may differ from the exact area averages by the rounding of each
// level and the precision of the format.
double MipTolerance(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_X1R5G5B5:
        case D3DFMT_R5G6B5: return 6.0;
        case D3DFMT_A1R5G5B5: return 128.0;  // one bit of alpha
        case D3DFMT_A4R4G4B4: return 10.0;
        default: return 2.0;
    }
}

struct Variant {
    std::string name;
    std::function<ImageFile()> make;
    int pixelTolerance;
};

std::vector<Variant> Variants() {
    std::vector<Variant> variants;
    const struct {
        const char* name;
        Bmp kind;
    } bitmaps[] = {{"1-bit", Bmp::Palette1},  {"4-bit", Bmp::Palette4},   {"8-bit", Bmp::Palette8},
                   {"RLE4", Bmp::Rle4},       {"RLE8", Bmp::Rle8},        {"5:5:5", Bmp::Rgb555},
                   {"5:6:5 fields", Bmp::BitFields565}, {"24-bit", Bmp::Rgb24}, {"32-bit", Bmp::Rgb32},
                   {"8:8:8:8 fields", Bmp::Argb32Fields}};
    for (const auto& bitmap : bitmaps)
        for (bool topDown : {false, true}) {
            if (topDown && (bitmap.kind == Bmp::Rle4 || bitmap.kind == Bmp::Rle8)) continue;
            variants.push_back({std::string("BMP ") + bitmap.name + (topDown ? " top-down" : ""),
                                [=] { return BmpFile(bitmap.kind, 13, 7, topDown); }, 0});
        }
    variants.push_back({"DIB without file header", [] { return BmpFile(Bmp::Palette8, 9, 4, false, false); }, 0});

    const struct {
        const char* name;
        Tga kind;
    } targas[] = {{"mapped", Tga::Mapped8}, {"grey", Tga::Grey8},   {"15-bit", Tga::Rgb15},
                  {"16-bit", Tga::Argb16},  {"24-bit", Tga::Rgb24}, {"32-bit", Tga::Argb32}};
    for (const auto& targa : targas)
        for (bool runLength : {false, true})
            for (bool topDown : {false, true})
                variants.push_back({std::string("TGA ") + targa.name + (runLength ? " RLE" : "") +
                                        (topDown ? " top-down" : ""),
                                    [=] { return TgaFile(targa.kind, 11, 6, runLength, topDown); }, 0});

    const struct {
        int colourType, bitDepth;
        bool transparency;
    } pngs[] = {{PNG_COLOR_TYPE_GRAY, 1, false},       {PNG_COLOR_TYPE_GRAY, 2, false},
                {PNG_COLOR_TYPE_GRAY, 4, false},       {PNG_COLOR_TYPE_GRAY, 8, true},
                {PNG_COLOR_TYPE_GRAY, 16, false},      {PNG_COLOR_TYPE_GRAY, 16, true},
                {PNG_COLOR_TYPE_RGB, 8, false},        {PNG_COLOR_TYPE_RGB, 8, true},
                {PNG_COLOR_TYPE_RGB, 16, false},       {PNG_COLOR_TYPE_PALETTE, 1, false},
                {PNG_COLOR_TYPE_PALETTE, 2, false},    {PNG_COLOR_TYPE_PALETTE, 4, true},
                {PNG_COLOR_TYPE_PALETTE, 8, true},     {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false},
                {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false}, {PNG_COLOR_TYPE_RGB_ALPHA, 8, false},
                {PNG_COLOR_TYPE_RGB_ALPHA, 16, false}};
    for (const auto& png : pngs)
        for (bool interlaced : {false, true})
            variants.push_back({"PNG type " + std::to_string(png.colourType) + " depth " +
                                    std::to_string(png.bitDepth) + (png.transparency ? " tRNS" : "") +
                                    (interlaced ? " interlaced" : ""),
                                [=] { return PngFile(png.colourType, png.bitDepth, 13, 9, interlaced, png.transparency); },
                                png.bitDepth == 16 ? 1 : 0});

    for (bool grey : {false, true})
        for (bool progressive : {false, true})
            variants.push_back({std::string("JPEG ") + (grey ? "grey" : "colour") + (progressive ? " progressive" : ""),
                                [=] { return JpegFile(grey, progressive, 40, 24); }, 10});
    variants.push_back({"JPEG colour, odd sides", [] { return JpegFile(false, false, 41, 23); }, 10});

    for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5,
                             D3DFMT_A4R4G4B4, D3DFMT_L8, D3DFMT_A8L8, D3DFMT_A8})
        variants.push_back({"DDS format " + std::to_string(format), [=] { return DdsFile(format, 12, 5, 1); }, 0});
    return variants;
}

class TextureFile : public DeviceFixture {};

TEST_F(TextureFile, LoadsEveryVariantWithItsSizeFormatPixelsAndFilteredLevels) {
    for (const Variant& variant : Variants()) {
        SCOPED_TRACE(variant.name);
        const ImageFile file = variant.make();
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(Load(file.bytes, &texture), D3D_OK);
        ASSERT_NE(texture, nullptr);
        D3DSURFACE_DESC desc;
        ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, file.expected.width);
        EXPECT_EQ(desc.Height, file.expected.height);
        EXPECT_EQ(desc.Format, file.format);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        EXPECT_LE(WorstPixelError(texture, file.expected), variant.pixelTolerance);
        UINT levels = 0;
        EXPECT_LE(WorstMipError(texture, &levels), MipTolerance(desc.Format));
        EXPECT_EQ(levels, FullChain(desc.Width, desc.Height));
        EXPECT_EQ(texture->Release(), 0u);
    }
}

TEST_F(TextureFile, KeepsTheLevelsADdsFileStores) {
    // Two of four levels stored: they are used as they are, the others filtered.
    const ImageFile file = DdsFile(D3DFMT_A8R8G8B8, 8, 8, 2);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(Load(file.bytes, &texture), D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 4u);
    const orvd3d8::Image level1 = orvd3d8::TextureLevelImage(texture, 1);
    const orvd3d8::Image level2 = orvd3d8::TextureLevelImage(texture, 2);
    const size_t storedAt = 128 + 8 * 8 * 4;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            uint32_t stored;
            std::memcpy(&stored, &file.bytes[storedAt + (y * 4 + x) * 4], 4);
            EXPECT_EQ(level1.At(x, y), stored) << x << "," << y;
        }
    for (int c = 0; c < 32; c += 8) {
        double sum = 0;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) sum += level1.At(x, y) >> c & 0xFF;
        EXPECT_NEAR(level2.At(0, 0) >> c & 0xFF, sum / 4, 0.51);
    }
    texture->Release();

    // Compressed files: stored levels byte for byte, the rest filled.
    for (D3DFORMAT format : {D3DFMT_DXT1, D3DFMT_DXT3, D3DFMT_DXT5}) {
        const std::vector<uint8_t> dds = DdsBlockFile(format, 16, 8, 3, 7);
        ASSERT_EQ(Load(dds, &texture), D3D_OK);
        ASSERT_EQ(texture->GetLevelCount(), 5u);
        for (UINT level = 0; level < 3; ++level) {
            const orvd3d8::LevelBytes bytes = orvd3d8::TextureLevelBytes(texture, level);
            EXPECT_EQ(bytes.format, format);
            EXPECT_EQ(bytes.bytes, DdsBlockLevel(dds, format, 16, 8, level)) << "level " << level;
        }
        EXPECT_EQ(texture->Release(), 0u);
    }
}

TEST_F(TextureFile, CompressedFilesGoUncompressedOnDevicesWithoutTheFormat) {
    // One DXT1 block of a single colour: c0 = c1 = pure red, all indices 0.
    const std::vector<uint8_t> header = DdsBlockFile(D3DFMT_DXT1, 4, 4, 1, 1);
    std::vector<uint8_t> dds(header.begin(), header.begin() + 128);
    dds.insert(dds.end(), {0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0});
    auto& formats = orvd3d8::Adapter(0).textureFormats;
    formats.erase(std::remove(formats.begin(), formats.end(), D3DFMT_DXT1), formats.end());
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(Load(dds, &texture), D3D_OK);
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    for (UINT level = 0; level < texture->GetLevelCount(); ++level)
        for (uint32_t pixel : orvd3d8::TextureLevelImage(texture, level).pixels) EXPECT_EQ(pixel, 0xFFFF0000u);
    texture->Release();
}

TEST_F(TextureFile, TakesTheNearestFormatTheDeviceOffers) {
    const struct {
        std::function<ImageFile()> make;
        std::vector<D3DFORMAT> removed;
        D3DFORMAT expected;
        int pixelTolerance;
    } cases[] = {
        {[] { return BmpFile(Bmp::Rgb555, 4, 4, false); }, {D3DFMT_X1R5G5B5}, D3DFMT_A1R5G5B5, 0},
        {[] { return TgaFile(Tga::Grey8, 4, 4, false, false); }, {D3DFMT_L8}, D3DFMT_X8R8G8B8, 0},
        {[] { return TgaFile(Tga::Argb32, 4, 4, false, false); }, {D3DFMT_A8R8G8B8}, D3DFMT_A4R4G4B4, 8},
        {[] { return PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 9, 4, false, false); }, {D3DFMT_A8R8G8B8},
         D3DFMT_A4R4G4B4, 8},
        {[] { return PngFile(PNG_COLOR_TYPE_RGB, 8, 9, 4, false, false); }, {D3DFMT_X8R8G8B8},
         D3DFMT_A8R8G8B8, 0},
        {[] { return PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 9, 4, false, false); },
         {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, D3DFMT_A8R3G3B2}, D3DFMT_X8R8G8B8, 255},
        {[] { return JpegFile(false, false, 40, 24); }, {D3DFMT_X8R8G8B8}, D3DFMT_A8R8G8B8, 10},
    };
    for (const auto& c : cases) {
        const ImageFile file = c.make();
        SCOPED_TRACE(file.name);
        orvd3d8::Adapter(0).textureFormats = orvd3d8::DefaultAdapter().textureFormats;
        auto& formats = orvd3d8::Adapter(0).textureFormats;
        for (D3DFORMAT removed : c.removed)
            formats.erase(std::remove(formats.begin(), formats.end(), removed), formats.end());
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(Load(file.bytes, &texture), D3D_OK);
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Format, c.expected);
        // Where the format drops alpha, the colours must still be right.
        Picture opaque = file.expected;
        if (c.expected == D3DFMT_X8R8G8B8)
            for (uint32_t& pixel : opaque.argb) pixel |= 0xFF000000u;
        EXPECT_LE(WorstPixelError(texture, opaque), c.pixelTolerance);
        texture->Release();
    }
    // Nothing the image could go into.
    orvd3d8::Adapter(0).textureFormats = {D3DFMT_DXT1};
    IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(1);
    EXPECT_EQ(Load(TgaFile(Tga::Rgb24, 4, 4, false, false).bytes, &texture), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(texture, nullptr);
}

TEST_F(TextureFile, FollowsTheDevicesSizeRules) {
    // A 13 x 7 picture: kept as it is by default; scaled up to the next
    // powers of two (or a square) by a smooth filter where the caps say so.
    const struct {
        DWORD caps;
        UINT width, height;
    } cases[] = {{0, 13, 7},
                 {D3DPTEXTURECAPS_POW2, 16, 8},
                 {D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL, 16, 8},
                 {D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY, 16, 16}};
    for (const ImageFile& ramp : {TgaFile(Tga::Rgb24, 13, 7, false, true),
                                  PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 13, 7, false, false)})
        for (const auto& c : cases) {
            SCOPED_TRACE(ramp.name + " caps " + std::to_string(c.caps));
            orvd3d8::Adapter(0).textureCaps = orvd3d8::DefaultAdapter().textureCaps | c.caps;
            IDirect3DTexture8* texture = nullptr;
            ASSERT_EQ(Load(ramp.bytes, &texture), D3D_OK);
            D3DSURFACE_DESC desc;
            texture->GetLevelDesc(0, &desc);
            EXPECT_EQ(desc.Width, c.width);
            EXPECT_EQ(desc.Height, c.height);
            EXPECT_EQ(texture->GetLevelCount(), FullChain(c.width, c.height));
            // Bilinear scaling: every pixel between the four source pixels around it.
            const orvd3d8::Image image = orvd3d8::TextureLevelImage(texture, 0);
            auto around = [](int i, UINT from, int to) {
                const double at = (i + 0.5) * from / to - 0.5;
                return at < 0 ? 0u : std::min(from - 1, UINT(at));
            };
            for (int y = 0; y < image.height; ++y)
                for (int x = 0; x < image.width; ++x) {
                    const UINT sx = around(x, 13, image.width), sy = around(y, 7, image.height);
                    uint32_t low = 255, high = 0;
                    for (UINT ny : {sy, std::min(6u, sy + 1)})
                        for (UINT nx : {sx, std::min(12u, sx + 1)}) {
                            low = std::min(low, ramp.expected.At(nx, ny) >> 16 & 0xFF);
                            high = std::max(high, ramp.expected.At(nx, ny) >> 16 & 0xFF);
                        }
                    const uint32_t red = image.At(x, y) >> 16 & 0xFF;
                    EXPECT_GE(red + 1, low) << x << "," << y;
                    EXPECT_LE(red, high + 1) << x << "," << y;
                }
            texture->Release();

            // The runtime itself refuses what the caps forbid.
            texture = nullptr;
            const HRESULT made = m_Device->CreateTexture(13, 7, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
            EXPECT_EQ(made, c.caps ? D3DERR_INVALIDCALL : D3D_OK);
            if (texture) texture->Release();
        }
}

TEST_F(TextureFile, RefusesWhatIsNotAnIntactImage) {
    std::vector<uint8_t> paletteIndexTooLarge = BmpFile(Bmp::Palette8, 4, 2, false).bytes;
    paletteIndexTooLarge[14 + 32] = 3;  // colours used: 3, but the pixels use more
    std::vector<uint8_t> rlePastTheRow = BmpFile(Bmp::Rle8, 4, 2, false).bytes;
    const size_t pixels = rlePastTheRow[10] | rlePastTheRow[11] << 8;
    rlePastTheRow[pixels] = 9;  // a run of 9 in a row of 4
    rlePastTheRow[pixels + 1] = 0;
    std::vector<uint8_t> hugeTga = TgaFile(Tga::Rgb24, 4, 4, false, false).bytes;
    hugeTga[12] = hugeTga[13] = 0xFF;  // 65535 wide, past the device's largest size
    std::vector<uint8_t> overflowingBmp = BmpFile(Bmp::Rgb32, 4, 4, false).bytes;
    for (int i = 18; i < 26; ++i) overflowingBmp[i] = 0x7F;  // 2^31-ish sides
    const std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};

    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {{"text", text},
                 {"palette index out of range", paletteIndexTooLarge},
                 {"RLE run past the row", rlePastTheRow},
                 {"wider than the device allows", hugeTga},
                 {"sides whose size overflows", overflowingBmp},
                 {"PNG signature only", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}},
                 {"JPEG start only", {0xFF, 0xD8, 0xFF}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(1);
        EXPECT_EQ(Load(c.bytes, &texture), D3DXERR_INVALIDDATA);
        EXPECT_EQ(texture, nullptr);
    }
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 2u) << "only the Direct3D object and the device";

    IDirect3DTexture8* texture = nullptr;
    const std::vector<uint8_t> good = TgaFile(Tga::Rgb24, 4, 4, false, false).bytes;
    EXPECT_EQ(D3DXCreateTextureFromFileInMemory(nullptr, good.data(), 10, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileInMemory(m_Device, good.data(), 0, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileInMemory(m_Device, good.data(), 10, nullptr), D3DERR_INVALIDCALL);

    // The device's own failures are passed on, with nothing left behind, for
    // files decoded into memory first and files decoded into the texture.
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } files[] = {{"TGA", good},
                 {"PNG", PngFile(PNG_COLOR_TYPE_RGB, 8, 8, 4, false, false).bytes},
                 {"JPEG", JpegFile(false, false, 8, 8).bytes}};
    const struct {
        const char* api;
        unsigned call;
    } failures[] = {{"IDirect3DDevice8::CreateTexture", 1},
                    {"IDirect3DTexture8::LockRect", 1},
                    {"IDirect3DTexture8::LockRect", 2}};
    for (const auto& file : files)
        for (const auto& failure : failures) {
            SCOPED_TRACE(std::string(file.name) + " " + failure.api + " call " +
                         std::to_string(failure.call));
            orvplatform::EnableJournal(true);
            orvplatform::FailNthCall(failure.api, failure.call, D3DERR_OUTOFVIDEOMEMORY);
            texture = reinterpret_cast<IDirect3DTexture8*>(1);
            EXPECT_EQ(Load(file.bytes, &texture), D3DERR_OUTOFVIDEOMEMORY);
            EXPECT_EQ(texture, nullptr);
            EXPECT_EQ(orvd3d8::LiveObjectCount(), 2u);
            orvplatform::ClearFailures();
        }
}

}  // namespace

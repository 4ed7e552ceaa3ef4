// Image files into textures: each decoder's variants at their size, format
// and pixels with a full chain of box-filtered levels; stored DDS levels; the
// device's formats and size rules; refusals that leave nothing behind.
#include <png.h>

#include <cmath>
#include <cstdlib>

#include "DeviceFixture.h"
#include "d3dx/TextureTarget.h"
#include "pixels/BlockCodec.h"

namespace {

using TextureFile = DeviceFixture;

// The default device without the `removed` formats, with the `caps` added.
void Offer(const std::vector<D3DFORMAT>& removed, DWORD caps) {
    auto& formats = orvd3d8::Adapter(0).textureFormats = orvd3d8::DefaultAdapter().textureFormats;
    for (D3DFORMAT format : removed) formats.erase(std::remove(formats.begin(), formats.end(), format), formats.end());
    orvd3d8::Adapter(0).textureCaps = orvd3d8::DefaultAdapter().textureCaps | caps;
}

// The mean of the channel at `shift` over pixels.
double Mean(const std::vector<uint32_t>& pixels, int shift) {
    double sum = 0;
    for (uint32_t pixel : pixels) sum += pixel >> shift & 0xFF;
    return sum / double(pixels.size());
}

// Where the device lacks the file's format the nearest it offers is taken
// (alpha dropped last); where the caps ask for powers of two the picture is
// scaled, not cut or shifted: the mean of each channel stays.
TEST_F(TextureFile, EveryDecoderVariantLoadsWithItsPixelsAndFilteredLevels) {
    const ImageFile ramp = PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 13, 7, false, false);
    // Targa files whose descriptor counts no alpha bits, and a picture whose
    // alpha is 0 everywhere.
    constexpr size_t kTgaDescriptor = 17;
    const auto noAlphaBits = [](ImageFile file) { return file.bytes[kTgaDescriptor] &= 0xF0, file; };
    // The longest image ID a Targa header counts (255 bytes, its first byte
    // 0xFF as a JPEG's is).
    const auto longestId = [](ImageFile file) {
        constexpr size_t kHeader = 18;
        const uint8_t idLength = file.bytes[0];
        file.bytes.insert(file.bytes.begin() + kHeader + idLength, 255 - idLength, uint8_t{0xD8});
        return file.bytes[0] = 255, file;
    };
    Picture clear = Pattern(11, 6);
    for (uint32_t& pixel : clear.argb) pixel &= 0xFFFFFF;
    const struct {
        ImageFile file;
        int tolerance;  // of level 0's pixels
        std::vector<D3DFORMAT> removed = {};
        D3DFORMAT format = D3DFMT_UNKNOWN;  // the file's own
        DWORD caps = 0;
        UINT width = 0, height = 0;  // scaled to
    } cases[] = {
        {BmpFile(Bmp::Palette4, 13, 7, true), 0},
        {BmpFile(Bmp::BitFields565, 13, 7, false), 0},
        {BmpFile(Bmp::Argb32Fields, 9, 4, false, false), 0},  // DIB without file header
        {BmpFile(Bmp::CorePalette8, 13, 7, false), 0},
        {BmpFile(Bmp::CorePalette8, 13, 7, false, false), 0},  // core DIB without file header
        {TgaFile(Tga::Mapped8, 11, 6, true, true), 0},  {TgaFile(Tga::Argb16, 11, 6, true, false), 0},
        {longestId(TgaFile(Tga::Rgb24, 11, 6, false, false)), 0},
        // One column: the width's bytes are where a packed DIB holds its planes.
        {TgaFile(Tga::Rgb24, 1, 6, false, false), 0},
        // Their fourth byte is alpha all the same, unless it is 0 everywhere;
        // a file that counts 8 alpha bits keeps even alpha 0.
        {noAlphaBits(TgaFile(Tga::Argb32, 11, 6, false, false)), 0},
        {noAlphaBits(TgaFile(Tga::Argb32, 11, 6, true, true)), 0},
        {noAlphaBits(TgaFile(Tga::Mapped8Alpha, 11, 6, true, false)), 0},
        {noAlphaBits(TgaFile(Tga::Argb32, clear, true, false)), 0, {}, D3DFMT_X8R8G8B8},
        {TgaFile(Tga::Argb32, clear, false, false), 0},
        {PngFile(PNG_COLOR_TYPE_PALETTE, 4, 13, 9, true, true), 0}, {PngFile(PNG_COLOR_TYPE_GRAY, 16, 13, 9, false, false), 1},
        // Decoded through bands of rows into a level whose rows start anywhere
        // within a 16-byte word.
        {PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 38, 36, false, false), 0},
        {JpegFile(false, true, 41, 23), 10},
        {DdsFile(D3DFMT_R5G6B5, 12, 5, 1), 0},          {DdsFile(D3DFMT_A8L8, 12, 5, 1), 0},
        {DdsFile(D3DFMT_X1R5G5B5, 12, 5, 1), 0},
        // The narrow layouts, each read into a format that holds it exactly.
        {DdsFile(D3DFMT_X4R4G4B4, 12, 5, 1), 0, {D3DFMT_X1R5G5B5, D3DFMT_R5G6B5}, D3DFMT_X8R8G8B8},
        {BmpFile(Bmp::BitFields444, 13, 7, false), 0, {D3DFMT_X1R5G5B5, D3DFMT_R5G6B5}, D3DFMT_X8R8G8B8},
        {DdsFile(D3DFMT_R3G3B2, 12, 5, 1), 0, {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5}, D3DFMT_X8R8G8B8},
        {DdsFile(D3DFMT_A8R3G3B2, 12, 5, 1), 0, {}, D3DFMT_A8R8G8B8}, {DdsFile(D3DFMT_A4L4, 12, 5, 1), 0, {}, D3DFMT_A8L8},
        {DdsFile(D3DFMT_A8, 12, 5, 1), 0},
        {TgaFile(Tga::Grey8, 4, 4, false, false), 0, {D3DFMT_L8}, D3DFMT_X8R8G8B8},
        {ramp, 8, {D3DFMT_A8R8G8B8}, D3DFMT_A4R4G4B4},
        {ramp, 0, {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, D3DFMT_A8R3G3B2}, D3DFMT_X8R8G8B8},
        {ramp, 0, {}, D3DFMT_UNKNOWN, D3DPTEXTURECAPS_POW2, 16, 8},
        {ramp, 0, {}, D3DFMT_UNKNOWN, D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY, 16, 16},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const ImageFile& file = cases[i].file;
        SCOPED_TRACE(std::to_string(i) + " " + file.name);
        Offer(cases[i].removed, cases[i].caps);
        IDirect3DTexture8* texture = LoadOk(file.bytes);
        ASSERT_NE(texture, nullptr);
        const D3DSURFACE_DESC desc = Level0(texture);
        EXPECT_EQ(desc.Format, cases[i].format ? cases[i].format : file.format);
        Picture expected = file.expected;  // where alpha is dropped, the colours stay
        for (uint32_t& pixel : expected.argb) pixel |= desc.Format == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0;
        const orvd3d8::Image image = orvd3d8::TextureLevelImage(texture, 0);
        if (cases[i].width) {
            EXPECT_TRUE(desc.Width == cases[i].width && desc.Height == cases[i].height) << desc.Width << "x" << desc.Height;
            for (int c = 0; c < 32; c += 8) EXPECT_NEAR(Mean(image.pixels, c), Mean(expected.argb, c), 6.0) << c;
        } else {
            EXPECT_LE(WorstChannelError({UINT(image.width), UINT(image.height), image.pixels}, expected), cases[i].tolerance);
        }
        // Rounding per level, and the precision of the narrow formats.
        const bool fiveBits = desc.Format == D3DFMT_R5G6B5 || desc.Format == D3DFMT_X1R5G5B5;
        EXPECT_LE(WorstMipError(texture), desc.Format == D3DFMT_A1R5G5B5 ? 128 : desc.Format == D3DFMT_A4R4G4B4 ? 17
                                          : fiveBits ? 6 : 2);
        EXPECT_EQ(texture->GetLevelCount(), FullChain(desc.Width, desc.Height));
        EXPECT_EQ(texture->Release(), 0u);
    }
    orvd3d8::Adapter(0).textureFormats = {D3DFMT_DXT1};
    EXPECT_EQ(LoadFailing(TgaFile(Tga::Rgb24, 4, 4, false, false).bytes), D3DERR_NOTAVAILABLE);
    // A picture with either side past the device's largest texture is refused.
    orvd3d8::Adapter(0) = orvd3d8::DefaultAdapter();
    orvd3d8::Adapter(0).maxTextureWidth = 8, orvd3d8::Adapter(0).maxTextureHeight = 6;
    EXPECT_EQ(LoadFailing(TgaFile(Tga::Rgb24, 9, 4, false, false).bytes), D3DXERR_INVALIDDATA);
    EXPECT_EQ(LoadFailing(TgaFile(Tga::Rgb24, 4, 7, false, false).bytes), D3DXERR_INVALIDDATA);
    EXPECT_EQ(LoadOk(TgaFile(Tga::Rgb24, 8, 6, false, false).bytes)->Release(), 0u);
}

TEST_F(TextureFile, KeepsTheLevelsADdsFileStores) {
    const std::pair<std::vector<uint8_t>, UINT> files[] = {  // the file, its stored levels
        {DdsFile(D3DFMT_A8R8G8B8, 8, 8, 2).bytes, 2}, {DdsFile(D3DFMT_A8R8G8B8, 8, 2, 4).bytes, 4},
        {DdsBlockFile(D3DFMT_DXT1, 16, 8, 3, 7), 3},
        {DdsBlockFile(D3DFMT_DXT3, 16, 8, 3, 7), 3}, {DdsBlockFile(D3DFMT_DXT5, 16, 8, 3, 7), 3}};
    for (const auto& [dds, stored] : files) {
        IDirect3DTexture8* texture = LoadOk(dds);
        const D3DSURFACE_DESC desc = Level0(texture);
        ASSERT_EQ(texture->GetLevelCount(), FullChain(desc.Width, desc.Height));
        std::vector<uint8_t> levels(dds.begin(), dds.begin() + 128);  // the header, then the stored levels
        for (UINT level = 0; level < stored; ++level)
            for (uint8_t byte : orvd3d8::TextureLevelBytes(texture, level).bytes) levels.push_back(byte);
        EXPECT_EQ(levels, dds) << desc.Format;
        EXPECT_EQ(texture->Release(), 0u);
    }
}

// Red, green and blue: the colours of the stored levels below.
const uint32_t kLevelColours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};

// A DDS file whose stored levels are each one solid colour, unlike what
// filtering level 0 would give: DXT1 blocks of 5:6:5 colours, or A8R8G8B8.
std::vector<uint8_t> SolidLevelsDds(D3DFORMAT format, UINT width, UINT height, UINT levels) {
    std::vector<uint8_t> dds = format == D3DFMT_DXT1 ? DdsBlockFile(format, width, height, levels, 1)
                                                     : DdsFile(format, width, height, levels).bytes;
    dds.resize(128);
    for (UINT level = 0; level < levels; ++level) {
        const UINT w = std::max(width >> level, 1u), h = std::max(height >> level, 1u);
        const uint32_t c = kLevelColours[level], c565 = (c >> 19 & 31) << 11 | (c >> 10 & 63) << 5 | (c >> 3 & 31);
        for (UINT i = 0, dxt = format == D3DFMT_DXT1; i < (dxt ? (w + 3) / 4 * ((h + 3) / 4) : w * h); ++i)
            dxt ? Put32(dds, {c565 * 0x10001u, 0}) : Put32(dds, {c});
    }
    return dds;
}

// One level's pixels as A8R8G8B8, DXT levels decoded.
std::vector<uint32_t> LevelPixels(IDirect3DTexture8* texture, UINT level) {
    const orvd3d8::LevelBytes stored = orvd3d8::TextureLevelBytes(texture, level);
    if (BlockBytesOf(stored.format) == 0) return orvd3d8::TextureLevelImage(texture, level).pixels;
    std::vector<uint32_t> pixels(size_t{stored.width} * stored.height);
    DecodeBlocks(stored.format, stored.bytes.data(), stored.pitch, stored.width, stored.height, pixels.data(),
                 4 * size_t{stored.width}, BlockRounding::Truncated);
    return pixels;
}

// The levels a DXT texture is given at load are encoded again from the
// filtered level above: the encoder keeps each level's colour where it was,
// even for noise, down to the levels smaller than a block, where each pixel
// counts alike in the block's fit (a noisy file of two stored levels: its
// 4 x 4 level is rebuilt, its 2 x 2 level has four colours off any one line).
// Solid blocks of a gradient, every other one transparent, give level 1
// blocks of opaque and transparent pixels whose opaque ones each keep the
// colour of the four above them.
TEST_F(TextureFile, RebuiltDxtLevelsKeepTheColourOfTheLevelAbove) {
    constexpr UINT kSide = 256;
    constexpr int kMostShift = 8;
    std::vector<uint8_t> checkered = DdsBlockFile(D3DFMT_DXT1, kSide, kSide, 1, 1);
    checkered.resize(128);
    for (uint32_t block = 0, x, y; block < kSide * kSide / 16; ++block) {
        x = block % (kSide / 4), y = block / (kSide / 4);  // colour 0 of three, or all transparent
        Put32(checkered, {(x / 2 << 11 | y << 5 | (63 - x) / 2) * 0x10001u, (x + y) % 2 ? 0xFFFFFFFFu : 0});
    }
    const struct {
        std::vector<uint8_t> file;
        UINT stored, levels;
        bool noise;
    } cases[] = {{DdsBlockFile(D3DFMT_DXT1, kSide, kSide, 1, 11), 1, 9, true},
                 {DdsBlockFile(D3DFMT_DXT5, 16, 16, 2, 32), 2, 5, true},
                 {checkered, 1, 9, false}};
    for (const auto& c : cases) {
        IDirect3DTexture8* texture = LoadOk(c.file);
        ASSERT_NE(texture, nullptr);
        ASSERT_EQ(texture->GetLevelCount(), c.levels);
        std::vector<uint32_t> above = LevelPixels(texture, c.stored - 1);
        for (UINT level = c.stored; level < c.levels; ++level) {
            const std::vector<uint32_t> pixels = LevelPixels(texture, level);
            const UINT side = Level0(texture).Width >> level;
            int moved = 0;  // channels of opaque level 1 pixels off their source's colour
            for (int shift = 0; shift < 24; shift += 8) {
                if (c.noise) {
                    EXPECT_NEAR(Mean(pixels, shift), Mean(above, shift), kMostShift) << side << " " << shift;
                }
                for (UINT i = 0; i < side * side && !c.noise && level == 1; ++i) {
                    const uint32_t source = above[4 * side * (i / side) + 2 * (i % side)];
                    moved += source >> 24 == 0xFF && std::abs(int(pixels[i] >> shift & 0xFF) - int(source >> shift & 0xFF)) > kMostShift;
                }
            }
            EXPECT_EQ(moved, 0);
            above = pixels;
        }
        texture->Release();
    }
}

// Where a DDS file's levels must be decompressed (no DXT format on the
// device) or scaled (sides that must be powers of two), each stored level
// is kept, scaled to its place in the chain; the levels after them are
// filtered from the last stored one.
TEST_F(TextureFile, KeepsTheStoredLevelsWhereTheyAreDecompressedOrScaled) {
    const struct {
        D3DFORMAT stored;
        UINT width, height, levels;  // of the file
        bool withoutDxt, powersOfTwo;
        UINT textureHeight;  // the texture is 16 wide, of five levels
    } cases[] = {
        {D3DFMT_DXT1, 16, 8, 3, true, false, 8},        // decompressed
        {D3DFMT_DXT1, 12, 12, 3, true, true, 16},       // decompressed and scaled
        {D3DFMT_DXT1, 12, 12, 3, false, true, 16},      // scaled and compressed again
        {D3DFMT_A8R8G8B8, 12, 4, 2, false, true, 4},    // uncompressed, scaled
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        Offer(c.withoutDxt ? std::vector<D3DFORMAT>{D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5}
                           : std::vector<D3DFORMAT>{}, c.powersOfTwo ? D3DPTEXTURECAPS_POW2 : 0);
        IDirect3DTexture8* texture = LoadOk(SolidLevelsDds(c.stored, c.width, c.height, c.levels));
        ASSERT_NE(texture, nullptr);
        ASSERT_EQ(texture->GetLevelCount(), 5u);
        const D3DSURFACE_DESC desc = Level0(texture);
        EXPECT_TRUE(desc.Width == 16 && desc.Height == c.textureHeight) << desc.Width << "x" << desc.Height;
        EXPECT_EQ(desc.Format == D3DFMT_DXT1, c.stored == D3DFMT_DXT1 && !c.withoutDxt);
        for (UINT level = 0; level < 5; ++level)
            for (uint32_t pixel : LevelPixels(texture, level))
                ASSERT_EQ(pixel | 0xFF000000u, kLevelColours[std::min(level, c.levels - 1)]) << "level " << level;
        texture->Release();
    }
}

TEST_F(TextureFile, RefusesWhatIsNotAnIntactImage) {
    auto cut = [](std::vector<uint8_t> bytes) { return bytes.resize(bytes.size() - 40), bytes; };
    auto edited = [](std::vector<uint8_t> bytes, size_t at, std::vector<uint8_t> values) {
        return std::copy(values.begin(), values.end(), bytes.begin() + long(at)), bytes;
    };
    const std::vector<uint8_t> cases[] = {
        {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'},
        edited(BmpFile(Bmp::Palette8, 4, 2, false).bytes, 14 + 32, {4, 0}),  // 4 colours, and one pixel uses a fifth
        edited(BmpFile(Bmp::Palette8, 4, 2, false).bytes, 14 + 32, {1, 1}),  // 257 colours for 8 bits
        Rle8Bitmap(4, 2, {0}, {9, 0, 0, 1}) /* a run of 9 in a row of 4 */,
        Rle8Bitmap(4, 2, {0}, {0, 2, 5, 0, 0, 1}) /* a delta past the row's end */,
        Rle8Bitmap(4, 2, {0}, {0, 2, 0, 3, 0, 1}) /* a delta past the last row */,
        edited(TgaFile(Tga::Rgb24, 4, 4, false, false).bytes, 12, {0xFF, 0xFF}),
        edited(TgaFile(Tga::Rgb24, 4, 4, false, false).bytes, 1, {1}),  // a colour map announced, none held
        {0xFF, 0xD8},  // a JPEG's start-of-image marker, and nothing after it
        edited(BmpFile(Bmp::Rgb24, 4, 4, false).bytes, 18, std::vector<uint8_t>(8, 0x7F)),  // sizes past 32 bits
        cut(BmpFile(Bmp::Rgb24, 16, 16, false).bytes), cut(TgaFile(Tga::Rgb24, 16, 16, true, false).bytes),
        cut(PngFile(PNG_COLOR_TYPE_RGB, 8, 16, 16, false, false).bytes), cut(JpegFile(false, false, 32, 32).bytes),
        cut(DdsBlockFile(D3DFMT_DXT3, 16, 16, 1, 9)),
        // No pixels: a width or a height of 0.
        edited(BmpFile(Bmp::Rgb24, 4, 4, false).bytes, 18, {0, 0, 0, 0}),
        edited(BmpFile(Bmp::Rgb24, 4, 4, false).bytes, 22, {0, 0, 0, 0}),
        edited(BmpFile(Bmp::CorePalette8, 4, 4, false).bytes, 18, {0, 0}),
        edited(BmpFile(Bmp::CorePalette8, 4, 4, false).bytes, 20, {0, 0}),
        // Not one plane.
        edited(BmpFile(Bmp::CorePalette8, 4, 4, false).bytes, 22, {2}),
        edited(TgaFile(Tga::Rgb24, 4, 4, false, false).bytes, 12, {0, 0}),
        edited(TgaFile(Tga::Rgb24, 4, 4, false, false).bytes, 14, {0, 0}),
        edited(DdsFile(D3DFMT_A8R8G8B8, 4, 4, 1).bytes, 12, {0, 0, 0, 0}),
        edited(DdsFile(D3DFMT_A8R8G8B8, 4, 4, 1).bytes, 16, {0, 0, 0, 0})};
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(LoadFailing(cases[i]), D3DXERR_INVALIDDATA) << i;
    const std::vector<uint8_t> good = TgaFile(Tga::Rgb24, 4, 4, false, false).bytes;
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileInMemory(nullptr, good.data(), 10, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileInMemory(m_Device, good.data(), 0, &texture), D3DERR_INVALIDCALL);

    // The device's failures are passed on, for files decoded into memory
    // first (TGA) and straight into the texture (PNG, JPEG).
    const std::vector<uint8_t> files[] = {good, PngFile(PNG_COLOR_TYPE_RGB, 8, 8, 4, false, false).bytes,
                                          JpegFile(false, false, 8, 8).bytes};
    const std::pair<const char*, unsigned> failures[] = {
        {"IDirect3DDevice8::CreateTexture", 1}, {"IDirect3DTexture8::LockRect", 1}, {"IDirect3DTexture8::LockRect", 2}};
    for (const auto& file : files)
        for (const auto& [api, call] : failures) {
            orvplatform::FailNthCall(api, call, D3DERR_OUTOFVIDEOMEMORY);
            EXPECT_EQ(LoadFailing(file), D3DERR_OUTOFVIDEOMEMORY) << api << " " << call;
            EXPECT_EQ(orvd3d8::LiveObjectCount(), 2u);
            orvplatform::ClearFailures();
        }

    // Level 0 is decoded straight into a texture only as A8R8G8B8 words:
    // a target on a level of another format is refused, not written.
    {
        TextureTarget target;
        EXPECT_EQ(target.Open(m_Device, 8, 8, D3DFMT_R5G6B5, RowOrder::TopDown), D3DERR_INVALIDCALL);
    }
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 2u);
}

}  // namespace

// Hostile image files, one per fault once found: short files that claim huge
// images, data damaged part way, masks and palette indices the file does not
// hold. Each load fails with nothing left behind, refused before room is made
// for pixels the file cannot supply. (Truncated and changed files of every
// format, in bulk, are the image fuzz target's: fail or load whole.)
#include <png.h>
#include <zlib.h>

#include "support/AllocationProbe.h"
#include "DeviceFixture.h"
#include "d3dx/DecodedImage.h"
#include "d3dx/ImageDecoder.h"
#include "d3dx/LevelSink.h"

namespace {

using orvtest::AllocationProbe;

// Far below the pixels of any image the hostile files below claim.
constexpr size_t kFewBytes = 64 * 1024;
constexpr UINT kHuge = 16384;

void StoreBig16(std::vector<uint8_t>& b, size_t at, uint32_t v) { b[at] = uint8_t(v >> 8), b[at + 1] = uint8_t(v); }

uint32_t Big32(const std::vector<uint8_t>& b, size_t at) { return uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]; }

// The checksum of the PNG chunk at `at` made right again after an edit.
void FixCrc(std::vector<uint8_t>& png, size_t at) {
    const uint32_t crc = uint32_t(crc32(crc32(0, nullptr, 0), &png[at + 4], uInt(Big32(png, at) + 4)));
    StoreBig16(png, at + 8 + Big32(png, at), crc >> 16), StoreBig16(png, at + 10 + Big32(png, at), crc);
}

// The file with the first half of its compressed image data in one IDAT
// chunk, the chunks after it kept.
std::vector<uint8_t> HalfImageData(const std::vector<uint8_t>& png) {
    std::vector<uint8_t> out(png.begin(), png.begin() + 8), idat = {0, 0, 0, 0, 'I', 'D', 'A', 'T'};
    size_t place = 0;
    for (size_t at = 8, end; at < png.size(); at = end) {
        end = at + 12 + Big32(png, at);
        if (std::string(&png[at + 4], &png[at + 8]) != "IDAT") out.insert(out.end(), &png[at], &png[end]);
        else place = place ? place : out.size(), idat.insert(idat.end(), &png[at + 8], &png[end - 4]);
    }
    idat.resize(8 + (idat.size() - 8) / 2 + 4);
    StoreBig16(idat, 2, uint32_t(idat.size() - 12));
    FixCrc(idat, 0);
    out.insert(out.begin() + long(place), idat.begin(), idat.end());
    return out;
}

// A JPEG file whose frame header claims width x height.
std::vector<uint8_t> ResizedJpeg(std::vector<uint8_t> jpeg, UINT width, UINT height) {
    for (size_t at = 2; at + 9 < jpeg.size(); at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]))
        if (jpeg[at + 1] == 0xC0 || jpeg[at + 1] == 0xC2) {  // baseline or progressive frame
            StoreBig16(jpeg, at + 5, height);
            StoreBig16(jpeg, at + 7, width);
            break;
        }
    return jpeg;
}

using HostileFile = DeviceFixture;

// A 2 x 1 packed DIB of 32-bit pixels with alpha bit fields (compression 6)
// and an info header of headerSize bytes holding what masks it can; a
// 40-byte header has its four masks after it.
std::vector<uint8_t> AlphaFieldsDib(uint32_t headerSize, const std::vector<uint32_t>& pixels) {
    std::vector<uint8_t> dib;
    Put32(dib, {headerSize, 2, 1, 1u | 32u << 16, 6, uint32_t(4 * pixels.size()), 2835, 2835, 0, 0});
    for (uint32_t mask : {0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u})
        if (headerSize == 40 || dib.size() < headerSize) Put32(dib, {mask});
    if (headerSize > 40) dib.resize(headerSize, 0);
    for (uint32_t pixel : pixels) Put32(dib, {pixel});
    return {dib.begin(), dib.end()};  // as long as the file: nothing after it to read
}

// A version-2 header (52 bytes) holds three masks: its alpha mask is not
// read from the four bytes after it, wherever the file ends.
TEST_F(HostileFile, BitmapMasksComeOnlyFromTheHeader) {
    const std::vector<uint32_t> pixels = {0xFF000000, 0x00336699};
    const struct {
        uint32_t headerSize;
        bool withPixels;
        HRESULT result;
        D3DFORMAT format;
        uint32_t second;  // the second pixel as loaded
    } cases[] = {
        {52, false, D3DXERR_INVALIDDATA, D3DFMT_UNKNOWN, 0},
        {52, true, D3D_OK, D3DFMT_X8R8G8B8, 0xFF336699},
        {56, true, D3D_OK, D3DFMT_A8R8G8B8, 0x00336699},
        {40, true, D3D_OK, D3DFMT_A8R8G8B8, 0x00336699},
    };
    for (const auto& c : cases) {
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(Load(AlphaFieldsDib(c.headerSize, c.withPixels ? pixels : std::vector<uint32_t>{}), &texture), c.result)
            << c.headerSize;
        if (!texture) continue;
        EXPECT_EQ(Level0(texture).Format, c.format) << c.headerSize;
        const orvd3d8::Image image = orvd3d8::TextureLevelImage(texture, 0);
        EXPECT_EQ(image.At(0, 0) | 0xFF000000u, 0xFF000000u) << c.headerSize;
        EXPECT_EQ(image.At(1, 0), c.second) << c.headerSize;
        texture->Release();
    }
}

// Files of a few hundred bytes that claim the largest image the device
// takes are refused before anything the size of their pixels is allocated.

TEST_F(HostileFile, ShortFilesAreRefusedBeforeRoomIsMadeForTheirPixels) {
    // The file with its width and height fields, of `size` bytes, claiming kHuge.
    auto huge = [](std::vector<uint8_t> bytes, size_t width, size_t height, int size) {
        for (size_t at : {width, height})
            for (int b = 0; b < size; ++b) bytes[at + b] = uint8_t(kHuge >> 8 * b);
        return bytes;
    };
    // Level 0 complete, the ten smaller levels it announces missing.
    std::vector<uint8_t> shortLevels = DdsBlockFile(D3DFMT_DXT1, 1024, 1024, 11, 5);
    shortLevels.resize(128 + 1024 * 1024 / 2);
    std::vector<uint8_t> png = PngFile(PNG_COLOR_TYPE_RGB, 8, 16, 16, false, false).bytes;
    StoreBig16(png, 18, kHuge), StoreBig16(png, 22, kHuge);  // the width and height in IHDR, the first chunk
    FixCrc(png, 8);
    const std::vector<uint8_t> jpeg = ResizedJpeg(JpegFile(true, false, 16, 16).bytes, kHuge, kHuge);
    ASSERT_LT(jpeg.size(), 1000u);
    const std::pair<const char*, std::vector<uint8_t>> files[] = {
        {"bitmap", huge(BmpFile(Bmp::Rgb24, 4, 4, false).bytes, 18, 22, 4)},
        {"palette bitmap", huge(BmpFile(Bmp::Palette8, 4, 4, false).bytes, 18, 22, 4)},
        {"Targa", huge(TgaFile(Tga::Rgb24, 4, 4, false, false).bytes, 12, 14, 2)},
        {"run-length Targa", huge(TgaFile(Tga::Rgb24, 4, 4, true, false).bytes, 12, 14, 2)},
        {"DDS", huge(DdsFile(D3DFMT_A8R8G8B8, 4, 4, 1).bytes, 12, 16, 4)}, {"DDS of short levels", shortLevels},
        {"PNG", png},      {"JPEG", jpeg},
        {"progressive JPEG", ResizedJpeg(JpegFile(false, true, 16, 16).bytes, kHuge, kHuge)},
    };
    for (const auto& [name, bytes] : files) {
        AllocationProbe probe;
        EXPECT_EQ(LoadFailing(bytes), D3DXERR_INVALIDDATA) << name;
        EXPECT_LT(probe.Largest(), kFewBytes) << name;
        EXPECT_EQ(orvd3d8::LiveObjectCount(), 2u) << name;
    }
}

// A run-length bitmap may end its pixels with the end-of-bitmap code at
// once: a valid file, loaded. It costs the texture and no more: the pixels
// go straight into it (skipped ones take palette entry 0), with no decoded
// copy and no table of indices beside it.
TEST_F(HostileFile, RunLengthBitmapsWriteOnlyTheTexture) {
    const uint32_t a = 0xFF123456, b = 0xFFABCDEF;
    // Bottom row: an absolute run of three (padded to a word), two of entry
    // 1, end of line; middle row: an absolute run of four; a move 1 right
    // and 1 up, to the top row; one of entry 1; end of bitmap.
    const std::vector<uint8_t> small =
        Rle8Bitmap(6, 3, {a, b}, {0, 3, 1, 0, 1, 0, 2, 1, 0, 0, 0, 4, 0, 1, 1, 0, 0, 2, 1, 1, 1, 1, 0, 1});
    const std::vector<uint32_t> smallPixels = {a, a, a, a, a, b, a, b, b, a, a, a, b, a, b, b, b, a};
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(Load(small, &texture), D3D_OK);
    EXPECT_EQ(orvd3d8::TextureLevelImage(texture, 0).pixels, smallPixels);
    EXPECT_LE(WorstMipError(texture), 2);
    texture->Release();

    constexpr UINT kSide = 1024;
    const std::vector<uint8_t> endsAtOnce = Rle8Bitmap(kSide, kSide, {a}, {0, 1});
    ASSERT_EQ(endsAtOnce.size(), 60u);
    AllocationProbe probe;
    ASSERT_EQ(Load(endsAtOnce, &texture), D3D_OK);
    const size_t allocated = probe.Total();
    size_t textureBytes = 0;
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        const orvd3d8::Image image = orvd3d8::TextureLevelImage(texture, level);
        textureBytes += 4 * image.pixels.size();
        EXPECT_EQ(std::count(image.pixels.begin(), image.pixels.end(), a), long(image.pixels.size())) << level;
    }
    EXPECT_EQ(texture->GetLevelCount(), FullChain(kSide, kSide));
    EXPECT_LT(allocated, textureBytes + kFewBytes);
    texture->Release();
}

// Each reader stops at the first damage libjpeg or libpng reports or it
// finds itself, not after decoding every row: the rows a decoder reports
// finished show where it stopped.
struct RowCounter : LevelSink {
    // The file decoded into a level of its own.
    HRESULT Decode(const ImageFormat& format, const std::vector<uint8_t>& bytes) {
        const std::unique_ptr<ImageDecoder> decoder(format.make(bytes.data(), bytes.size()));
        ImageHeader header;
        HRESULT hr = decoder->ReadHeader(&header);
        if (SUCCEEDED(hr)) hr = MakePixelLevel(header.width, header.height, level);
        return SUCCEEDED(hr) ? decoder->Decode(*this) : hr;
    }
    const PixelView& Level(UINT) const override { return level.view; }
    void RowsDone(UINT rows) override { rowsFinished = std::max(rowsFinished, rows); }

    ImageLevel level;
    UINT rowsFinished = 0;
};

TEST(DamagedData, StopsTheDecoderWhereItIsFound) {
    constexpr UINT kWidth = 64, kHeight = 512;
    auto cut = [](std::vector<uint8_t> bytes) { return bytes.resize(bytes.size() / 2), bytes; };
    const std::vector<uint8_t> png = PngFile(PNG_COLOR_TYPE_RGB, 8, kWidth, kHeight, false, false).bytes;
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const ImageFormat& format;
        UINT mostRows;
    } cases[] = {
        {"JPEG cut in half", cut(JpegFile(false, false, kWidth, kHeight).bytes), kJpegFormat, kHeight * 3 / 4},
        {"progressive JPEG cut in half", cut(JpegFile(true, true, kWidth, kHeight).bytes), kJpegFormat, 0},
        {"PNG with half its image data", HalfImageData(png), kPngFormat, kHeight * 3 / 4},
        {"PNG with a short palette", PngFile(PNG_COLOR_TYPE_PALETTE, 8, kWidth, kHeight, false, false, 100).bytes, kPngFormat, 0},
    };
    for (const auto& c : cases) {
        RowCounter counter;
        EXPECT_EQ(counter.Decode(c.format, c.bytes), D3DXERR_INVALIDDATA) << c.name;
        EXPECT_LE(counter.rowsFinished, c.mostRows) << c.name;
    }
}

// Pixels that index past the palette (libpng would make them black) refuse
// the file, interlaced or not; the same files with their whole palette load.
TEST_F(HostileFile, PngIndicesPastThePaletteAreInvalid) {
    for (bool interlaced : {false, true})
        for (UINT colours : {16u, 9u}) {
            const std::vector<uint8_t> png = PngFile(PNG_COLOR_TYPE_PALETTE, 4, 17, 11, interlaced, false, colours).bytes;
            if (colours < 16) EXPECT_EQ(LoadFailing(png), D3DXERR_INVALIDDATA) << interlaced;
            else if (IDirect3DTexture8* texture = LoadOk(png)) texture->Release();
        }
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 2u);
}

}  // namespace

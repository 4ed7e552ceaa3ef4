// Textures from image files, numbered image sequences and ZAR files through
// the driver: size, format and pixels of each kind of file, the codes and log
// lines of files that do not load, sequence timing by the clock, and a device
// reset with every kind of texture alive. ZAR texture files: DXT frames handed
// to a device that samples them (the stored levels between frames skipped),
// decoded in software for one that does not (and the same blocks in a DDS
// file, by the image loader's own rounding), uncompressed layouts, short
// files, and the ZAR writer's files.
#include <png.h>
#include <squish.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "TextureTestSupport.h"

namespace {

using orvtest::FrameContents;
using orvtest::TextureTest;
using orvtest::ZarFile;

TEST_F(TextureTest, ImageFilesLoadWithTheirFormatPixelsChainAndSystemCopy) {
    const std::pair<const char*, ImageFile> cases[] = {
        {"tile.tga", TgaFile(Tga::Argb32, 16, 8, true, false)},
        {"tile.dds", DdsFile(D3DFMT_A4R4G4B4, 16, 16, 1)},
        {"tile.picture", TgaFile(Tga::Argb16, 8, 8, false, true)},  // read by its bytes
    };
    Display({}, 16);  // the texture depth steers ZAR files only
    const size_t before = orvd3d8::LiveObjectCount();
    for (const auto& [name, file] : cases) {
        Texture* texture = FromFile(name, file, false, false);
        ASSERT_NE(texture, nullptr) << name;
        EXPECT_EQ(texture->GetFormat(), file.format) << name;
        const FrameContents frame = Bound(texture);
        // A full chain, though none was asked for, and the texture says so.
        EXPECT_EQ(frame.levels, std::max(texture->GetWidth(), texture->GetHeight()) == 16 ? 5u : 4u) << name;
        EXPECT_TRUE(texture->HasMipmaps()) << name;
        EXPECT_EQ(WorstChannelError(frame.image, file.expected), 0) << name;
        // The system copy holds level 0 as the device does; GetPixel reads it.
        const uint8_t* copy = static_cast<const uint8_t*>(texture->GetData());
        for (UINT y = 0; y < texture->GetHeight(); ++y)
            ASSERT_EQ(0, std::memcmp(copy + y * texture->GetPitch(), &frame.bytes[y * frame.pitch], texture->GetPitch()));
        const uint32_t pixel = file.format == D3DFMT_A8R8G8B8   ? frame.At(3, 5)
                               : file.format == D3DFMT_A4R4G4B4 ? frame.image.At(3, 5) & 0xF0F0F0F0u
                                                                : 0;  // formats GetPixel does not read
        EXPECT_EQ(texture->GetPixel(3, 5, 0), pixel) << name;
        EXPECT_TRUE(m_pRenderer->ReleaseTexture(texture));
        EXPECT_EQ(orvd3d8::LiveObjectCount(), before);
    }
}

// Each failure gives its code (ZAR files, to the texture that tried, left
// empty) and one line; nothing of it stays alive or registered. ZAR headers
// that promise more than the file holds are refused before any frame is
// made.
TEST_F(TextureTest, FilesThatDoNotLoadGiveTheirCodeAndLineAndLeaveNothing) {
    Display();
    const ImageFile png = PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 8, 8, false, false);
    struct Bad { std::string name; std::vector<uint8_t> bytes; int code; };  // no bytes: no file; code 0: not a ZAR file
    std::vector<Bad> cases = {{"missing.png", {}, 0},
                              {"cut.png", std::vector<uint8_t>(png.bytes.begin(), png.bytes.begin() + png.bytes.size() / 2), 0}};
    const ZarFile good = orvtest::NoiseZar(1, 1, 0x0009, 4, {}, 1);
    auto with = [&](int code, auto edit, ZarFile file) {
        edit(file);
        cases.push_back({"bad" + std::to_string(cases.size()) + ".zar", file.Bytes(), code});
    };
    with(-2, [](ZarFile& f) { f.magic[2] = 'Q'; }, good);
    with(-3, [](ZarFile& f) { f.version = 1; }, good);
    with(-4, [](ZarFile& f) { f.height = 0; }, good);
    with(-8, [](ZarFile& f) { f.width = 3; }, good);
    with(-1, [](ZarFile& f) { f.compression = 6; }, good);
    with(-1, [](ZarFile& f) { f.width = 32768; f.height = 32768; }, good);  // 32-bit size product wraps
    with(-1, [](ZarFile& f) { f.frameCount = 3; f.payload.clear(); }, good);
    // Frames, levels between frames or pixels the file cannot hold.
    with(-1, [](ZarFile& f) { f.width = f.height = 16384; }, orvtest::DxtZar(1, 4, 4, 1));
    with(-1, [](ZarFile& f) { f.height = 4096; }, orvtest::NoiseZar(4096, 1, 0x0009, 4, {}, 2));
    with(-1, [](ZarFile& f) { f.payload.resize(f.payload.size() - 16 * 16 * 16); }, orvtest::DxtZar(5, 64, 64, 2, 3, 4));
    with(-1, [](ZarFile& f) { f.storedMipLevels = 6; }, orvtest::DxtZar(1, 64, 64, 2, 0, 5));  // none stored
    cases.push_back({"short.zar", good.Bytes(), -1});
    cases.back().bytes.resize(63);
    Texture* empty = m_pRenderer->CreateTexture(4, 4, false, 0);
    for (const Bad& c : cases) {
        const std::string path = c.bytes.empty() ? OutputPath(c.name) : Write(c.name, c.bytes);
        SCOPED_TRACE(c.name);
        orvplatform::ClearJournal();
        if (c.code) {
            EXPECT_EQ(orvtest::CallTextureSlot<int>(empty, orvtest::kLoadFromFileSlot, path.c_str(), 1, true, false, true), c.code);
            EXPECT_TRUE(empty->GetFrameCount() == 0 && !empty->GetFrameData(0));
        }
        ClearLines();
        const size_t before = orvd3d8::LiveObjectCount();
        EXPECT_EQ(m_pRenderer->CreateTextureFromFile(path.c_str(), false, c.code != 0), nullptr);
        EXPECT_EQ(Lines(), std::vector<std::string>{"D3DDriver::CreateTextureFromFile: Failed to load " + path});
        EXPECT_EQ(orvd3d8::LiveObjectCount(), before);
        if (c.code) {  // refused before any frame is made
            EXPECT_TRUE(orvplatform::CallsOf("IDirect3DDevice8::CreateTexture").empty());
            continue;
        }
        Texture* texture = FromFile(c.name, png, false, false);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetRefCount(), 1u);
        m_pRenderer->ReleaseTexture(texture);
    }
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile(nullptr, false, false), nullptr);
    EXPECT_TRUE(Logged("D3DDriver::CreateTextureFromFile: Failed to load (null)"));
}

using Sequence = TextureTest;

TEST_F(Sequence, AFrameThatDoesNotFitEndsTheLoadWithItsOwnLine) {
    Display();
    const std::string damaged = WriteSequence("damaged", 3), odd = WriteSequence("odd", 2),
                      narrow = WriteSequence("narrow", 2);
    Write("damaged2.tga", std::vector<uint8_t>(18, 0));
    Write("odd1.tga", TgaFile(Tga::Grey8, 8, 8, false, false));
    Write("narrow1.tga", TgaFile(Tga::Argb32, 4, 8, false, false));  // only the width differs
    const std::pair<std::string, std::string> cases[] = {
        {damaged, "Failed to load from " + OutputPath("damaged2.tga") + "."},
        {odd, OutputPath("odd1.tga") + " does not have the same parameters as the previous frames."},
        {narrow, OutputPath("narrow1.tga") + " does not have the same parameters as the previous frames."},
    };
    const size_t before = orvd3d8::LiveObjectCount();
    for (const auto& [name, line] : cases) {
        ClearLines();
        EXPECT_EQ(m_pRenderer->CreateTextureFromFileSequence(name.c_str(), 15, false, false), nullptr);
        EXPECT_EQ(Lines(), (std::vector<std::string>{line, "D3DDriver::CreateTextureFromFileSequence: Failed to load " + name}));
        EXPECT_EQ(orvd3d8::LiveObjectCount(), before);
    }
    Texture* single = m_pRenderer->CreateTextureFromFileSequence(WriteSequence("solo", 1).c_str(), 15, true, false);
    EXPECT_EQ(single->GetFrameDurations(), nullptr);
}

TEST_F(Sequence, AResetBringsEveryKindOfTextureBackAsItWas) {
    Display({}, 32);
    // Registry order: created (4 wide, two frames), image file (16), sequence
    // (8), animated ZAR file (2), DXT5 ZAR file (8); then the unique file (32).
    Texture* created = m_pRenderer->CreateTexture(4, 4, true, 2);
    ASSERT_NE(created, nullptr);
    for (unsigned i = 0; i < 32; ++i) created->SetPixel(i % 4, i / 4 % 4, 0xFF000000u | i * 0x070301u, i / 16);
    ASSERT_EQ(created->UpdateAllFrames(), 0);
    Texture* file = FromFile("reset.png", PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 16, 16, false, false), false, false);
    Texture* sequence = m_pRenderer->CreateTextureFromFileSequence(WriteSequence("resetseq", 3).c_str(), 15, false, false);
    Texture* animated = FromFile("reset.zar", orvtest::NoiseZar(2, 2, 0x000F, 4, {100, 110, 120}, 31), false, false);
    Texture* compressed = FromFile("reset5.zar", orvtest::DxtZar(5, 8, 8, 1, 0, 4), false, false);
    Texture* unique = FromFile("reset.bmp", BmpFile(Bmp::Rgb24, 32, 32, false));
    ASSERT_TRUE(file && sequence && animated && compressed && unique);
    ASSERT_EQ(sequence->GetFrameCount(), 3u);
    EXPECT_TRUE(sequence->HasMipmaps());
    // Fifteen frames a second: 66 ms a frame from the moment it starts.
    Restart(sequence, 1000);
    for (auto [elapsed, due] : {std::pair<unsigned, unsigned>{65, 0}, {66, 1}, {197, 2}, {198, 0}}) {
        orvplatform::SetTickCount(1000 + elapsed);
        EXPECT_EQ(WorstChannelError(Bound(sequence).image, orvtest::SequenceFrame(due)), 0) << elapsed;
    }
    for (Texture* held : {sequence, animated}) held->SetLooping(false), held->SetPlaying(false), held->SetFrame(held == sequence ? 2 : 1);
    Texture* const all[] = {created, file, sequence, animated, compressed, unique};
    std::vector<FrameContents> before;
    for (Texture* texture : all)
        for (unsigned frame = 0; frame < texture->GetFrameCount(); ++frame) before.push_back(BoundAt(texture, frame));

    orvplatform::ClearJournal();
    ASSERT_TRUE(m_pRenderer->ResetDevice());
    m_pD3D = orvd3d8::LastDevice();
    std::vector<uint64_t> widths;  // of the textures made again, in order
    for (const orvplatform::Call& call : orvplatform::CallsOf("IDirect3DDevice8::CreateTexture"))
        if (call.args[0] <= 32) widths.push_back(call.args[0]);
    EXPECT_EQ(widths, (std::vector<uint64_t>{4, 4, 16, 8, 8, 8, 2, 2, 2, 8, 32}));

    size_t index = 0;
    for (Texture* texture : all)
        for (unsigned frame = 0; frame < texture->GetFrameCount(); ++frame, ++index) {
            const FrameContents contents = BoundAt(texture, frame);
            EXPECT_TRUE(contents.bytes == before[index].bytes && contents.levels == before[index].levels) << index;
        }
    EXPECT_EQ(created->GetPixel(1, 2, 1), 0xFF000000u | 25 * 0x070301u);
    for (Texture* held : {sequence, animated})
        EXPECT_TRUE(!held->IsLooping() && !held->IsPlaying() && held->GetCurrentFrame() == (held == sequence ? 2u : 1u));
    // The sequence plays on the new device at its own rate.
    Restart(sequence, 7000);
    orvplatform::SetTickCount(7000 + 66);
    EXPECT_EQ(WorstChannelError(Bound(sequence).image, orvtest::SequenceFrame(1)), 0);
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile(OutputPath("RESETSEQ0.tga").c_str(), false, false), sequence);

    // Files are loaded again at the depth current then; created textures
    // keep the format their copies hold.
    m_pRenderer->SetTextureBitDepth(16);
    ASSERT_TRUE(m_pRenderer->ResetDevice());
    EXPECT_EQ(animated->GetFormat(), D3DFMT_A4R4G4B4);
    EXPECT_EQ(created->GetFormat(), D3DFMT_A8R8G8B8);
}

constexpr D3DFORMAT kDxt[] = {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5};

TEST_F(TextureTest, DxtFramesReachADeviceThatSamplesThemUnchanged) {
    Display();
    for (int compression = 1; compression <= 5; ++compression) {
        const ZarFile file = orvtest::DxtZar(compression, 64, 32, 2, 1, 10 * compression);
        Texture* texture = FromFile("dxt.zar", file);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetPitch(), 16u * orvtest::DxtBlockBytes(compression));
        // Frame 1 follows frame 0's stored smaller level.
        const size_t frameBytes = 16 * 8 * orvtest::DxtBlockBytes(compression), mipBytes = 8 * 4 * orvtest::DxtBlockBytes(compression);
        const orvtest::FrameContents bound = BoundAt(texture, 1);
        ASSERT_EQ(bound.format, kDxt[compression - 1]);
        for (unsigned row = 0; row < 8; ++row)
            ASSERT_EQ(std::memcmp(&bound.bytes[row * bound.pitch], file.payload.data() + frameBytes + mipBytes + row * texture->GetPitch(),
                                  texture->GetPitch()), 0) << compression << " row " << row;

        // Blocks are not updated by rectangle, in any of the four forms,
        // even with every frame's copy at hand.
        ASSERT_TRUE(texture->GetFrameData(0) && texture->GetFrameData(1));
        orvplatform::ClearJournal();
        const int refused[] = {texture->UpdateRect(1, 0, 0, 4, 4, true), texture->UpdateRect(0, 0, 0, 4, 4),
                               texture->UpdateRectAllFrames(0, 0, 4, 4, true), texture->UpdateRectAllFrames(0, 0, 4, 4)};
        for (int result : refused) EXPECT_EQ(result, -1) << compression;
        EXPECT_EQ(orvplatform::CountOf("IDirect3DTexture8::LockRect"), 0u) << compression;
        EXPECT_TRUE(m_pRenderer->ReleaseTexture(texture));
    }
}

// The ZAR loader decodes by the ZAR rules (nearest rounding), also for a
// texture smaller than its block; the image loader decodes DDS files as
// libsquish does. The same 16 x 16 noise blocks in each file: their ends take
// every 5- and 6-bit value, DXT1 blocks are in both modes and interpolated
// alphas in either order.
TEST_F(TextureTest, DxtBlocksAreDecodedExactlyWhereTheDeviceCannotSampleThem) {
    constexpr unsigned kSide = 64;
    Display({D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4}, 32);
    for (int compression = 1; compression <= 5; ++compression) {
        const unsigned blockBytes = orvtest::DxtBlockBytes(compression);
        // The noise of the small file is the large file's first block.
        const ZarFile zar = orvtest::DxtZar(compression, kSide, kSide, 1), small = orvtest::DxtZar(compression, 2, 2, 1);
        const std::string name = "blocks" + std::to_string(compression);
        const bool squished = compression % 2 == 1;
        Texture* fromZar = FromFile(name + ".zar", zar);
        Texture* fromSmall = FromFile(name + "s.zar", small);
        Texture* fromDds = squished ? FromFile(name + ".dds", DdsBlockFile(kDxt[compression - 1], kSide, kSide, 1, 1)) : nullptr;
        ASSERT_TRUE(fromZar && fromSmall && (fromDds || !squished));
        for (Texture* texture : {fromZar, fromSmall, fromDds})
            EXPECT_TRUE(!texture || texture->GetFormat() == D3DFMT_A8R8G8B8);

        int wrongDds = 0, wrongZar = 0;
        for (unsigned k = 0; k < zar.payload.size() / blockBytes; ++k) {
            const uint8_t* block = &zar.payload[k * blockBytes];
            const uint8_t* colours = block + blockBytes - 8;
            uint8_t rgba[64];
            squish::Decompress(rgba, block, compression == 1 ? squish::kDxt1 : compression <= 3 ? squish::kDxt3 : squish::kDxt5);
            // The ZAR rules widen the ends to the nearest and round the mixes
            // squish truncates, colours and interpolated alphas. DXT1's
            // transparent index keeps the mixed colour.
            const unsigned ends[2] = {unsigned(colours[0] | colours[1] << 8), unsigned(colours[2] | colours[3] << 8)};
            const auto end = [&ends](unsigned e, unsigned c) {
                const unsigned max = c == 1 ? 63 : 31, shift = c == 0 ? 11 : c == 1 ? 5 : 0;
                return ((ends[e] >> shift & max) * 255 + max / 2) / max;
            };
            const bool three = compression == 1 && ends[0] <= ends[1];
            uint64_t alphaIndices = 0;
            for (int b = 7; b >= 2; --b) alphaIndices = alphaIndices << 8 | block[b];
            for (unsigned i = 0; i < 16; ++i) {
                const unsigned x = 4 * (k % (kSide / 4)) + i % 4, y = 4 * (k / (kSide / 4)) + i / 4;
                uint8_t* p = &rgba[4 * i];
                const auto argb = [p] { return uint32_t{p[3]} << 24 | p[0] << 16 | p[1] << 8 | p[2]; };
                wrongDds += fromDds && fromDds->GetPixel(x, y, 0) != argb();
                for (unsigned c = 0, mix = colours[4 + i / 4] >> (2 * (i % 4)) & 3; c < 3; ++c) {
                    const unsigned e0 = end(0, c), e1 = end(1, c);
                    p[c] = uint8_t(mix < 2 ? (mix ? e1 : e0) : three ? (e0 + e1) / 2 : (e0 * (4 - mix) + e1 * (mix - 1) + 1) / 3);
                }
                const unsigned a = alphaIndices >> (3 * i) & 7, a0 = block[0], a1 = block[1];
                if (compression >= 4 && a >= 2 && (a0 > a1 || a < 6))
                    p[3] = uint8_t(a0 > a1 ? ((8 - a) * a0 + (a - 1) * a1 + 3) / 7 : ((6 - a) * a0 + (a - 1) * a1 + 2) / 5);
                wrongZar += fromZar->GetPixel(x, y, 0) != argb();
                wrongZar += k == 0 && x < 2 && y < 2 && fromSmall->GetPixel(x, y, 0) != argb();
            }
        }
        EXPECT_EQ(wrongDds, 0) << "DXT" << compression;
        EXPECT_EQ(wrongZar, 0) << "DXT" << compression;
        for (Texture* texture : {fromZar, fromSmall, fromDds})
            if (texture) m_pRenderer->ReleaseTexture(texture);
    }
}

// The ZAR writer tool: image files written in each kind of layout, loaded
// back, match the source (exactly when uncompressed, within the block
// encoding's error when DXT).
TEST_F(TextureTest, ImageFilesRoundTripThroughTheZarWriter) {
    std::string writer = ORVD3D_LIBRARY_PATH;  // built beside the test programs
    writer = writer.substr(0, writer.rfind('/', writer.rfind('/') - 1)) + "/bin/zarwriter";
    if (!std::filesystem::exists(writer)) GTEST_SKIP() << "zarwriter is not built";
    // Colour along one line in every block (what a block can hold), alpha
    // changing across it.
    Picture smooth{16, 16, {}};
    for (UINT i = 0; i < 256; ++i)
        smooth.argb.push_back((60 + 10 * (i % 16)) << 24 | (8 + 7 * (i % 16 + i / 16)) << 16 |
                              (230 - 6 * (i % 16 + i / 16)) << 8 | (40 + 5 * (i % 16 + i / 16)));
    const struct {
        const char* name;
        ImageFile image;
        const char* options;
        unsigned frames;
        int tolerance;  // largest channel difference
    } cases[] = {
        {"rgba.png", PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 16, 16, false, false), "--format rgba", 1, 0},
        {"smooth1.tga", TgaFile(Tga::Rgb24, smooth, false, false), "--format dxt1", 1, 12},
        // Two frames of 120 ms, each with two smaller levels.
        {"smooth5.tga", TgaFile(Tga::Argb32, smooth, false, false), "--format dxt5 --mips 2 --duration 120", 2, 12},
    };
    // Without the block formats the loader decodes DXT files in software.
    Display({D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A4R4G4B4}, 32);
    for (const auto& c : cases) {
        const std::string input = Write(c.name, c.image), output = OutputPath(std::string(c.name) + ".zar");
        std::string command = writer + " " + c.options + " -o " + output;
        for (unsigned frame = 0; frame < c.frames; ++frame) command += " " + input;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        Texture* texture = m_pRenderer->CreateTextureFromFile(output.c_str(), false, true);
        ASSERT_NE(texture, nullptr) << c.name;
        const unsigned last = c.frames - 1;
        ASSERT_EQ(texture->GetFrameCount(), c.frames);
        EXPECT_TRUE(c.frames == 1 || texture->GetFrameDurations()[last] == 120u);
        const bool alpha = texture->GetFormat() == D3DFMT_A8R8G8B8;
        ASSERT_TRUE(alpha || texture->GetFormat() == D3DFMT_X8R8G8B8) << texture->GetFormat();
        Picture loaded{16, 16, {}};
        for (UINT i = 0; i < 256; ++i) loaded.argb.push_back(texture->GetPixel(i % 16, i / 16, last) | (alpha ? 0 : 0xFF000000u));
        EXPECT_LE(WorstChannelError(loaded, c.image.expected), c.tolerance) << c.name;
        m_pRenderer->ReleaseTexture(texture);
    }
}

}  // namespace

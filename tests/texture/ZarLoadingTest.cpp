// ZAR texture files: DXT frames handed to a device that samples them (the
// stored levels between frames skipped), decoded in software for one that
// does not, uncompressed layouts, header errors, and short files.
#include <cstring>

#include "TextureTestSupport.h"

namespace {

using orvtest::TextureTest;
using orvtest::ZarFile;

constexpr D3DFORMAT kDxt[] = {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5};
const std::vector<D3DFORMAT> kNoDxt = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                                       D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4};

unsigned BlockBytes(int compression) { return compression == 1 ? 8 : 16; }

// A DXT file of `frames` frames (animated when frames > 1), noise blocks.
ZarFile DxtFile(int compression, uint16_t width, uint16_t height, unsigned frames,
                uint8_t mips = 0, uint32_t seed = 1) {
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
        auto top = orvtest::NoiseBytes(blocks * BlockBytes(compression), seed + i);
        file.payload.insert(file.payload.end(), top.begin(), top.end());
        if (i + 1 < frames) file.payload.resize(file.payload.size() + mipBlocks * BlockBytes(compression), 0xEE);
    }
    return file;
}

// The pixels the reference decoder gives for the blocks of frame 0.
std::vector<uint32_t> ReferencePixels(const ZarFile& file) {
    const unsigned w = file.width, h = file.height, columns = (w + 3) / 4;
    std::vector<uint32_t> pixels(w * h);
    const uint8_t* blocks = file.payload.data();
    for (unsigned by = 0; by < (h + 3) / 4; ++by)
        for (unsigned bx = 0; bx < columns; ++bx) {
            uint32_t out[16];
            orvtest::ReferenceDecodeBlock(blocks + (by * columns + bx) * BlockBytes(file.compression),
                                          file.compression, out);
            for (unsigned r = 0; r < 4; ++r)
                for (unsigned c = 0; c < 4; ++c)
                    if (4 * by + r < h && 4 * bx + c < w) pixels[(4 * by + r) * w + 4 * bx + c] = out[4 * r + c];
        }
    return pixels;
}

TEST_F(TextureTest, DxtFramesReachADeviceThatSamplesThemUnchanged) {
    Display();
    for (int compression = 1; compression <= 5; ++compression) {
        const ZarFile file = DxtFile(compression, 64, 32, 2, 1, 10 * compression);
        Texture* texture = m_pRenderer->CreateTextureFromFile(Write("dxt.zar", file).c_str(), false, true);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetPitch(), 16u * BlockBytes(compression));
        // Frame 1 follows frame 0's stored smaller level.
        const size_t frameBytes = 16 * 8 * BlockBytes(compression), mipBytes = 8 * 4 * BlockBytes(compression);
        texture->SetPlaying(false);
        texture->SetFrame(1);
        const orvtest::FrameContents bound = Bound(texture);
        ASSERT_EQ(bound.format, kDxt[compression - 1]);
        for (unsigned row = 0; row < 8; ++row)
            ASSERT_EQ(std::memcmp(&bound.bytes[row * bound.pitch], file.payload.data() + frameBytes + mipBytes + row * texture->GetPitch(),
                                  texture->GetPitch()), 0) << compression << " row " << row;

        // Blocks are not updated by rectangle, in any of the four forms,
        // even with every frame's copy at hand.
        ASSERT_NE(texture->GetFrameData(0), nullptr);
        ASSERT_NE(texture->GetFrameData(1), nullptr);
        orvplatform::ClearJournal();
        const int refused[] = {texture->UpdateRect(1, 0, 0, 4, 4, true), texture->UpdateRect(0, 0, 0, 4, 4),
                               texture->UpdateRectAllFrames(0, 0, 4, 4, true),
                               texture->UpdateRectAllFrames(0, 0, 4, 4)};
        for (int result : refused) EXPECT_EQ(result, -1) << compression;
        EXPECT_EQ(orvplatform::CountOf("IDirect3DTexture8::LockRect"), 0u) << compression;
        EXPECT_TRUE(m_pRenderer->ReleaseTexture(texture));
    }
}

TEST_F(TextureTest, DxtFramesAreDecodedExactlyWhereTheDeviceCannotSampleThem) {
    Display(kNoDxt, 32);
    for (int compression = 1; compression <= 5; ++compression)
        for (uint16_t size : {16, 2}) {
            ZarFile file = DxtFile(compression, size, size, 1, 0, 77 * compression);
            // One block in each special mode: three colours, and six interpolated alphas.
            uint8_t* block = file.payload.data();
            uint8_t* colour = compression == 1 ? block : block + 8;
            colour[0] = 0x10, colour[1] = 0x20, colour[2] = 0x30, colour[3] = 0x80;  // c0 <= c1
            if (compression >= 4) block[0] = 10, block[1] = 200;                      // a0 <= a1
            Texture* texture = m_pRenderer->CreateTextureFromFile(Write("soft.zar", file).c_str(), false, true);
            ASSERT_NE(texture, nullptr);
            ASSERT_EQ(texture->GetFormat(), D3DFMT_A8R8G8B8);
            const std::vector<uint32_t> expected = ReferencePixels(file);
            const orvtest::FrameContents bound = Bound(texture);
            for (unsigned i = 0; i < expected.size(); ++i)
                ASSERT_EQ(bound.Word32(i % size, i / size), expected[i]) << compression << " at " << size << ": " << i;
            m_pRenderer->ReleaseTexture(texture);
        }
}

TEST_F(TextureTest, UncompressedLayoutsAreConvertedAndColourWithoutAlphaIsOpaque) {
    const struct {
        std::vector<D3DFORMAT> formats;
        unsigned bitDepth;
        uint16_t layout;
        std::vector<uint8_t> pixel;  // one stored pixel
        D3DFORMAT format;
        uint32_t word;  // the texel as the device holds it
    } cases[] = {
        // Two extra 2-byte channels after alpha are stepped over.
        {{}, 32, 0x0169, {0x11, 0x22, 0x33, 0x44, 9, 9, 9, 9}, D3DFMT_A8R8G8B8, 0x44112233},
        // No stored alpha into a format with alpha: opaque.
        {{D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}, 32, 0x0007, {0x10, 0x20, 0x30}, D3DFMT_A8R8G8B8, 0xFF102030},
        {{}, 16, 0x0018, {0x12, 0x34}, D3DFMT_A8L8, 0x1234},  // A4L4 is not offered
        {{D3DFMT_A4L4, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}, 32, 0x0018, {0x12, 0x34}, D3DFMT_A4L4, 0x13},
    };
    for (const auto& c : cases) {
        orvplatform::ResetAll();
        Display(c.formats, c.bitDepth);
        ZarFile file = orvtest::NoiseZar(2, 1, c.layout, 0, {}, 0);
        file.payload = c.pixel;
        file.payload.insert(file.payload.end(), c.pixel.begin(), c.pixel.end());
        Texture* texture = m_pRenderer->CreateTextureFromFile(Write("raw.zar", file).c_str(), false, true);
        ASSERT_NE(texture, nullptr) << c.layout;
        const orvtest::FrameContents bound = Bound(texture);
        ASSERT_EQ(bound.format, c.format) << c.layout;
        uint32_t word = 0;
        std::memcpy(&word, &bound.bytes[texture->GetBytesPerPixel()], texture->GetBytesPerPixel());
        EXPECT_EQ(word, c.word) << c.layout;
        m_pRenderer->ReleaseTexture(texture);
        Destroy(m_pRenderer);
    }
}

TEST_F(TextureTest, ZarHeaderErrorsGiveTheirCodesAndLeaveTheTextureEmpty) {
    Display();
    Texture* texture = m_pRenderer->CreateTexture(4, 4, false, 0);
    ASSERT_NE(texture, nullptr);
    const ZarFile good = orvtest::NoiseZar(1, 1, 0x0009, 4, {}, 1);
    std::vector<std::pair<std::vector<uint8_t>, int>> cases;
    auto with = [&](int result, auto edit) {
        ZarFile file = good;
        edit(file);
        cases.push_back({file.Bytes(), result});
    };
    const std::vector<uint8_t> whole = good.Bytes();
    cases.push_back({std::vector<uint8_t>(whole.begin(), whole.begin() + 63), -1});
    with(-2, [](ZarFile& f) { f.magic[2] = 'Q'; });
    with(-3, [](ZarFile& f) { f.version = 1; });
    with(-4, [](ZarFile& f) { f.height = 0; });
    with(-8, [](ZarFile& f) { f.width = 3; });
    with(-1, [](ZarFile& f) { f.compression = 6; });
    with(-1, [](ZarFile& f) { f.width = 32768; f.height = 32768; });  // 32-bit size product wraps
    with(-1, [](ZarFile& f) { f.frameCount = 3; f.payload.clear(); });
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string path = Write("bad.zar", cases[i].first);
        EXPECT_EQ(orvtest::LoadFromFile(texture, path.c_str(), 1, true, false, true), cases[i].second) << i;
        EXPECT_TRUE(texture->GetFrameCount() == 0 && !texture->GetFrameData(0)) << i;
        EXPECT_EQ(m_pRenderer->CreateTextureFromFile(path.c_str(), false, true), nullptr);
    }
    EXPECT_TRUE(Logged("D3DDriver::CreateTextureFromFile: Failed to load " + OutputPath("bad.zar")));
}

// Headers that promise frames, levels between frames or pixels the file
// cannot hold are refused before any frame is made.
TEST_F(TextureTest, ZarHeadersPromisingMoreThanTheFileHoldsMakeNoFrames) {
    Display();
    ZarFile huge = DxtFile(1, 4, 4, 1);
    huge.width = huge.height = 16384;
    ZarFile oneRow = orvtest::NoiseZar(4096, 1, 0x0009, 4, {}, 2);
    oneRow.height = 4096;
    ZarFile lastFrameMissing = DxtFile(5, 64, 64, 2, 3, 4);
    lastFrameMissing.payload.resize(lastFrameMissing.payload.size() - 16 * 16 * 16);
    ZarFile levelsMissing = DxtFile(1, 64, 64, 2, 0, 5);
    levelsMissing.storedMipLevels = 6;  // between the frames, none stored
    const std::pair<const char*, ZarFile> files[] = {
        {"16384 x 16384, one block", huge},
        {"4096 x 4096, one row", oneRow},
        {"second frame missing", lastFrameMissing},
        {"levels between the frames missing", levelsMissing},
    };
    for (const auto& [name, file] : files) {
        orvplatform::ClearJournal();
        EXPECT_EQ(m_pRenderer->CreateTextureFromFile(Write("short.zar", file).c_str(), false, true), nullptr) << name;
        EXPECT_TRUE(orvplatform::CallsOf("IDirect3DDevice8::CreateTexture").empty()) << name;
    }
    EXPECT_TRUE(Logged("D3DDriver::CreateTextureFromFile: Failed to load " + OutputPath("short.zar")));
}

}  // namespace

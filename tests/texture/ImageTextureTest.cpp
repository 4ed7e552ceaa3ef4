// Textures from image files and numbered image sequences through the
// driver: size, format and pixels of each kind of file, the log lines of
// files that do not load, sequence timing by the clock, and a device reset
// with every kind of texture alive.
#include <png.h>

#include <string>

#include "TextureTestSupport.h"

namespace {

using orvtest::FrameContents;
using orvtest::TextureTest;

// Largest channel difference between a frame and a picture (256 when the
// sizes differ or the frame cannot be read as pixels).
int WorstError(const FrameContents& frame, const Picture& expected) {
    const orvd3d8::Image& image = frame.image;
    if (image.width != int(expected.width) || image.height != int(expected.height)) return 256;
    int worst = 0;
    for (UINT i = 0; i < expected.width * expected.height; ++i)
        for (int shift = 0; shift < 32; shift += 8)
            worst = std::max(worst, std::abs(int(image.At(i % expected.width, i / expected.width) >> shift & 0xFF) -
                                             int(expected.argb[i] >> shift & 0xFF)));
    return worst;
}

// Frame `frame` of a sequence: the pattern with its colour turned.
Picture SequenceFrame(unsigned frame) {
    Picture picture = Pattern(8, 8);
    for (uint32_t& pixel : picture.argb) pixel ^= 0x00402010u * (frame + 1);
    return picture;
}

TEST_F(TextureTest, ImageFilesLoadWithTheirFormatPixelsChainAndSystemCopy) {
    const std::pair<const char*, ImageFile> cases[] = {
        {"tile.tga", TgaFile(Tga::Argb32, 16, 8, true, false)},
        {"tile.dds", DdsFile(D3DFMT_A4R4G4B4, 16, 16, 1)},
        {"tile.picture", TgaFile(Tga::Argb16, 8, 8, false, true)},  // read by its bytes
    };
    Display({}, 16);  // the texture depth steers ZAR files only
    const size_t before = orvd3d8::LiveObjectCount();
    for (const auto& [name, file] : cases) {
        Texture* texture = m_pRenderer->CreateTextureFromFile(Write(name, file).c_str(), false, false);
        ASSERT_NE(texture, nullptr) << name;
        EXPECT_EQ(texture->GetFormat(), file.format) << name;
        const FrameContents frame = Bound(texture);
        EXPECT_EQ(frame.levels, std::max(texture->GetWidth(), texture->GetHeight()) == 16 ? 5u : 4u) << name;
        EXPECT_EQ(WorstError(frame, file.expected), 0) << name;
        // The system copy holds level 0 as the device does; GetPixel reads it.
        const uint8_t* copy = static_cast<const uint8_t*>(texture->GetData());
        for (UINT y = 0; y < texture->GetHeight(); ++y)
            ASSERT_EQ(0, std::memcmp(copy + y * texture->GetPitch(), &frame.bytes[y * frame.pitch], texture->GetPitch()));
        const uint32_t pixel = file.format == D3DFMT_A8R8G8B8   ? frame.Word32(3, 5)
                               : file.format == D3DFMT_A4R4G4B4 ? frame.image.At(3, 5) & 0xF0F0F0F0u
                                                                : 0;  // formats GetPixel does not read
        EXPECT_EQ(texture->GetPixel(3, 5, 0), pixel) << name;
        EXPECT_TRUE(m_pRenderer->ReleaseTexture(texture));
        EXPECT_EQ(orvd3d8::LiveObjectCount(), before);
    }
}

TEST_F(TextureTest, FilesThatDoNotLoadAreLoggedAndLeaveNothing) {
    Display();
    const ImageFile png = PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 8, 8, false, false);
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"missing.png", {}},  // not there
        {"cut.png", std::vector<uint8_t>(png.bytes.begin(), png.bytes.begin() + png.bytes.size() / 2)},
    };
    const size_t before = orvd3d8::LiveObjectCount();
    for (const auto& [name, bytes] : cases) {
        const std::string path = OutputPath(name);
        if (!bytes.empty()) Write(name, bytes);
        ClearLines();
        EXPECT_EQ(m_pRenderer->CreateTextureFromFile(path.c_str(), false, false), nullptr);
        EXPECT_EQ(Lines(), std::vector<std::string>{"D3DDriver::CreateTextureFromFile: Failed to load " + path});
        EXPECT_EQ(orvd3d8::LiveObjectCount(), before);
        // Nothing of the failure stays registered.
        Write(name, png);
        Texture* texture = m_pRenderer->CreateTextureFromFile(path.c_str(), false, false);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetRefCount(), 1u);
        m_pRenderer->ReleaseTexture(texture);
    }
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile(nullptr, false, false), nullptr);
    EXPECT_TRUE(Logged("D3DDriver::CreateTextureFromFile: Failed to load (null)"));
}

class Sequence : public TextureTest {
protected:
    // name0.tga .. name<count-1>.tga of SequenceFrame.
    std::string WriteSequence(const std::string& name, unsigned count) {
        for (unsigned i = 0; i < count; ++i)
            Write(name + std::to_string(i) + ".tga", TgaFile(Tga::Argb32, SequenceFrame(i), false, false));
        return OutputPath(name + "0.tga");
    }
};

TEST_F(Sequence, FourFilesAtFifteenFramesASecondPlayByTheClock) {
    Display();
    Texture* texture = m_pRenderer->CreateTextureFromFileSequence(WriteSequence("fire", 4).c_str(), 15, false, false);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(texture->GetFrameCount(), 4u);
    EXPECT_TRUE(texture->HasMipmaps());
    // Started at tick 1000: 66 ms a frame, 264 ms in all.
    texture->SetPlaying(false);
    orvplatform::SetTickCount(1000);
    texture->SetPlaying(true);
    const std::pair<unsigned, unsigned> moments[] = {{65, 0}, {66, 1}, {263, 3}, {264, 0}};
    for (auto [elapsed, due] : moments) {
        orvplatform::SetTickCount(1000 + elapsed);
        EXPECT_EQ(WorstError(Bound(texture), SequenceFrame(due)), 0) << elapsed;
    }

    Texture* single = m_pRenderer->CreateTextureFromFileSequence(WriteSequence("solo", 1).c_str(), 15, true, false);
    EXPECT_EQ(single->GetFrameDurations(), nullptr);
}

TEST_F(Sequence, AFrameThatDoesNotFitEndsTheLoadWithItsOwnLine) {
    Display();
    const std::string damaged = WriteSequence("damaged", 3), odd = WriteSequence("odd", 2);
    Write("damaged2.tga", std::vector<uint8_t>(18, 0));
    Write("odd1.tga", TgaFile(Tga::Grey8, 8, 8, false, false));
    const std::pair<std::string, std::string> cases[] = {
        {damaged, "Failed to load from " + OutputPath("damaged2.tga") + "."},
        {odd, OutputPath("odd1.tga") + " does not have the same parameters as the previous frames."},
    };
    const size_t before = orvd3d8::LiveObjectCount();
    for (const auto& [name, line] : cases) {
        ClearLines();
        EXPECT_EQ(m_pRenderer->CreateTextureFromFileSequence(name.c_str(), 15, false, false), nullptr);
        EXPECT_EQ(Lines(), (std::vector<std::string>{line, "D3DDriver::CreateTextureFromFileSequence: Failed to load " + name}));
        EXPECT_EQ(orvd3d8::LiveObjectCount(), before);
    }
}

TEST_F(TextureTest, AResetBringsEveryKindOfTextureBackAsItWas) {
    Display({}, 32);
    // Registry order: created (4 wide, two frames), image file (16), sequence
    // (8), animated ZAR file (2), DXT5 ZAR file (8); then the unique file (32).
    Texture* created = m_pRenderer->CreateTexture(4, 4, true, 2);
    ASSERT_NE(created, nullptr);
    for (unsigned i = 0; i < 32; ++i) created->SetPixel(i % 4, i / 4 % 4, 0xFF000000u | i * 0x070301u, i / 16);
    ASSERT_EQ(created->UpdateAllFrames(), 0);
    Texture* file = m_pRenderer->CreateTextureFromFile(
        Write("reset.png", PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 16, 16, false, false)).c_str(), false, false);
    for (unsigned i = 0; i < 3; ++i)
        Write("resetseq" + std::to_string(i) + ".tga", TgaFile(Tga::Argb32, SequenceFrame(i), false, false));
    Texture* sequence = m_pRenderer->CreateTextureFromFileSequence(OutputPath("resetseq0.tga").c_str(), 15, true, false);
    Texture* animated = m_pRenderer->CreateTextureFromFile(
        Write("reset.zar", orvtest::NoiseZar(2, 2, 0x000F, 4, {100, 110, 120}, 31)).c_str(), false, false);
    orvtest::ZarFile dxt = orvtest::NoiseZar(8, 8, 0, 1, {}, 4);  // 4 blocks of 16 bytes
    dxt.compression = 5;
    Texture* compressed = m_pRenderer->CreateTextureFromFile(Write("reset5.zar", dxt).c_str(), false, false);
    Texture* unique = m_pRenderer->CreateTextureFromFile(Write("reset.bmp", BmpFile(Bmp::Rgb24, 32, 32, false)).c_str(), false, true);
    ASSERT_TRUE(file && sequence && animated && compressed && unique);
    for (Texture* held : {sequence, animated}) {
        held->SetLooping(false);
        held->SetPlaying(false);
        held->SetFrame(held == sequence ? 2 : 1);
    }
    Texture* const all[] = {created, file, sequence, animated, compressed, unique};
    std::vector<FrameContents> before;
    for (Texture* texture : all)
        for (unsigned frame = 0; frame < texture->GetFrameCount(); ++frame) before.push_back(BoundAt(texture, frame));

    EXPECT_EQ(ResetAndListWidths(), (std::vector<uint64_t>{4, 4, 16, 8, 8, 8, 2, 2, 2, 8, 32}));

    size_t index = 0;
    for (Texture* texture : all)
        for (unsigned frame = 0; frame < texture->GetFrameCount(); ++frame, ++index) {
            const FrameContents contents = BoundAt(texture, frame);
            EXPECT_TRUE(contents.bytes == before[index].bytes && contents.levels == before[index].levels) << index;
        }
    EXPECT_EQ(created->GetPixel(1, 2, 1), 0xFF000000u | 25 * 0x070301u);
    for (Texture* held : {sequence, animated}) {
        EXPECT_FALSE(held->IsLooping());
        EXPECT_FALSE(held->IsPlaying());
        EXPECT_EQ(held->GetCurrentFrame(), held == sequence ? 2u : 1u);
    }
    // The sequence plays on the new device at its own rate.
    orvplatform::SetTickCount(7000);
    sequence->SetPlaying(true);
    orvplatform::SetTickCount(7000 + 66);
    EXPECT_EQ(WorstError(Bound(sequence), SequenceFrame(1)), 0);
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile(OutputPath("RESETSEQ0.tga").c_str(), false, false), sequence);
}

}  // namespace

// Textures from image files, numbered image sequences and ZAR files through
// the driver: size, format and pixels of each kind of file, the codes and log
// lines of files that do not load, sequence timing by the clock, and a device
// reset with every kind of texture alive.
#include <png.h>

#include <string>

#include "TextureTestSupport.h"

namespace {

using orvtest::FrameContents;
using orvtest::TextureTest;
using orvtest::ZarFile;

int WorstError(const FrameContents& frame, const Picture& expected) {
    return WorstChannelError(Picture{UINT(frame.image.width), UINT(frame.image.height), frame.image.pixels}, expected);
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
        Texture* texture = FromFile(name, file, false, false);
        ASSERT_NE(texture, nullptr) << name;
        EXPECT_EQ(texture->GetFormat(), file.format) << name;
        const FrameContents frame = Bound(texture);
        EXPECT_EQ(frame.levels, std::max(texture->GetWidth(), texture->GetHeight()) == 16 ? 5u : 4u) << name;
        EXPECT_EQ(WorstError(frame, file.expected), 0) << name;
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
// empty) and one line; nothing of it stays alive or registered.
TEST_F(TextureTest, FilesThatDoNotLoadGiveTheirCodeAndLineAndLeaveNothing) {
    Display();
    const ImageFile png = PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 8, 8, false, false);
    struct Bad {
        std::string name;
        std::vector<uint8_t> bytes;  // none: no file
        int code;                    // 0: not a ZAR file
    };
    std::vector<Bad> cases = {{"missing.png", {}, 0},
                              {"cut.png", std::vector<uint8_t>(png.bytes.begin(), png.bytes.begin() + png.bytes.size() / 2), 0}};
    const ZarFile good = orvtest::NoiseZar(1, 1, 0x0009, 4, {}, 1);
    auto with = [&](int code, auto edit) {
        ZarFile file = good;
        edit(file);
        cases.push_back({"bad" + std::to_string(cases.size()) + ".zar", file.Bytes(), code});
    };
    with(-2, [](ZarFile& f) { f.magic[2] = 'Q'; });
    with(-3, [](ZarFile& f) { f.version = 1; });
    with(-4, [](ZarFile& f) { f.height = 0; });
    with(-8, [](ZarFile& f) { f.width = 3; });
    with(-1, [](ZarFile& f) { f.compression = 6; });
    with(-1, [](ZarFile& f) { f.width = 32768; f.height = 32768; });  // 32-bit size product wraps
    with(-1, [](ZarFile& f) { f.frameCount = 3; f.payload.clear(); });
    cases.push_back({"short.zar", good.Bytes(), -1});
    cases.back().bytes.resize(63);
    Texture* empty = m_pRenderer->CreateTexture(4, 4, false, 0);
    for (const Bad& c : cases) {
        const std::string path = c.bytes.empty() ? OutputPath(c.name) : Write(c.name, c.bytes);
        if (c.code) {
            EXPECT_EQ(orvtest::LoadFromFile(empty, path.c_str(), 1, true, false, true), c.code) << c.name;
            EXPECT_TRUE(empty->GetFrameCount() == 0 && !empty->GetFrameData(0)) << c.name;
        }
        ClearLines();
        const size_t before = orvd3d8::LiveObjectCount();
        EXPECT_EQ(m_pRenderer->CreateTextureFromFile(path.c_str(), false, c.code != 0), nullptr) << c.name;
        EXPECT_EQ(Lines(), std::vector<std::string>{"D3DDriver::CreateTextureFromFile: Failed to load " + path});
        EXPECT_EQ(orvd3d8::LiveObjectCount(), before) << c.name;
        if (c.code) continue;
        Texture* texture = FromFile(c.name, png, false, false);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetRefCount(), 1u);
        m_pRenderer->ReleaseTexture(texture);
    }
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile(nullptr, false, false), nullptr);
    EXPECT_TRUE(Logged("D3DDriver::CreateTextureFromFile: Failed to load (null)"));
}

class Sequence : public TextureTest {
protected:
    // name0.tga .. name<count-1>.tga of SequenceFrame; the path of the first.
    std::string WriteSequence(const std::string& name, unsigned count) {
        for (unsigned i = 0; i < count; ++i)
            Write(name + std::to_string(i) + ".tga", TgaFile(Tga::Argb32, SequenceFrame(i), false, false));
        return OutputPath(name + "0.tga");
    }
};

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
    const std::string first = WriteSequence("resetseq", 3);
    Texture* sequence = m_pRenderer->CreateTextureFromFileSequence(first.c_str(), 15, false, false);
    Texture* animated = FromFile("reset.zar", orvtest::NoiseZar(2, 2, 0x000F, 4, {100, 110, 120}, 31), false, false);
    ZarFile dxt = orvtest::NoiseZar(8, 8, 0, 1, {}, 4);  // 4 blocks of 16 bytes
    dxt.compression = 5;
    Texture* compressed = FromFile("reset5.zar", dxt, false, false);
    Texture* unique = FromFile("reset.bmp", BmpFile(Bmp::Rgb24, 32, 32, false));
    ASSERT_TRUE(file && sequence && animated && compressed && unique);
    ASSERT_EQ(sequence->GetFrameCount(), 3u);
    EXPECT_TRUE(sequence->HasMipmaps());
    // Fifteen frames a second: 66 ms a frame from the moment it starts.
    sequence->SetPlaying(false);
    orvplatform::SetTickCount(1000);
    sequence->SetPlaying(true);
    for (auto [elapsed, due] : {std::pair<unsigned, unsigned>{65, 0}, {66, 1}, {197, 2}, {198, 0}}) {
        orvplatform::SetTickCount(1000 + elapsed);
        EXPECT_EQ(WorstError(Bound(sequence), SequenceFrame(due)), 0) << elapsed;
    }
    for (Texture* held : {sequence, animated}) {
        held->SetLooping(false);
        held->SetPlaying(false);
        held->SetFrame(held == sequence ? 2 : 1);
    }
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

    // Files are loaded again at the depth current then; created textures
    // keep the format their copies hold.
    m_pRenderer->SetTextureBitDepth(16);
    ASSERT_TRUE(m_pRenderer->ResetDevice());
    EXPECT_EQ(animated->GetFormat(), D3DFMT_A4R4G4B4);
    EXPECT_EQ(created->GetFormat(), D3DFMT_A8R8G8B8);
}

}  // namespace

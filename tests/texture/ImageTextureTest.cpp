// Textures from image files and numbered image sequences through the
// driver: size, format and pixels of every kind of file, sharing by name,
// the log lines of files that do not load, sequence timing by the clock, and
// a device reset with every kind of texture alive.
#include <png.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "TextureTestSupport.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"

namespace {

using orvtest::FrameContents;
using orvtest::TextureTest;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), ::toupper);
    return text;
}

UINT FullChain(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size >>= 1) ++levels;
    return levels;
}

// Largest channel difference between a frame and a picture (256 when the
// sizes differ or the frame cannot be read as pixels).
int WorstError(const FrameContents& frame, const Picture& expected) {
    const orvd3d8::Image& image = frame.image;
    if (image.width != int(expected.width) || image.height != int(expected.height)) return 256;
    int worst = 0;
    for (UINT y = 0; y < expected.height; ++y)
        for (UINT x = 0; x < expected.width; ++x)
            for (int shift = 0; shift < 32; shift += 8)
                worst = std::max(worst, std::abs(int(image.At(x, y) >> shift & 0xFF) -
                                                 int(expected.At(x, y) >> shift & 0xFF)));
    return worst;
}

// Frame `frame` of a four-frame sequence: the pattern with its colour turned.
Picture SequenceFrame(UINT size, unsigned frame) {
    Picture picture = Pattern(size, size);
    for (uint32_t& pixel : picture.argb) pixel ^= 0x00402010u * (frame + 1);
    return picture;
}

TEST_F(TextureTest, ImageFilesOfEveryKindLoadWithTheirSizeFormatAndPixels) {
    struct Case {
        const char* name;
        ImageFile file;
        int tolerance;
    };
    const Case cases[] = {
        {"tile.tga", TgaFile(Tga::Argb32, 16, 8, true, false), 0},
        {"tile.bmp", BmpFile(Bmp::Rgb24, 8, 16, false), 0},
        {"tile.png", PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 16, 16, false, false), 0},
        {"tile.dds", DdsFile(D3DFMT_A4R4G4B4, 16, 16, 1), 0},
        {"tile.jpg", JpegFile(false, false, 16, 16), 10},
        {"tile.dib", BmpFile(Bmp::Rgb555, 16, 4, true, false), 0},
        // Not a known extension: the loader still reads it by its bytes.
        {"tile.picture", TgaFile(Tga::Argb16, 8, 8, false, true), 0},
        {"tile.grey.png", PngFile(PNG_COLOR_TYPE_GRAY, 8, 4, 4, false, false), 0},
    };
    // The texture depth steers the format of ZAR files only.
    Display({}, 16);
    const size_t before = orvd3d8::LiveObjectCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write(c.name, c.file);
        Texture* texture = m_pRenderer->CreateTextureFromFile(path.c_str(), false, false);
        ASSERT_NE(texture, nullptr) << Lines().back();
        const UINT width = c.file.expected.width, height = c.file.expected.height;
        EXPECT_EQ(texture->GetWidth(), width);
        EXPECT_EQ(texture->GetHeight(), height);
        EXPECT_EQ(texture->GetFormat(), c.file.format);
        EXPECT_TRUE(texture->HasMipmaps());  // the loader's full chain
        EXPECT_EQ(texture->GetFrameCount(), 1u);
        EXPECT_EQ(texture->GetFrameDurations(), nullptr);
        EXPECT_EQ(texture->GetPitch(), width * texture->GetBytesPerPixel());
        EXPECT_EQ(texture->GetRowCount(), height);
        EXPECT_STREQ(texture->GetFileName().c_str(), path.c_str());

        const FrameContents frame = Bound(texture);
        EXPECT_EQ(frame.levels, FullChain(width, height));
        EXPECT_LE(WorstError(frame, c.file.expected), c.tolerance);
        // The system copy holds level 0 as the device does, and GetPixel
        // reads it for the formats it knows.
        const uint8_t* copy = static_cast<const uint8_t*>(texture->GetData());
        ASSERT_NE(copy, nullptr);
        for (UINT y = 0; y < height; ++y)
            ASSERT_EQ(0, std::memcmp(copy + y * texture->GetPitch(), &frame.bytes[y * frame.pitch],
                                     texture->GetPitch()))
                << "row " << y;
        const D3DFORMAT format = texture->GetFormat();
        for (UINT i = 0; i < width * height; ++i) {
            const UINT x = i % width, y = i / width;
            const uint32_t pixel = texture->GetPixel(x, y, 0);
            if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8)
                ASSERT_EQ(pixel, frame.Word32(x, y)) << i;
            else if (format == D3DFMT_A4R4G4B4)
                ASSERT_EQ(pixel, frame.image.At(x, y) & 0xF0F0F0F0u) << i;
            else
                ASSERT_EQ(pixel, 0u) << i;
        }

        // The same name in other letters shares the texture without loading.
        orvplatform::ClearJournal();
        EXPECT_EQ(m_pRenderer->CreateTextureFromFile(Upper(path).c_str(), true, false), texture);
        EXPECT_EQ(texture->GetRefCount(), 2u);
        EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::CreateTexture"), 0u);
        // unique: a second texture of the same pixels.
        Texture* own = m_pRenderer->CreateTextureFromFile(path.c_str(), false, true);
        ASSERT_NE(own, nullptr);
        EXPECT_NE(own, texture);
        EXPECT_EQ(Bound(own).bytes, frame.bytes);
        for (Texture* release : {own, texture, texture}) EXPECT_TRUE(m_pRenderer->ReleaseTexture(release));
        EXPECT_EQ(orvd3d8::LiveObjectCount(), before);
    }
}

TEST_F(TextureTest, BlockCompressedImageFilesKeepTheirBlocks) {
    Display();
    const std::vector<uint8_t> bytes = DdsBlockFile(D3DFMT_DXT3, 16, 8, 1, 11);
    const std::string path = Write("blocks.dds", bytes);
    Texture* texture = m_pRenderer->CreateTextureFromFile(path.c_str(), false, false);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetFormat(), D3DFMT_DXT3);
    EXPECT_EQ(texture->GetBlockWidth(), 4u);
    EXPECT_EQ(texture->GetBlockHeight(), 4u);
    EXPECT_EQ(texture->GetRowLength(), 4u);
    EXPECT_EQ(texture->GetRowCount(), 2u);
    EXPECT_EQ(texture->GetPitch(), 64u);
    const std::vector<uint8_t> level = DdsBlockLevel(bytes, D3DFMT_DXT3, 16, 8, 0);
    const uint8_t* copy = static_cast<const uint8_t*>(texture->GetData());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(copy, copy + level.size()), level);
    EXPECT_EQ(texture->UpdateRect(0, 0, 0, 16, 8), -1);
}

TEST_F(TextureTest, FilesThatDoNotLoadAreLoggedAndLeaveNothing) {
    Display();
    const ImageFile png = PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 8, 8, false, false);
    const ImageFile jpeg = JpegFile(false, false, 8, 8);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;  // none: the file is not there
    };
    const Case cases[] = {
        {"missing.png", {}},
        {"noise.xyz", orvtest::NoiseBytes(300, 21)},
        {"cut.png", std::vector<uint8_t>(png.bytes.begin(), png.bytes.begin() + png.bytes.size() / 2)},
        {"cut.jpg", std::vector<uint8_t>(jpeg.bytes.begin(), jpeg.bytes.begin() + 40)},
        {"empty.bmp", {0}},
        {"short.tga", std::vector<uint8_t>(18, 0)},
    };
    const size_t before = orvd3d8::LiveObjectCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = OutputPath(c.name);
        std::remove(path.c_str());
        if (!c.bytes.empty()) Write(c.name, c.bytes);
        ClearLines();
        EXPECT_EQ(m_pRenderer->CreateTextureFromFile(path.c_str(), false, false), nullptr);
        ASSERT_EQ(Lines().size(), 1u);
        EXPECT_EQ(Lines()[0], "D3DDriver::CreateTextureFromFile: Failed to load " + path);
        EXPECT_EQ(orvd3d8::LiveObjectCount(), before);
        // Nothing of the failure stays registered: the name loads once the
        // file is good.
        Write(c.name, png);
        Texture* texture = m_pRenderer->CreateTextureFromFile(path.c_str(), false, false);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetRefCount(), 1u);
        m_pRenderer->ReleaseTexture(texture);
    }
}

class Sequence : public TextureTest {
protected:
    // name0.tga .. name<count-1>.tga, 8 x 8 pictures of SequenceFrame.
    std::string WriteSequence(const std::string& name, unsigned count) {
        for (unsigned i = 0; i < count; ++i)
            Write(name + std::to_string(i) + ".tga", TgaFile(Tga::Argb32, SequenceFrame(8, i), false, false));
        std::remove(OutputPath(name + std::to_string(count) + ".tga").c_str());
        return OutputPath(name + "0.tga");
    }
};

TEST_F(Sequence, FourFilesAtFifteenFramesASecondPlayByTheClock) {
    Display();
    const std::string first = WriteSequence("fire", 4);
    Texture* texture = m_pRenderer->CreateTextureFromFileSequence(first.c_str(), 15, false, false);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetFrameCount(), 4u);
    ASSERT_NE(texture->GetFrameDurations(), nullptr);
    for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(texture->GetFrameDurations()[i], 66u);
    EXPECT_TRUE(texture->HasMipmaps());
    EXPECT_STREQ(texture->GetFileName().c_str(), first.c_str());
    EXPECT_EQ(texture->GetData(), nullptr);  // animated
    for (unsigned i = 0; i < 4; ++i)
        for (UINT p = 0; p < 64; ++p)
            ASSERT_EQ(texture->GetPixel(p % 8, p / 8, i), SequenceFrame(8, i).argb[p]) << i;

    // Started at tick 1000: 66 ms a frame, 264 ms in all.
    orvplatform::SetTickCount(500);
    texture->SetPlaying(false);
    orvplatform::SetTickCount(1000);
    texture->SetPlaying(true);
    const std::pair<unsigned, unsigned> moments[] = {{0, 0},   {65, 0},  {66, 1},  {131, 1},
                                                     {132, 2}, {263, 3}, {264, 0}, {264 + 66, 1}};
    for (auto [elapsed, due] : moments) {
        orvplatform::SetTickCount(1000 + elapsed);
        const FrameContents frame = Bound(texture);
        EXPECT_EQ(frame.levels, 4u) << elapsed;
        EXPECT_EQ(WorstError(frame, SequenceFrame(8, due)), 0) << elapsed;
    }

    // Shared by its name in any case, as a file or as a sequence.
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile(Upper(first).c_str(), false, false), texture);
    EXPECT_EQ(m_pRenderer->CreateTextureFromFileSequence(Upper(first).c_str(), 30, true, false), texture);
    EXPECT_EQ(texture->GetRefCount(), 3u);
    EXPECT_EQ(texture->GetFrameDurations()[0], 66u);
    // unique: loaded again.
    Texture* own = m_pRenderer->CreateTextureFromFileSequence(first.c_str(), 30, false, true);
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, texture);
    EXPECT_EQ(own->GetFrameDurations()[3], 33u);
    const size_t before = orvd3d8::LiveObjectCount();
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(own));
    EXPECT_EQ(orvd3d8::LiveObjectCount(), before - 4);
}

TEST_F(Sequence, OneFileIsNotAnimatedAndVeryFastRatesShowTheFirstFrame) {
    Display();
    Texture* single = m_pRenderer->CreateTextureFromFileSequence(WriteSequence("solo", 1).c_str(), 15, true, false);
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->GetFrameCount(), 1u);
    EXPECT_EQ(single->GetFrameDurations(), nullptr);
    EXPECT_NE(single->GetData(), nullptr);

    Texture* fast = m_pRenderer->CreateTextureFromFileSequence(WriteSequence("fast", 3).c_str(), 2000, true, false);
    ASSERT_NE(fast, nullptr);
    for (unsigned tick : {0u, 1u, 77u, 5000u}) {
        orvplatform::SetTickCount(tick);
        EXPECT_EQ(fast->GetCurrentFrame(), 0u) << tick;
        EXPECT_EQ(WorstError(Bound(fast), SequenceFrame(8, 0)), 0) << tick;
    }
}

TEST_F(Sequence, AFrameThatDoesNotFitEndsTheLoadWithItsOwnLine) {
    Display();
    const std::string damaged = WriteSequence("damaged", 3);
    Write("damaged2.tga", std::vector<uint8_t>(18, 0));
    const std::string odd = WriteSequence("odd", 2);
    Write("odd1.tga", TgaFile(Tga::Argb32, 16, 16, false, false));
    const std::string grey = WriteSequence("grey", 2);
    Write("grey1.tga", TgaFile(Tga::Grey8, 8, 8, false, false));
    const std::pair<std::string, std::string> cases[] = {
        {damaged, "Failed to load from " + OutputPath("damaged2.tga") + "."},
        {odd, OutputPath("odd1.tga") + " does not have the same parameters as the previous frames."},
        {grey, OutputPath("grey1.tga") + " does not have the same parameters as the previous frames."},
    };
    const size_t before = orvd3d8::LiveObjectCount();
    for (const auto& [name, line] : cases) {
        ClearLines();
        EXPECT_EQ(m_pRenderer->CreateTextureFromFileSequence(name.c_str(), 15, false, false), nullptr);
        EXPECT_EQ(Lines(), (std::vector<std::string>{
                               line, "D3DDriver::CreateTextureFromFileSequence: Failed to load " + name}));
        EXPECT_EQ(orvd3d8::LiveObjectCount(), before);
    }
}

TEST_F(Sequence, AMaterialSavesASequenceByItsFirstFileAndReadsItBack) {
    Display();
    // A sequence, a sequence of one file, and an animated ZAR file (which
    // carries its frames itself and is named as a plain map).
    Texture* fire = m_pRenderer->CreateTextureFromFileSequence(WriteSequence("flare", 3).c_str(), 15, true, false);
    Texture* single = m_pRenderer->CreateTextureFromFileSequence(WriteSequence("lone", 1).c_str(), 15, true, false);
    orvtest::ZarFile zar;
    zar.width = zar.height = 4;
    zar.layoutFlags = 0x000F;
    zar.frameCount = 2;
    zar.durations = {100, 100};
    zar.payload = orvtest::NoiseBytes(2 * 64, 41);
    Texture* animated = m_pRenderer->CreateTextureFromFile(Write("frames.zar", zar).c_str(), true, false);
    ASSERT_TRUE(fire && single && animated);
    Material* material = m_pRenderer->CreateMaterial();
    for (Texture* texture : {fire, single, animated}) {
        ASSERT_NE(material->AddLayer(texture), nullptr);
        m_pRenderer->ReleaseTexture(texture);  // the layers hold them now
    }
    const std::string path = OutputPath("sequence-material.xml");
    ASSERT_TRUE(material->SaveToFile(path.c_str()));
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    for (const std::string& expected :
         {"MapSequence=\"" + OutputPath("flare0.tga") + "\"", "MapSequence=\"" + OutputPath("lone0.tga") + "\"",
          "Map=\"" + OutputPath("frames.zar") + "\""})
        EXPECT_NE(text.str().find(expected), std::string::npos) << expected << " in\n" << text.str();

    // Read back: the same shared textures. With the first material gone,
    // the sequence is loaded again from its files as a sequence.
    Material* again = m_pRenderer->LoadMaterial(path.c_str());
    ASSERT_NE(again, nullptr);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(again->GetLayer(i)->GetTexture(), material->GetLayer(i)->GetTexture());
    m_pRenderer->ReleaseMaterial(material);
    m_pRenderer->ReleaseMaterial(again);
    Material* fresh = m_pRenderer->LoadMaterial(path.c_str());
    ASSERT_NE(fresh, nullptr);
    Texture* reloaded = fresh->GetLayer(0)->GetTexture();
    EXPECT_EQ(reloaded->GetFrameCount(), 3u);
    EXPECT_EQ(reloaded->GetFrameDurations()[2], 66u);
    EXPECT_EQ(fresh->GetLayer(1)->GetTexture()->GetFrameCount(), 1u);
    EXPECT_EQ(fresh->GetLayer(2)->GetTexture()->GetFrameCount(), 2u);
    m_pRenderer->ReleaseMaterial(fresh);
}

TEST_F(TextureTest, AResetBringsEveryKindOfTextureBackAsItWas) {
    Display({}, 32);
    // Registry order: created (4 wide, two frames), image file (16), sequence
    // (8), animated ZAR file (2), DXT5 ZAR file (8); then the unique image
    // file (32).
    Texture* created = m_pRenderer->CreateTexture(4, 4, true, 2);
    ASSERT_NE(created, nullptr);
    for (unsigned i = 0; i < 32; ++i) created->SetPixel(i % 4, i / 4 % 4, 0xFF000000u | i * 0x070301u, i / 16);
    ASSERT_EQ(created->UpdateAllFrames(), 0);
    const ImageFile image = PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 16, 16, false, false);
    Texture* file = m_pRenderer->CreateTextureFromFile(Write("reset.png", image).c_str(), false, false);
    Texture* sequence = m_pRenderer->CreateTextureFromFileSequence(
        [&] {
            for (unsigned i = 0; i < 3; ++i)
                Write("resetseq" + std::to_string(i) + ".tga", TgaFile(Tga::Argb32, SequenceFrame(8, i), false, false));
            return OutputPath("resetseq0.tga");
        }().c_str(),
        15, true, false);
    orvtest::ZarFile zar;
    zar.width = zar.height = 2;
    zar.layoutFlags = 0x000F;
    zar.frameCount = 3;
    zar.durations = {100, 110, 120};
    zar.payload = orvtest::NoiseBytes(3 * 16, 31);
    Texture* animated = m_pRenderer->CreateTextureFromFile(Write("reset.zar", zar).c_str(), false, false);
    orvtest::ZarFile dxt;
    dxt.width = dxt.height = 8;
    dxt.compression = 5;
    dxt.payload = orvtest::NoiseBytes(4 * 16, 4);
    Texture* compressed = m_pRenderer->CreateTextureFromFile(Write("reset5.zar", dxt).c_str(), false, false);
    Texture* unique = m_pRenderer->CreateTextureFromFile(Write("reset.bmp", BmpFile(Bmp::Rgb24, 32, 32, false)).c_str(), false, true);
    ASSERT_TRUE(file && sequence && animated && compressed && unique);
    for (Texture* held : {sequence, animated}) {
        held->SetLooping(false);
        held->SetPlaying(false);
        held->SetFrame(held == sequence ? 2 : 1);
    }
    Texture* const all[] = {created, file, sequence, animated, compressed, unique};

    std::vector<std::vector<uint8_t>> before;
    std::vector<UINT> levels;
    for (Texture* texture : all)
        for (unsigned frame = 0; frame < texture->GetFrameCount(); ++frame) {
            const FrameContents contents = BoundAt(texture, frame);
            before.push_back(contents.bytes);
            levels.push_back(contents.levels);
        }

    EXPECT_EQ(ResetAndListWidths(), (std::vector<uint64_t>{4, 4, 16, 8, 8, 8, 2, 2, 2, 8, 32}));

    size_t index = 0;
    for (Texture* texture : all)
        for (unsigned frame = 0; frame < texture->GetFrameCount(); ++frame, ++index) {
            const FrameContents contents = BoundAt(texture, frame);
            EXPECT_EQ(contents.bytes, before[index]) << index;
            EXPECT_EQ(contents.levels, levels[index]) << index;
        }
    EXPECT_EQ(index, before.size());
    EXPECT_EQ(created->GetFrameCount(), 2u);
    EXPECT_TRUE(created->HasMipmaps());
    EXPECT_EQ(created->GetFrameDurations()[1], 66u);
    EXPECT_EQ(created->GetPixel(1, 2, 1), 0xFF000000u | 25 * 0x070301u);
    EXPECT_EQ(created->GetRefCount(), 1u);
    EXPECT_TRUE(file->HasMipmaps());
    EXPECT_EQ(file->GetFormat(), image.format);
    EXPECT_EQ(file->GetPixel(3, 5, 0), image.expected.At(3, 5));
    EXPECT_EQ(sequence->GetFrameCount(), 3u);
    EXPECT_EQ(sequence->GetFrameDurations()[1], 66u);
    EXPECT_TRUE(sequence->HasMipmaps());
    EXPECT_STREQ(sequence->GetFileName().c_str(), OutputPath("resetseq0.tga").c_str());
    for (Texture* held : {sequence, animated}) {
        EXPECT_FALSE(held->IsLooping());
        EXPECT_FALSE(held->IsPlaying());
        EXPECT_EQ(held->GetCurrentFrame(), held == sequence ? 2u : 1u);
    }
    EXPECT_EQ(animated->GetFormat(), D3DFMT_A8R8G8B8);
    EXPECT_EQ(animated->GetFrameCount(), 3u);
    EXPECT_EQ(animated->GetFrameDurations()[2], 120u);
    EXPECT_EQ(compressed->GetFormat(), D3DFMT_DXT5);
    EXPECT_EQ(unique->GetWidth(), 32u);
    // The sequence plays on the new device at its own rate.
    orvplatform::SetTickCount(7000);
    sequence->SetPlaying(true);
    orvplatform::SetTickCount(7000 + 66);
    EXPECT_EQ(WorstError(Bound(sequence), SequenceFrame(8, 1)), 0);
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile(OutputPath("reset.png").c_str(), false, false), file);
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile(OutputPath("RESETSEQ0.tga").c_str(), false, false), sequence);
}

}  // namespace

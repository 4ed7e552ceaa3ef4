// Checks of the texture scenarios: every texel drawn where its block of
// pixels lies, with the colour computed from the pictures of
// TexturePictures.h, the image-file writers (the same files the scenarios
// wrote), the software DXT decoding of the same blocks, and the example
// textures; and the facts the scenarios recorded.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ScenarioOutput.h"
#include "ScenePixels.h"
#include "TexturePictures.h"
#include "d3dx/ImageFiles.h"
#include "texture/DxtDecoder.h"

namespace {

using namespace winesuite;

class WineTextures : public WineTest {};

constexpr int kExact = 3;      // uncompressed texels through point sampling
constexpr int kDxt = 6;        // the runtime's DXT decoding against the software one
constexpr int kJpeg = 12;      // a JPEG picture against the picture it was made from
constexpr int kFourCCDxt1 = 0x31545844, kFourCCDxt5 = 0x35545844;

using TexelFunction = std::function<uint32_t(unsigned x, unsigned y)>;

// The pixel in the middle of each texel's block of a `size` x `size`
// texture drawn over `rect`: the texel itself, blended by its alpha over the
// clear colour when `blended`.
void ExpectTexels(const orvhost::Image& image, const QuadRect& rect, unsigned size,
                  const TexelFunction& texel, bool blended, int tolerance, const std::string& what) {
    ASSERT_GT(image.width, 0) << what;
    const float scale = static_cast<float>(rect.right - rect.left) / static_cast<float>(size);
    const Rgba clear = ClearColourOf(kTextureClear);
    for (unsigned y = 0; y < size; ++y)
        for (unsigned x = 0; x < size; ++x) {
            const Rgba colour = Unpacked(texel(x, y));
            const Rgba expected =
                blended ? AlphaBlended(colour, clear) : Rgba{colour.r, colour.g, colour.b, 1};
            const ScreenPoint point = {rect.left + static_cast<float>(static_cast<int>((x + 0.5f) * scale)),
                                       rect.top + static_cast<float>(static_cast<int>((y + 0.5f) * scale))};
            ExpectColourAt(image, point, expected, tolerance,
                           what + " texel " + std::to_string(x) + "," + std::to_string(y));
        }
}

orvhost::Image Captured(const ScenarioOutput& output, const char* name) {
    EXPECT_EQ(output.Fact(std::string("quads.") + name), "1") << name;
    EXPECT_EQ(output.Fact(std::string("frames.") + name), "1") << name;
    EXPECT_EQ(output.Fact(std::string("captured.") + name), "1") << name;
    orvhost::Image image;
    EXPECT_TRUE(output.ReadPicture(name, &image)) << name;
    return image;
}

TexelFunction FromPicture(const ::Picture& picture) {
    return [picture](unsigned x, unsigned y) { return picture.At(x, y); };
}

// A ZAR file's blocks decoded by the software decoder into A8R8G8B8.
TexelFunction DecodedZar(ZarKind kind) {
    const std::vector<uint8_t> bytes = ZarBytes(kind);
    const D3DFORMAT format = kind == ZarKind::Dxt1 ? D3DFMT_DXT1 : D3DFMT_DXT5;
    std::vector<uint32_t> pixels(kFileSize * kFileSize);
    DecodeDxtImage(bytes.data() + ZarPayloadOffset(kind), format, kFileSize, kFileSize,
                   PixelPacking::FromBits(PixelChannels(8, 8, 8, 8)), 4,
                   reinterpret_cast<uint8_t*>(pixels.data()), kFileSize * 4);
    return [pixels](unsigned x, unsigned y) { return pixels[y * kFileSize + x]; };
}

TexelFunction Frame(unsigned frame) {
    return [frame](unsigned x, unsigned y) { return FrameTexel(x, y, frame); };
}
TexelFunction Created(unsigned frame) {
    return [frame](unsigned x, unsigned y) { return CreatedTexel(x, y, frame); };
}

// Each channel kept to its top four bits and widened again, as a 16-bit
// texture of four bits a channel shows it.
uint32_t FourBits(uint32_t argb) {
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) result |= ((argb >> shift & 0xFF) >> 4) * 17 << shift;
    return result;
}

}  // namespace

TEST_F(WineTextures, CreatedTexturesShowWhatTheHostWroteIntoTheirCopies) {
    const ScenarioOutput output = FinishedCleanly("texture_created");
    ASSERT_EQ(output.Fact("textures.made"), "1");
    EXPECT_EQ(output.IntFact("format.32"), D3DFMT_A8R8G8B8);
    EXPECT_EQ(output.IntFact("format.16"), D3DFMT_A4R4G4B4);
    EXPECT_EQ(output.Fact("readback.32"), "1");
    EXPECT_EQ(output.Fact("readback.16"), "1");
    EXPECT_EQ(output.Fact("update.rect"), "0");
    EXPECT_EQ(output.IntFact("animated.frames"), static_cast<int>(kCreatedFrames));
    EXPECT_EQ(output.Fact("animated.duration"), "66");
    EXPECT_EQ(output.IntFact("animated.current"), static_cast<int>(kShownCreatedFrame));
    EXPECT_EQ(output.Fact("textures.released"), "1");

    const orvhost::Image image = Captured(output, "created");
    ExpectTexels(image, Slot(kCreated32), kCreatedSize, Created(0), true, kExact, "32-bit");
    ExpectTexels(image, Slot(kCreated16), kCreatedSize,
                 [](unsigned x, unsigned y) { return FourBits(CreatedTexel(x, y, 0)); }, true, kExact,
                 "16-bit");
    ExpectTexels(image, Slot(kCreatedUpdated), kCreatedSize,
                 [](unsigned x, unsigned y) {
                     const bool inside = static_cast<int>(x) >= kUpdatedTexels.left &&
                                         static_cast<int>(x) < kUpdatedTexels.right &&
                                         static_cast<int>(y) >= kUpdatedTexels.top &&
                                         static_cast<int>(y) < kUpdatedTexels.bottom;
                     // Texel (0, 0) changed in the copy only: not uploaded.
                     return inside ? kUpdatedColour : CreatedTexel(x, y, 0);
                 },
                 true, kExact, "rectangle uploaded");
    ExpectTexels(image, Slot(kCreatedAnimated), kCreatedSize, Created(kShownCreatedFrame), true,
                 kExact, "paused animation");
}

TEST_F(WineTextures, ImageFilesAndSequencesLoadAndDraw) {
    const ScenarioOutput output = FinishedCleanly("texture_files");
    ASSERT_EQ(output.Fact("textures.made"), "1");
    EXPECT_EQ(output.Fact("files.written"), "1");
    const ImageFile images[] = {
        BmpFile(Bmp::Rgb24, kFileSize, kFileSize, false),
        TgaFile(Tga::Rgb24, kFileSize, kFileSize, true, false),
        PngFile(6, 8, kFileSize, kFileSize, false, false),
        DdsFile(D3DFMT_R5G6B5, kFileSize, kFileSize, 1),
        JpegFile(false, false, kFileSize, kFileSize),
    };
    const char* const names[] = {"bmp", "tga", "png", "dds", "jpg"};
    const orvhost::Image image = Captured(output, "files");
    for (int slot = kFileBmp; slot <= kFileJpeg; ++slot) {
        // The decoders choose the same formats on the real runtime.
        EXPECT_EQ(output.IntFact(std::string("format.picture.") + names[slot]), images[slot].format)
            << names[slot];
        ExpectTexels(image, Slot(slot), kFileSize, FromPicture(images[slot].expected), true,
                     slot == kFileJpeg ? kJpeg : kExact, names[slot]);
    }

    EXPECT_EQ(output.Fact("shared.same"), "1");
    EXPECT_EQ(output.Fact("shared.references"), "2");
    EXPECT_EQ(output.Fact("shared.released.references"), "1");
    EXPECT_EQ(output.Fact("sequence.shared"), "1");
    EXPECT_EQ(output.IntFact("sequence.frames"), static_cast<int>(kSequenceFrames));
    EXPECT_EQ(output.IntFact("sequence.duration"), 1000 / kSequenceRate);
    EXPECT_EQ(output.Fact("sequence.mipmaps"), "1");
    EXPECT_EQ(output.IntFact("sequence.current"), static_cast<int>(kShownSequenceFrame));
    ExpectTexels(image, Slot(kFileSequence), kAnimatedSize, Frame(kShownSequenceFrame), true,
                 kExact, "sequence");
    EXPECT_EQ(output.Fact("textures.released"), "1");
}

TEST_F(WineTextures, ZarFilesOfEveryPathMatchTheSoftwareDecoding) {
    const ScenarioOutput output = FinishedCleanly("texture_zar");
    ASSERT_EQ(output.Fact("textures.made"), "1");
    EXPECT_EQ(output.Fact("files.written"), "1");
    EXPECT_EQ(output.IntFact("format.rgba.zar"), D3DFMT_A8R8G8B8);
    // The runtime samples DXT itself: the blocks go to it as they are.
    EXPECT_EQ(output.IntFact("format.dxt1.zar"), kFourCCDxt1);
    EXPECT_EQ(output.IntFact("format.dxt5.zar"), kFourCCDxt5);
    EXPECT_EQ(output.IntFact("format.animated.zar"), D3DFMT_X8R8G8B8);

    EXPECT_EQ(output.IntFact("animated.frames"), static_cast<int>(kZarFrames));
    EXPECT_EQ(output.Fact("animated.durations"), "100 200 300");
    EXPECT_EQ(output.Fact("unique.distinct"), "1");
    EXPECT_EQ(output.IntFact("paused.current"), static_cast<int>(kPausedZarFrame));
    // Not looping, measured from the start of the tick count: ended.
    EXPECT_EQ(output.Fact("ended.playing"), "0");
    EXPECT_EQ(output.IntFact("ended.current"), static_cast<int>(kZarFrames - 1));

    const orvhost::Image image = Captured(output, "zar");
    ExpectTexels(image, Slot(kZarRgba), kFileSize,
                 [](unsigned x, unsigned y) { return ZarTexel(x, y, true); }, true, kExact,
                 "uncompressed");
    ExpectTexels(image, Slot(kZarDxt1), kFileSize, DecodedZar(ZarKind::Dxt1), true, kDxt, "DXT1");
    ExpectTexels(image, Slot(kZarDxt5), kFileSize, DecodedZar(ZarKind::Dxt5), true, kDxt, "DXT5");
    ExpectTexels(image, Slot(kZarPaused), kAnimatedSize, Frame(kPausedZarFrame), true, kExact,
                 "paused");
    ExpectTexels(image, Slot(kZarEnded), kAnimatedSize, Frame(kZarFrames - 1), true, kExact,
                 "ended");
    EXPECT_EQ(output.Fact("textures.released"), "1");
}

TEST_F(WineTextures, TexturesLiveThroughResetDeviceWithTheirPixels) {
    const ScenarioOutput output = FinishedCleanly("texture_reset");
    ASSERT_EQ(output.Fact("textures.made"), "1");
    EXPECT_EQ(output.Fact("files.written"), "1");
    EXPECT_EQ(output.Fact("reset"), "1");
    EXPECT_EQ(output.IntFact("after.created.format"), D3DFMT_A8R8G8B8);
    EXPECT_EQ(output.IntFact("after.created.width"), static_cast<int>(kCreatedSize));
    EXPECT_EQ(output.IntFact("after.dxt1.format"), kFourCCDxt1);
    EXPECT_EQ(output.IntFact("after.sequence.frames"), static_cast<int>(kSequenceFrames));
    EXPECT_EQ(output.Fact("after.sequence.playing"), "0");
    EXPECT_EQ(output.IntFact("after.sequence.current"), static_cast<int>(kShownSequenceFrame));
    EXPECT_EQ(output.IntFact("after.animated.frames"), static_cast<int>(kZarFrames));
    EXPECT_EQ(output.IntFact("after.animated.current"), static_cast<int>(kPausedZarFrame));
    EXPECT_EQ(output.Fact("textures.released"), "1");

    const ::Picture bitmap = BmpFile(Bmp::Rgb24, kFileSize, kFileSize, false).expected;
    for (const char* name : {"before", "after"}) {
        const orvhost::Image image = Captured(output, name);
        const std::string when = name;
        ExpectTexels(image, Slot(kResetCreated), kCreatedSize, Created(0), true, kExact,
                     when + ", created");
        ExpectTexels(image, Slot(kResetBmp), kFileSize, FromPicture(bitmap), true, kExact,
                     when + ", bitmap");
        ExpectTexels(image, Slot(kResetDxt1), kFileSize, DecodedZar(ZarKind::Dxt1), true, kDxt,
                     when + ", DXT1");
        ExpectTexels(image, Slot(kResetSequence), kAnimatedSize, Frame(kShownSequenceFrame), true,
                     kExact, when + ", sequence");
        ExpectTexels(image, Slot(kResetZarPaused), kAnimatedSize, Frame(kPausedZarFrame), true,
                     kExact, when + ", animated ZAR");
    }
}

namespace {

// The example textures as the Linux build wrote them: stone.bmp (24-bit
// bitmap) and moss.tga (32-bit, top-down).
bool ReadExampleTextures(orvhost::Image* stone, std::vector<uint32_t>* moss) {
    const std::string folder = std::string(ORV_EXAMPLES_DIR) + "/textures/";
    if (!orvhost::ReadBitmap(folder + "stone.bmp", stone)) return false;
    std::FILE* file = std::fopen((folder + "moss.tga").c_str(), "rb");
    if (!file) return false;
    std::vector<uint8_t> bytes(18 + 4 * kExampleTextureSize * kExampleTextureSize);
    const bool read = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    if (!read) return false;
    for (size_t i = 18; i < bytes.size(); i += 4)
        moss->push_back(static_cast<uint32_t>(bytes[i + 3]) << 24 | bytes[i + 2] << 16 |
                        bytes[i + 1] << 8 | bytes[i]);
    return true;
}

// The colour stage 1's "blend texture alpha" makes: texture × its alpha +
// current × (1 − its alpha), channel by channel.
uint32_t BlendedByTextureAlpha(uint32_t texture, uint32_t current) {
    const uint32_t alpha = texture >> 24;
    uint32_t result = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t t = texture >> shift & 0xFF, c = current >> shift & 0xFF;
        result |= ((t * alpha + c * (255 - alpha) + 127) / 255) << shift;
    }
    return result;
}

uint32_t Modulated(uint32_t a, uint32_t b) {
    uint32_t result = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
        result |= ((a >> shift & 0xFF) * (b >> shift & 0xFF) / 255) << shift;
    return result;
}

}  // namespace

TEST_F(WineTextures, MaterialsWithTexturesDrawThroughThePassLoop) {
    const ScenarioOutput output = FinishedCleanly("texture_materials");
    EXPECT_EQ(output.Fact("examples.loaded"), "1");
    // Each example's layer holds one reference, the scenario the third.
    EXPECT_EQ(output.Fact("stone.references"), "3");
    EXPECT_EQ(output.Fact("two_layers.made"), "1");
    EXPECT_EQ(output.Fact("second.uploaded"), "0");
    EXPECT_EQ(output.Fact("first.references"), "2");
    EXPECT_EQ(output.Fact("frames"), "1");
    // One pass for each mesh on the runtime's eight stages.
    EXPECT_EQ(output.Fact("triangles"), "6");
    EXPECT_EQ(output.Fact("materials.released"), "1");
    EXPECT_EQ(output.Fact("stone.references.after"), "1");
    EXPECT_EQ(output.Fact("first.references.after"), "1");
    EXPECT_EQ(output.Fact("textures.released"), "1");

    orvhost::Image stone;
    std::vector<uint32_t> moss;
    ASSERT_TRUE(ReadExampleTextures(&stone, &moss)) << "build the example textures first";
    ASSERT_EQ(stone.width, static_cast<int>(kExampleTextureSize));
    orvhost::Image image;
    ASSERT_EQ(output.Fact("captured"), "1");
    ASSERT_TRUE(output.ReadPicture("materials", &image));
    // Frame blend off: every material writes its colour as it is.
    const auto stoneTexel = [&](unsigned x, unsigned y) { return stone.At(x, y) | 0xFF000000u; };
    ExpectTexels(image, kStoneMesh, kExampleTextureSize, stoneTexel, false, kExact, "stone");
    ExpectTexels(image, kMossyStoneMesh, kExampleTextureSize,
                 [&](unsigned x, unsigned y) {
                     return BlendedByTextureAlpha(moss[y * kExampleTextureSize + x], stoneTexel(x, y));
                 },
                 false, kExact + 1, "mossy stone");
    ExpectTexels(image, kTwoLayerMesh, kCreatedSize,
                 [](unsigned x, unsigned y) {
                     return Modulated(CreatedTexel(x, y, 0), SecondLayerTexel(x, y));
                 },
                 false, kExact, "two layers");
}

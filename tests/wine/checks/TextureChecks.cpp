// Checks of the texture scenarios: every texel drawn where its block of
// pixels lies, with the colour computed from the pictures of
// TexturePictures.h, the image-file writers (the same files the scenarios
// wrote), the software DXT decoding of the same blocks, and the example
// textures; and the facts the scenarios recorded.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ScenarioOutput.h"
#include "ScenePixels.h"
#include "TexturePictures.h"
#include "support/ImageFiles.h"
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

TEST_F(WineTextures, CreatedFileAndZarTexturesAndMaterialsDrawBeforeAndAfterResetDevice) {
    const ScenarioOutput output = FinishedCleanly("textures");
    ASSERT_EQ(output.Fact("made"), "1");
    EXPECT_EQ(output.Fact("files.written"), "1");
    // The formats the driver chose; the runtime samples DXT itself, so the
    // blocks go to it as they are.
    const std::vector<ImageFile> images = PictureFiles();
    const std::pair<int, int> formats[] = {
        {kCreated32, D3DFMT_A8R8G8B8}, {kCreated16, D3DFMT_A4R4G4B4}, {kZarRgba, D3DFMT_A8R8G8B8},
        {kZarDxt1, kFourCCDxt1},       {kZarDxt5, kFourCCDxt5},       {kZarPaused, D3DFMT_X8R8G8B8},
        {kFileBmp, images[0].format},  {kFileTga, images[1].format},  {kFilePng, images[2].format},
        {kFileDds, images[3].format},  {kFileJpeg, images[4].format}};
    for (const auto& format : formats)
        EXPECT_EQ(output.IntFact("format." + std::to_string(format.first)), format.second)
            << "slot " << format.first;
    EXPECT_EQ(output.Fact("update.rect"), "0");
    EXPECT_EQ(output.Fact("durations.created").rfind("66 ", 0), 0u);
    EXPECT_EQ(output.Fact("durations.sequence").rfind(std::to_string(1000 / kSequenceRate) + " ", 0), 0u);
    EXPECT_EQ(output.Fact("durations.zar"), "100 200 300");
    // A name in other letters shares the texture and its reference count.
    EXPECT_EQ(output.Fact("shared"), "1");
    EXPECT_EQ(output.Fact("shared.references"), "2 1");
    // Not looping, measured from the start of the tick count: ended.
    EXPECT_EQ(output.Fact("ended.playing"), "0");
    EXPECT_EQ(output.Fact("reset"), "1");
    // The examples' layers and the scenario hold the stone texture, the
    // two-layer material and the scenario the created one, until released.
    EXPECT_EQ(output.Fact("references"), "3 2");
    EXPECT_EQ(output.Fact("references.after"), "1 1");
    EXPECT_EQ(output.Fact("released"), "1");
    orvhost::Image stone;
    std::vector<uint32_t> moss;
    ASSERT_TRUE(ReadExampleTextures(&stone, &moss)) << "build the example textures first";
    const auto stoneTexel = [&](unsigned x, unsigned y) { return stone.At(x, y) | 0xFF000000u; };

    const auto fourBits = [](unsigned x, unsigned y) { return FourBits(CreatedTexel(x, y, 0)); };
    const auto updated = [](unsigned x, unsigned y) {
        const int ix = static_cast<int>(x), iy = static_cast<int>(y);
        // Texel (0, 0) changed in the copy only: not uploaded.
        return ix >= kUpdatedTexels.left && ix < kUpdatedTexels.right && iy >= kUpdatedTexels.top &&
                       iy < kUpdatedTexels.bottom
                   ? kUpdatedColour
                   : CreatedTexel(x, y, 0);
    };
    for (const char* name : {"before", "after"}) {
        // One pass for each mesh on the runtime's eight stages (the materials
        // are gone after the reset); quads count none.
        const bool before = name[0] == 'b';
        const orvhost::Image image = output.Frame(name, before ? 6 : 0);
        const std::string when = std::string(name) + ", ";
        const auto expect = [&](int slot, unsigned size, const TexelFunction& texel, int tolerance) {
            ExpectTexels(image, Slot(slot), size, texel, true, tolerance, when + std::to_string(slot));
        };
        expect(kCreated32, kCreatedSize, Created(0), kExact);
        expect(kCreated16, kCreatedSize, fourBits, kExact);
        if (before) expect(kCreatedUpdated, kCreatedSize, updated, kExact);
        expect(kCreatedAnimated, kCreatedSize, Created(kShownCreatedFrame), kExact);
        for (int i = 0; i < 5; ++i)
            expect(kFileBmp + i, kFileSize, FromPicture(images[i].expected), i == 4 ? kJpeg : kExact);
        expect(kFileSequence, kAnimatedSize, Frame(kShownSequenceFrame), kExact);
        expect(kZarRgba, kFileSize, [](unsigned x, unsigned y) { return ZarTexel(x, y, true); }, kExact);
        expect(kZarDxt1, kFileSize, DecodedZar(ZarKind::Dxt1), kDxt);
        expect(kZarDxt5, kFileSize, DecodedZar(ZarKind::Dxt5), kDxt);
        expect(kZarPaused, kAnimatedSize, Frame(kPausedZarFrame), kExact);
        expect(kZarEnded, kAnimatedSize, Frame(kZarFrames - 1), kExact);
        if (!before) continue;
        // Frame blend off: every material writes its colour as it is.
        ExpectTexels(image, kMeshes[0], kExampleTextureSize, stoneTexel, false, kExact, when + "stone");
        ExpectTexels(image, kMeshes[1], kExampleTextureSize,
                     [&](unsigned x, unsigned y) {
                         return BlendedByTextureAlpha(moss[y * kExampleTextureSize + x], stoneTexel(x, y));
                     },
                     false, kExact + 1, when + "mossy stone");
        ExpectTexels(image, kMeshes[2], kCreatedSize,
                     [](unsigned x, unsigned y) { return Modulated(CreatedTexel(x, y, 0), SecondLayerTexel(x, y)); },
                     false, kExact, when + "two layers");
    }
}


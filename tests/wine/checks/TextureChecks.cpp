// The texture scenario: every texel drawn where its block of pixels lies,
// computed from TexturePictures.h, the software DXT decoding of the same
// blocks and the example texture.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ScenarioOutput.h"
#include "ScenePixels.h"
#include "TexturePictures.h"
#include "pixels/BlockCodec.h"

namespace {

using namespace winesuite;

using WineTextures = WineTest;

constexpr int kExact = 3;      // uncompressed texels through point sampling
constexpr int kDxt = 6;        // the runtime's DXT decoding against the software one
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

// The blocks of the ZAR file the scenario wrote, decoded by the ZAR loader's
// software decoder into A8R8G8B8.
TexelFunction DecodedZar(const ScenarioOutput& output, ZarKind kind, const char* name) {
    const std::vector<uint8_t> bytes = output.ReadFile(name);
    const D3DFORMAT format = kind == ZarKind::Dxt1 ? D3DFMT_DXT1 : D3DFMT_DXT5;
    std::vector<uint32_t> pixels(kFileSize * kFileSize);
    const size_t blockBytes = kFileSize / 4 * kFileSize / 4 * (kind == ZarKind::Dxt1 ? 8 : 16);
    if (bytes.size() >= ZarPayloadOffset(kind) + blockBytes)
        DecodeDxtImage(format, bytes.data() + ZarPayloadOffset(kind), kFileSize, kFileSize,
                       PixelPacking::Of(D3DFMT_A8R8G8B8), 4, reinterpret_cast<uint8_t*>(pixels.data()),
                       kFileSize * 4, BlockRounding::Nearest);
    else
        ADD_FAILURE() << name << " is missing or short";
    return [pixels](unsigned x, unsigned y) { return pixels[y * kFileSize + x]; };
}

TexelFunction Frame(unsigned frame) {
    return [frame](unsigned x, unsigned y) { return FrameTexel(x, y, frame); };
}

uint32_t Modulated(uint32_t a, uint32_t b) {
    uint32_t result = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
        result |= ((a >> shift & 0xFF) * (b >> shift & 0xFF) / 255) << shift;
    return result;
}

}  // namespace

TEST_F(WineTextures, CreatedAndZarTexturesAndMaterialsDrawBeforeAndAfterResetDevice) {
    const ScenarioOutput output = FinishedCleanly("textures");
    ASSERT_EQ(output.Fact("made"), "1");
    // The runtime samples DXT itself, so the blocks go to it as they are.
    const std::pair<int, int> formats[] = {{kCreated32, D3DFMT_A8R8G8B8}, {kZarRgba, D3DFMT_A8R8G8B8},
                                           {kZarDxt1, kFourCCDxt1},       {kZarDxt5, kFourCCDxt5},
                                           {kZarPaused, D3DFMT_X8R8G8B8}};
    for (const auto& format : formats)
        EXPECT_EQ(output.IntFact("format." + std::to_string(format.first)), format.second)
            << "slot " << format.first;
    // A name in other letters shares the texture and its reference count. The
    // example's layer and the scenario hold the stone texture, the two-layer
    // material and the scenario the created one, until released.
    output.ExpectFacts({{"update.rect", "0"}, {"durations.zar", "100 200 300"}, {"shared", "1"},
                        {"shared.references", "2 1"}, {"reset", "1"}, {"references", "2 2"},
                        {"references.after", "1 1"}, {"released", "1"}});
    orvhost::Image stone;
    ASSERT_TRUE(orvhost::ReadBitmap(std::string(ORV_EXAMPLES_DIR) + "/textures/stone.bmp", &stone));

    const auto updated = [](unsigned x, unsigned y) {
        const int ix = static_cast<int>(x), iy = static_cast<int>(y);
        // Texel (0, 0) changed in the copy only: not uploaded.
        return ix >= kUpdatedTexels.left && ix < kUpdatedTexels.right && iy >= kUpdatedTexels.top &&
                       iy < kUpdatedTexels.bottom
                   ? kUpdatedColour
                   : CreatedTexel(x, y);
    };
    for (const char* name : {"before", "after"}) {
        // One pass for each mesh (the materials are gone after the reset);
        // quads count none.
        const bool before = name[0] == 'b';
        const orvhost::Image image = output.Frame(name, before ? 4 : 0);
        const std::string when = std::string(name) + ", ";
        const auto expect = [&](int slot, unsigned size, const TexelFunction& texel, int tolerance) {
            ExpectTexels(image, Slot(slot), size, texel, true, tolerance, when + std::to_string(slot));
        };
        expect(kCreated32, kCreatedSize, CreatedTexel, kExact);
        if (before) expect(kCreatedUpdated, kCreatedSize, updated, kExact);
        expect(kZarRgba, kFileSize, [](unsigned x, unsigned y) { return ZarTexel(x, y, true); }, kExact);
        expect(kZarDxt1, kFileSize, DecodedZar(output, ZarKind::Dxt1, "file1.zar"), kDxt);
        expect(kZarDxt5, kFileSize, DecodedZar(output, ZarKind::Dxt5, "file2.zar"), kDxt);
        expect(kZarPaused, kAnimatedSize, Frame(kPausedZarFrame), kExact);
        if (!before) continue;
        // Frame blend off: every material writes its colour as it is.
        ExpectTexels(image, kMeshes[0], kExampleTextureSize,
                     [&](unsigned x, unsigned y) { return stone.At(x, y) | 0xFF000000u; }, false, kExact,
                     when + "stone");
        ExpectTexels(image, kMeshes[1], kCreatedSize,
                     [](unsigned x, unsigned y) { return Modulated(CreatedTexel(x, y), SecondLayerTexel(x, y)); },
                     false, kExact, when + "two layers");
    }
}

// Decoded by the image libraries of the build's own architecture: the PNG
// exactly, the smooth JPEG pictures within a few levels.
TEST_F(WineTextures, PngAndJpegFilesDecode) {
    const ScenarioOutput output = FinishedCleanly("images");
    const std::string size = std::to_string(kImageFileSize);
    EXPECT_EQ(output.Fact("image.interlaced.png"), size + "x" + std::to_string(kImageFileSize / 2) + " error 0");
    for (const char* jpeg : {"image.baseline.jpg", "image.progressive.jpg"}) {
        const std::string fact = output.Fact(jpeg);
        ASSERT_EQ(fact.rfind(size + "x" + size + " error ", 0), 0u) << jpeg << ": " << fact;
        EXPECT_LE(std::stoi(fact.substr(fact.rfind(' ') + 1)), 10) << jpeg;
    }
}

// Textures on the real runtime: created ones, ZAR files the check writes
// (DXT among them), an animation held on a frame, and textured materials,
// drawn before and after ResetDevice, every texel where its block of pixels
// lies; PNG and JPEG files written by the image libraries compiled into this
// program, decoded by those compiled into the plug-in, for the build's own
// architecture.
#include <png.h>

#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "WineTest.h"
#include "host/FileSystem.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/Texture.h"
#include "pixels/BlockCodec.h"
#include "support/ImageFiles.h"
#include "support/ZarFile.h"

namespace {

using namespace winesuite;

using WineTextures = WineTest;
using TexelFunction = std::function<uint32_t(unsigned x, unsigned y)>;

// Point sampling and whole pixels per texel: the middle of each texel's
// block on the screen shows that texel alone.
constexpr unsigned kPointFilter = 1;  // D3DTEXF_POINT, through SetTextureFilter
constexpr int kDxt = 6;               // the runtime's DXT decoding against the software one
constexpr Rgba kTextureClear = {0.3f, 0.35f, 0.4f, 1.0f};

// Created textures: 8 x 8 texels; the last row is half transparent.
constexpr unsigned kCreatedSize = 8;
uint32_t CreatedTexel(unsigned x, unsigned y) {
    const uint32_t alpha = y == kCreatedSize - 1 ? 0x80u : 0xFFu;
    return alpha << 24 | (16 + 32 * x) << 16 | (16 + 32 * y) << 8 | (40 + 24 * ((x + y) & 1));
}
// The second texture of the two-layer material, modulating the first.
uint32_t SecondLayerTexel(unsigned x, unsigned y) {
    return 0xFF000000u | (255 - 20 * x) << 16 | (120 + 16 * y) << 8 | (200 - 10 * (x + y));
}
uint32_t Modulated(uint32_t a, uint32_t b) {
    uint32_t result = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) result |= ((a >> shift & 0xFF) * (b >> shift & 0xFF) / 255) << shift;
    return result;
}

// ZAR files: 16 x 16 texels, `alpha` varying across the picture or opaque.
constexpr unsigned kFileSize = 16;
uint32_t ZarTexel(unsigned x, unsigned y, bool alpha) {
    const uint32_t a = alpha ? 40 + 13 * x + 1 * y : 0xFF;
    return a << 24 | (15 * x + 10) << 16 | (200 - 12 * y) << 8 | ((x * y * 5 + 60) & 0xFF);
}
// The animated ZAR file: 8 x 8, opaque, held on one frame.
constexpr unsigned kAnimatedSize = 8;
constexpr unsigned short kZarDurations[] = {100, 200, 300};
constexpr unsigned kZarFrames = std::size(kZarDurations);
constexpr unsigned kPausedZarFrame = 1;
uint32_t FrameTexel(unsigned x, unsigned y, unsigned frame) {
    return 0xFF000000u | ((60 * frame + 20 * x) & 0xFF) << 16 | (30 + 25 * y) << 8 | ((250 - 70 * frame) & 0xFF);
}

// The ZAR file of a texture of `format`: raw red, green, blue[, alpha] bytes
// (X8R8G8B8: the animation), or DXT blocks from the project's encoder.
std::vector<uint8_t> ZarBytes(D3DFORMAT format) {
    const bool animated = format == D3DFMT_X8R8G8B8;
    const unsigned size = animated ? kAnimatedSize : kFileSize;
    orvtest::ZarFile file;
    file.width = file.height = static_cast<uint16_t>(size);
    file.compression = format == D3DFMT_DXT1 ? 1 : format == D3DFMT_DXT5 ? 5 : 0;
    file.layoutFlags = format == D3DFMT_A8R8G8B8 ? 0x0009 : 0x0007;
    file.frameCount = animated ? kZarFrames : 0;
    if (animated) file.durations.assign(std::begin(kZarDurations), std::end(kZarDurations));
    std::vector<uint8_t>& out = file.payload;
    for (unsigned frame = 0; frame < (animated ? kZarFrames : 1); ++frame) {
        std::vector<uint32_t> pixels;
        for (unsigned y = 0; y < size; ++y)
            for (unsigned x = 0; x < size; ++x)
                pixels.push_back(animated ? FrameTexel(x, y, frame) : ZarTexel(x, y, format != D3DFMT_DXT1));
        if (file.compression == 0) {
            for (uint32_t argb : pixels) {
                out.insert(out.end(), {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)});
                if (format == D3DFMT_A8R8G8B8) out.push_back(uint8_t(argb >> 24));
            }
            continue;
        }
        const size_t blockPitch = size / 4 * (format == D3DFMT_DXT1 ? 8 : 16);
        out.resize(blockPitch * (size / 4));  // one frame
        CompressBlocks(format, pixels.data(), size * 4, size, size, out.data(), blockPitch);
    }
    return file.Bytes();
}

// The blocks of a (still) DXT ZAR file, decoded by the ZAR loader's software
// decoder into A8R8G8B8.
TexelFunction DecodedZar(const std::vector<uint8_t>& bytes, D3DFORMAT format) {
    constexpr size_t kHeaderBytes = 64;
    std::vector<uint32_t> pixels(kFileSize * kFileSize);
    DecodeDxtImage(format, bytes.data() + kHeaderBytes, kFileSize, kFileSize, PixelPacking::Of(D3DFMT_A8R8G8B8), 4,
                   reinterpret_cast<uint8_t*>(pixels.data()), kFileSize * 4, BlockRounding::Nearest);
    return [pixels](unsigned x, unsigned y) { return pixels[y * kFileSize + x]; };
}

// An 8 x 8 texture of `texel`, uploaded.
Texture* MakeCreated(RenderDevice* device, uint32_t (*texel)(unsigned, unsigned)) {
    Texture* texture = device->CreateTexture(kCreatedSize, kCreatedSize, false, 0);
    for (unsigned y = 0; texture && y < kCreatedSize; ++y)
        for (unsigned x = 0; x < kCreatedSize; ++x) texture->SetPixel(x, y, texel(x, y), 0);
    return texture && texture->UpdateAllFrames() == 0 ? texture : nullptr;
}

// Two white triangles covering `rect`, every texture-coordinate pair running
// 0 to 1 across it.
std::vector<Vertex> MeshOver(const RECT& rect) {
    const LONG x[] = {rect.left, rect.right}, y[] = {rect.top, rect.bottom};
    std::vector<Vertex> vertices;
    for (int i : {0, 1, 2, 2, 1, 3}) {  // clockwise on the screen
        Vertex vertex = ToVertex({static_cast<float>(x[i & 1]), static_cast<float>(y[i >> 1])}, kNear, 0xFFFFFFFFu);
        vertex.u0 = vertex.u1 = vertex.u2 = static_cast<float>(i & 1);
        vertex.v0 = vertex.v1 = vertex.v2 = static_cast<float>(i >> 1);
        vertices.push_back(vertex);
    }
    return vertices;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// The pixel in the middle of each texel's block of a `size` x `size`
// texture drawn over `rect`: the texel itself, blended by its alpha over the
// clear colour when `blended`.
void ExpectTexels(const orvhost::Image& image, const RECT& rect, unsigned size, const TexelFunction& texel,
                  bool blended, int tolerance, const std::string& what) {
    const float scale = static_cast<float>(rect.right - rect.left) / static_cast<float>(size);
    for (unsigned y = 0; y < size; ++y)
        for (unsigned x = 0; x < size; ++x) {
            const Rgba expected = blended ? AlphaBlended(Unpacked(texel(x, y)), ClearColourOf(kTextureClear))
                                          : Opaque(texel(x, y));
            const ScreenPoint point = {rect.left + std::floor((x + 0.5f) * scale),
                                       rect.top + std::floor((y + 0.5f) * scale)};
            ExpectColourAt(image, point, expected, what + " texel " + std::to_string(x) + "," + std::to_string(y),
                           tolerance);
        }
}

// Slots of 64 x 64 pixels (a 16-texel texture at 4 pixels a texel, an
// 8-texel one at 8), and below them the meshes of the stone example material
// and the two-layer material (the created texture times SecondLayerTexel).
constexpr RECT Slot(int index) { return {16 + 80 * index, 16, 16 + 80 * index + 64, 80}; }
enum TextureSlot { kCreated32, kCreatedUpdated, kZarRgba, kZarDxt1, kZarDxt5, kZarPaused, kSlotCount };
// The ZAR files' textures from kZarRgba on; the runtime samples DXT itself,
// so the blocks go to it as they are.
constexpr D3DFORMAT kZarFormats[] = {D3DFMT_A8R8G8B8, D3DFMT_DXT1, D3DFMT_DXT5, D3DFMT_X8R8G8B8};
constexpr RECT kMeshes[] = {{24, 256, 216, 448}, {224, 256, 416, 448}};
constexpr unsigned kExampleTextureSize = 64;  // stone.bmp

// The references the stone texture and the created one hold.
std::string References(Texture* stone, Texture* created) {
    return std::to_string(stone->GetRefCount()) + " " + std::to_string(created->GetRefCount());
}

}  // namespace

TEST_F(WineTextures, CreatedAndZarTexturesAndMaterialsDrawBeforeAndAfterResetDevice) {
    RenderDevice* device = Device();
    ASSERT_TRUE(OpenWindowed());
    device->SetTextureFilter(kPointFilter);
    device->SetTextureBitDepth(32);
    std::vector<Texture*> textures = {Held(MakeCreated(device, CreatedTexel)), Held(MakeCreated(device, CreatedTexel))};
    std::vector<std::vector<uint8_t>> zarFiles;
    for (D3DFORMAT format : kZarFormats) {
        const std::string path = PathOf("file" + std::to_string(zarFiles.size()) + ".zar");
        zarFiles.push_back(ZarBytes(format));
        ASSERT_TRUE(WriteBytes(path, zarFiles.back()));
        textures.push_back(Held(device->CreateTextureFromFile(path.c_str(), false, false)));
    }
    // The example material names its texture relative to its folder, which
    // the suite copies beside the checks' output.
    FileSystem* files = GetKernel().m_pFileSystem;
    const String base = files->GetBaseDirectory();
    files->SetBaseDirectory(PathOf("../examples").c_str());
    Material* materials[] = {device->LoadMaterial("stone.xml"), device->CreateMaterial()};
    Texture* stone = device->CreateTextureFromFile("textures/stone.bmp", false, false);
    files->SetBaseDirectory(base.c_str());
    Texture* second = MakeCreated(device, SecondLayerTexel);
    VertexBuffer* const meshes[] = {Buffer(MeshOver(kMeshes[0])), Buffer(MeshOver(kMeshes[1]))};
    ASSERT_TRUE(stone && second && materials[0] && materials[1] && meshes[0] && meshes[1]);
    for (Texture* texture : textures) ASSERT_TRUE(texture);
    MaterialLayer* over = materials[1]->AddLayer(textures[kCreated32]) ? materials[1]->AddLayer(second) : nullptr;
    ASSERT_TRUE(over);
    materials[1]->SetFrameBlend(false);
    over->SetColorArg2(TEXTUREARG_CURRENT);  // texture x the stages before
    over->SetAlphaArg2(TEXTUREARG_CURRENT);

    for (int slot = 0; slot < kSlotCount; ++slot)
        EXPECT_EQ(textures[slot]->GetFormat(), slot < kZarRgba ? D3DFMT_A8R8G8B8 : kZarFormats[slot - kZarRgba])
            << slot;
    // The copy is kept: change a rectangle and one texel outside it, upload
    // the rectangle alone.
    constexpr RECT kUpdatedTexels = {2, 2, 6, 5};
    constexpr uint32_t kUpdatedColour = 0xFF20E0A0u;
    Texture* updated = textures[kCreatedUpdated];
    for (int y = kUpdatedTexels.top; y < kUpdatedTexels.bottom; ++y)
        for (int x = kUpdatedTexels.left; x < kUpdatedTexels.right; ++x) updated->SetPixel(x, y, kUpdatedColour, 0);
    updated->SetPixel(0, 0, 0xFF000000u, 0);
    EXPECT_EQ(updated->UpdateRect(0, kUpdatedTexels.left, kUpdatedTexels.top, kUpdatedTexels.right,
                                  kUpdatedTexels.bottom, true),
              0);
    Texture* paused = textures[kZarPaused];
    ASSERT_EQ(paused->GetFrameCount(), kZarFrames);
    ASSERT_TRUE(paused->GetFrameDurations());
    EXPECT_EQ(std::vector<unsigned short>(paused->GetFrameDurations(), paused->GetFrameDurations() + kZarFrames),
              std::vector<unsigned short>(std::begin(kZarDurations), std::end(kZarDurations)));
    // A name asked for again, in other letters, shares the texture and its
    // reference count.
    Texture* zar = textures[kZarRgba];
    Texture* shared = device->CreateTextureFromFile(PathOf("FILE0.ZAR").c_str(), true, false);
    EXPECT_EQ(zar->GetRefCount(), 2);
    device->ReleaseTexture(shared);
    EXPECT_EQ(shared, zar);
    EXPECT_EQ(zar->GetRefCount(), 1);
    // The example's layer and the check hold the stone texture, the
    // two-layer material and the check the created one, until released.
    EXPECT_EQ(References(stone, textures[kCreated32]), "2 2");

    paused->SetPlaying(false);
    paused->SetFrame(kPausedZarFrame);
    std::vector<ScreenQuad*> quads;
    for (int slot = 0; slot < kSlotCount; ++slot) quads.push_back(Quad(Slot(slot), 0xFFFFFFFFu));
    orvhost::Image stonePicture;
    ASSERT_TRUE(orvhost::ReadBitmap(PathOf("../examples/textures/stone.bmp"), &stonePicture));
    // Texel (0, 0) changed in the copy only: not uploaded.
    const auto updatedTexel = [&](unsigned x, unsigned y) {
        return PtInRect(&kUpdatedTexels, {LONG(x), LONG(y)}) ? kUpdatedColour : CreatedTexel(x, y);
    };
    // Each texture on a white screen quad (stage 0, no material), then the
    // materials on their meshes: one pass for each mesh (the materials are
    // gone after the reset); quads count none.
    for (const bool before : {true, false}) {
        const std::string name = before ? "before" : "after";
        const orvhost::Image image = Frame(name.c_str(), kTextureClear, [&](RenderDevice* d) {
            d->SetMaterial(nullptr);
            SetOrthographic(d);
            d->SetLighting(false);
            bool drawn = true;
            for (size_t i = 0; i < quads.size(); ++i) {
                d->SetTexture(0, textures[i]);
                drawn = d->RenderScreenQuad(quads[i]) && drawn;
            }
            d->SetTexture(0, nullptr);
            for (int i = 0; i < 2 && materials[i]; ++i) {
                d->SetMaterial(materials[i]);
                drawn = d->SetVertexBuffer(meshes[i]) && d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2) && drawn;
            }
            d->SetMaterial(nullptr);
            return drawn;
        }, before ? 4 : 0);
        const auto expect = [&](int slot, unsigned size, const TexelFunction& texel, int tolerance = kTolerance) {
            ExpectTexels(image, Slot(slot), size, texel, true, tolerance, name + ", " + std::to_string(slot));
        };
        expect(kCreated32, kCreatedSize, CreatedTexel);
        if (before) expect(kCreatedUpdated, kCreatedSize, updatedTexel);
        expect(kZarRgba, kFileSize, [](unsigned x, unsigned y) { return ZarTexel(x, y, true); });
        expect(kZarDxt1, kFileSize, DecodedZar(zarFiles[1], D3DFMT_DXT1), kDxt);
        expect(kZarDxt5, kFileSize, DecodedZar(zarFiles[2], D3DFMT_DXT5), kDxt);
        expect(kZarPaused, kAnimatedSize, [](unsigned x, unsigned y) { return FrameTexel(x, y, kPausedZarFrame); });
        if (!before) continue;
        // Frame blend off: every material writes its colour as it is.
        ExpectTexels(image, kMeshes[0], kExampleTextureSize,
                     [&](unsigned x, unsigned y) { return stonePicture.At(x, y); }, false, kTolerance, "stone");
        ExpectTexels(image, kMeshes[1], kCreatedSize,
                     [](unsigned x, unsigned y) { return Modulated(CreatedTexel(x, y), SecondLayerTexel(x, y)); },
                     false, kTolerance, "two layers");
        // Released materials give their layers' references back.
        for (Material*& material : materials) device->ReleaseMaterial(std::exchange(material, nullptr));
        EXPECT_EQ(References(stone, textures[kCreated32]), "1 1");
        device->ReleaseTexture(stone);
        device->ReleaseTexture(second);
        EXPECT_TRUE(device->ResetDevice());
    }
}

// Decoded by the image libraries of the build's own architecture: the PNG
// exactly, the smooth JPEG pictures within a few levels.
TEST_F(WineTextures, PngAndJpegFilesDecode) {
    constexpr UINT kImageFileSize = 32;  // the PNG half as high
    ASSERT_TRUE(OpenWindowed());
    const struct {
        const char* name;
        ImageFile file;
        int tolerance;
    } images[] = {
        {"interlaced.png", PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, kImageFileSize, kImageFileSize / 2, true, false), 0},
        {"baseline.jpg", JpegFile(false, false, kImageFileSize, kImageFileSize), 10},
        {"progressive.jpg", JpegFile(false, true, kImageFileSize, kImageFileSize), 10},
    };
    for (const auto& [name, file, tolerance] : images) {
        const std::string path = PathOf(name);
        ASSERT_TRUE(WriteBytes(path, file.bytes)) << name;
        Texture* texture = Held(Device()->CreateTextureFromFile(path.c_str(), false, true));
        ASSERT_TRUE(texture) << name;
        Picture picture{texture->GetWidth(), texture->GetHeight(), {}};
        for (UINT y = 0; y < picture.height; ++y)
            for (UINT x = 0; x < picture.width; ++x) picture.argb.push_back(texture->GetPixel(x, y, 0));
        EXPECT_EQ(picture.width, file.expected.width) << name;
        EXPECT_EQ(picture.height, file.expected.height) << name;
        EXPECT_LE(WorstChannelError(picture, file.expected), tolerance) << name;
    }
}

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

#include "Scene.h"
#include "WineTest.h"
#include "host/FileSystem.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/ScreenQuad.h"
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
constexpr int kFourCCDxt1 = 0x31545844, kFourCCDxt5 = 0x35545844;

// Created textures: 8 x 8 texels; the last row is half transparent.
constexpr unsigned kCreatedSize = 8;
uint32_t CreatedTexel(unsigned x, unsigned y) {
    const uint32_t alpha = y == kCreatedSize - 1 ? 0x80u : 0xFFu;
    return alpha << 24 | (16 + 32 * x) << 16 | (16 + 32 * y) << 8 | (40 + 24 * ((x + y) & 1));
}
// A rectangle changed in the system copy and uploaded alone; texel (0, 0)
// is changed too, outside it, and never uploaded.
constexpr QuadRect kUpdatedTexels = {2, 2, 6, 5};
constexpr uint32_t kUpdatedColour = 0xFF20E0A0u;

// The second texture of the two-layer material, modulating the first.
uint32_t SecondLayerTexel(unsigned x, unsigned y) {
    return 0xFF000000u | (255 - 20 * x) << 16 | (120 + 16 * y) << 8 | (200 - 10 * (x + y));
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

enum class ZarKind { Rgba, Dxt1, Dxt5, Animated };

// A ZAR file: raw red, green, blue[, alpha] bytes, or DXT blocks from the
// project's encoder.
std::vector<uint8_t> ZarBytes(ZarKind kind) {
    const bool animated = kind == ZarKind::Animated;
    const unsigned size = animated ? kAnimatedSize : kFileSize;
    orvtest::ZarFile file;
    file.width = file.height = static_cast<uint16_t>(size);
    file.compression = kind == ZarKind::Dxt1 ? 1 : kind == ZarKind::Dxt5 ? 5 : 0;
    file.layoutFlags = kind == ZarKind::Rgba ? 0x0009 : 0x0007;
    if (animated) {
        file.frameCount = kZarFrames;
        file.durations.assign(std::begin(kZarDurations), std::end(kZarDurations));
    }
    std::vector<uint8_t>& out = file.payload;
    for (unsigned frame = 0; frame < (animated ? kZarFrames : 1); ++frame) {
        std::vector<uint32_t> pixels;
        for (unsigned y = 0; y < size; ++y)
            for (unsigned x = 0; x < size; ++x)
                pixels.push_back(animated ? FrameTexel(x, y, frame) : ZarTexel(x, y, kind != ZarKind::Dxt1));
        if (file.compression == 0) {
            for (uint32_t argb : pixels) {
                out.insert(out.end(), {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)});
                if (file.layoutFlags & 0x0008) out.push_back(uint8_t(argb >> 24));
            }
            continue;
        }
        const size_t blockPitch = size / 4 * (file.compression == 1 ? 8 : 16);
        const size_t at = out.size();
        out.resize(at + blockPitch * (size / 4));
        CompressBlocks(file.compression == 1 ? D3DFMT_DXT1 : D3DFMT_DXT5, pixels.data(), size * 4, size, size,
                       out.data() + at, blockPitch);
    }
    return file.Bytes();
}

// The blocks of a (still) DXT ZAR file, decoded by the ZAR loader's software
// decoder into A8R8G8B8.
TexelFunction DecodedZar(const std::vector<uint8_t>& bytes, ZarKind kind) {
    constexpr size_t kHeaderBytes = 64;
    std::vector<uint32_t> pixels(kFileSize * kFileSize);
    DecodeDxtImage(kind == ZarKind::Dxt1 ? D3DFMT_DXT1 : D3DFMT_DXT5, bytes.data() + kHeaderBytes, kFileSize,
                   kFileSize, PixelPacking::Of(D3DFMT_A8R8G8B8), 4, reinterpret_cast<uint8_t*>(pixels.data()),
                   kFileSize * 4, BlockRounding::Nearest);
    return [pixels](unsigned x, unsigned y) { return pixels[y * kFileSize + x]; };
}

// Slots of 64 x 64 pixels (a 16-texel texture at 4 pixels a texel, an
// 8-texel one at 8), and below them the meshes of the stone example material
// and the two-layer material (the created texture times SecondLayerTexel).
constexpr QuadRect Slot(int index) { return {16 + 80 * index, 16, 16 + 80 * index + 64, 80}; }
constexpr Rgb kTextureClear = {0.3f, 0.35f, 0.4f};
enum TextureSlot { kCreated32, kCreatedUpdated, kZarRgba, kZarDxt1, kZarDxt5, kZarPaused, kSlotCount };
constexpr QuadRect kMeshes[] = {{24, 256, 216, 448}, {224, 256, 416, 448}};
constexpr unsigned kExampleTextureSize = 64;  // stone.bmp

// An 8 x 8 texture of `texel`, uploaded.
Texture* MakeCreated(RenderDevice* device, uint32_t (*texel)(unsigned, unsigned)) {
    Texture* texture = device->CreateTexture(kCreatedSize, kCreatedSize, false, 0);
    if (!texture) return nullptr;
    for (unsigned y = 0; y < kCreatedSize; ++y)
        for (unsigned x = 0; x < kCreatedSize; ++x) texture->SetPixel(x, y, texel(x, y), 0);
    if (texture->UpdateAllFrames() != 0) {
        device->ReleaseTexture(texture);
        return nullptr;
    }
    return texture;
}

// Two white triangles covering `rect`, every texture-coordinate pair running
// 0 to 1 across it.
std::vector<Vertex> MeshOver(const QuadRect& rect) {
    const float x[] = {static_cast<float>(rect.left), static_cast<float>(rect.right)};
    const float y[] = {static_cast<float>(rect.top), static_cast<float>(rect.bottom)};
    std::vector<Vertex> vertices;
    for (int i : {0, 1, 2, 2, 1, 3}) {  // clockwise on the screen
        Vertex vertex = ToVertex({x[i & 1], y[i >> 1]}, kNear, 0xFFFFFFFFu);
        vertex.u0 = vertex.u1 = vertex.u2 = static_cast<float>(i & 1);
        vertex.v0 = vertex.v1 = vertex.v2 = static_cast<float>(i >> 1);
        vertices.push_back(vertex);
    }
    return vertices;
}

// The references the stone texture and the created one hold.
std::string References(Texture* stone, Texture* created) {
    return std::to_string(stone->GetRefCount()) + " " + std::to_string(created->GetRefCount());
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
void ExpectTexels(const orvhost::Image& image, const QuadRect& rect, unsigned size, const TexelFunction& texel,
                  bool blended, int tolerance, const std::string& what) {
    ASSERT_GT(image.width, 0) << what;
    const float scale = static_cast<float>(rect.right - rect.left) / static_cast<float>(size);
    for (unsigned y = 0; y < size; ++y)
        for (unsigned x = 0; x < size; ++x) {
            const Rgba expected = blended ? AlphaBlended(Unpacked(texel(x, y)), ClearColourOf(kTextureClear))
                                          : Opaque(texel(x, y));
            const ScreenPoint point = {rect.left + static_cast<float>(static_cast<int>((x + 0.5f) * scale)),
                                       rect.top + static_cast<float>(static_cast<int>((y + 0.5f) * scale))};
            ExpectColourAt(image, point, expected, what + " texel " + std::to_string(x) + "," + std::to_string(y),
                           tolerance);
        }
}

uint32_t Modulated(uint32_t a, uint32_t b) {
    uint32_t result = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) result |= ((a >> shift & 0xFF) * (b >> shift & 0xFF) / 255) << shift;
    return result;
}

}  // namespace

TEST_F(WineTextures, CreatedAndZarTexturesAndMaterialsDrawBeforeAndAfterResetDevice) {
    RenderDevice* device = Device();
    ASSERT_TRUE(OpenWindowed());
    device->SetTextureFilter(kPointFilter);
    device->SetTextureBitDepth(32);
    std::vector<Texture*> textures(kSlotCount, nullptr);
    textures[kCreated32] = MakeCreated(device, CreatedTexel);
    textures[kCreatedUpdated] = MakeCreated(device, CreatedTexel);
    bool made = true;
    const ZarKind kinds[] = {ZarKind::Rgba, ZarKind::Dxt1, ZarKind::Dxt5, ZarKind::Animated};
    std::vector<uint8_t> zarFiles[std::size(kinds)];
    for (size_t i = 0; i < std::size(kinds); ++i) {
        const std::string path = PathOf("file" + std::to_string(i) + ".zar");
        zarFiles[i] = ZarBytes(kinds[i]);
        made = WriteBytes(path, zarFiles[i]) && made;
        textures[kZarRgba + i] = device->CreateTextureFromFile(path.c_str(), false, false);
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
    VertexBuffer* meshes[2];
    made = stone && second && materials[0] && materials[1] && made;
    for (int i = 0; i < 2; ++i) made = (meshes[i] = MakeBuffer(device, MeshOver(kMeshes[i]))) && made;
    for (Texture* texture : textures) made = texture && made;
    if (made) {
        MaterialLayer* over = materials[1]->AddLayer(textures[kCreated32]) ? materials[1]->AddLayer(second) : nullptr;
        made = over != nullptr;
        if (over) {
            materials[1]->SetFrameBlend(false);
            over->SetColorArg2(TEXTUREARG_CURRENT);  // texture x the stages before
            over->SetAlphaArg2(TEXTUREARG_CURRENT);
        }
    }
    EXPECT_TRUE(made);

    if (made) {
        // The runtime samples DXT itself, so the blocks go to it as they are.
        const std::pair<int, int> formats[] = {{kCreated32, D3DFMT_A8R8G8B8}, {kZarRgba, D3DFMT_A8R8G8B8},
                                               {kZarDxt1, kFourCCDxt1},       {kZarDxt5, kFourCCDxt5},
                                               {kZarPaused, D3DFMT_X8R8G8B8}};
        for (const auto& [slot, format] : formats) EXPECT_EQ(textures[slot]->GetFormat(), format) << "slot " << slot;
        // The copy is kept: change a rectangle and one texel outside it,
        // upload the rectangle alone.
        Texture* updated = textures[kCreatedUpdated];
        for (int y = kUpdatedTexels.top; y < kUpdatedTexels.bottom; ++y)
            for (int x = kUpdatedTexels.left; x < kUpdatedTexels.right; ++x) updated->SetPixel(x, y, kUpdatedColour, 0);
        updated->SetPixel(0, 0, 0xFF000000u, 0);
        EXPECT_EQ(updated->UpdateRect(0, kUpdatedTexels.left, kUpdatedTexels.top, kUpdatedTexels.right,
                                      kUpdatedTexels.bottom, true),
                  0);
        const unsigned short* durations = textures[kZarPaused]->GetFrameDurations();
        ASSERT_EQ(textures[kZarPaused]->GetFrameCount(), kZarFrames);
        ASSERT_TRUE(durations);
        EXPECT_EQ(std::vector<unsigned short>(durations, durations + kZarFrames),
                  std::vector<unsigned short>(std::begin(kZarDurations), std::end(kZarDurations)));
        // A name asked for again, in other letters, shares the texture and
        // its reference count.
        Texture* zar = textures[kZarRgba];
        Texture* shared = device->CreateTextureFromFile(PathOf("FILE0.ZAR").c_str(), true, false);
        EXPECT_EQ(zar->GetRefCount(), 2);
        device->ReleaseTexture(shared);
        EXPECT_EQ(shared, zar);
        EXPECT_EQ(zar->GetRefCount(), 1);
        // The example's layer and the check hold the stone texture, the
        // two-layer material and the check the created one, until released.
        EXPECT_EQ(References(stone, textures[kCreated32]), "2 2");

        textures[kZarPaused]->SetPlaying(false);
        textures[kZarPaused]->SetFrame(kPausedZarFrame);
        std::vector<ScreenQuad*> quads;
        for (int slot = 0; slot < kSlotCount; ++slot)
            quads.push_back(device->CreateScreenQuad(ToRect(Slot(slot)), 0xFFFFFFFFu));
        orvhost::Image stonePicture;
        ASSERT_TRUE(orvhost::ReadBitmap(PathOf("../examples/textures/stone.bmp"), &stonePicture));
        const auto updatedTexel = [](unsigned x, unsigned y) {
            const int ix = static_cast<int>(x), iy = static_cast<int>(y);
            // Texel (0, 0) changed in the copy only: not uploaded.
            return ix >= kUpdatedTexels.left && ix < kUpdatedTexels.right && iy >= kUpdatedTexels.top &&
                           iy < kUpdatedTexels.bottom
                       ? kUpdatedColour
                       : CreatedTexel(x, y);
        };
        // Each texture on a white screen quad (stage 0, no material), then
        // the materials on their meshes: one pass for each mesh (the
        // materials are gone after the reset); quads count none.
        for (const char* name : {"before", "after"}) {
            const bool before = name[0] == 'b';
            const orvhost::Image image = Frame(name, kTextureClear, [&](RenderDevice* d) {
                d->SetMaterial(nullptr);
                SetOrthographic(d);
                d->SetLighting(false);
                bool drawn = true;
                for (size_t i = 0; i < quads.size(); ++i) {
                    d->SetTexture(0, textures[i]);
                    drawn = quads[i] && d->RenderScreenQuad(quads[i]) && drawn;
                }
                d->SetTexture(0, nullptr);
                for (int i = 0; i < 2 && materials[i]; ++i) {
                    d->SetMaterial(materials[i]);
                    drawn = d->SetVertexBuffer(meshes[i]) && d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2) && drawn;
                }
                d->SetMaterial(nullptr);
                return drawn;
            }, before ? 4 : 0);
            const std::string when = std::string(name) + ", ";
            const auto expect = [&](int slot, unsigned size, const TexelFunction& texel, int tolerance) {
                ExpectTexels(image, Slot(slot), size, texel, true, tolerance, when + std::to_string(slot));
            };
            expect(kCreated32, kCreatedSize, CreatedTexel, kTolerance);
            if (before) expect(kCreatedUpdated, kCreatedSize, updatedTexel, kTolerance);
            expect(kZarRgba, kFileSize, [](unsigned x, unsigned y) { return ZarTexel(x, y, true); }, kTolerance);
            expect(kZarDxt1, kFileSize, DecodedZar(zarFiles[1], ZarKind::Dxt1), kDxt);
            expect(kZarDxt5, kFileSize, DecodedZar(zarFiles[2], ZarKind::Dxt5), kDxt);
            expect(kZarPaused, kAnimatedSize, [](unsigned x, unsigned y) { return FrameTexel(x, y, kPausedZarFrame); },
                   kTolerance);
            if (!before) continue;
            // Frame blend off: every material writes its colour as it is.
            ExpectTexels(image, kMeshes[0], kExampleTextureSize,
                         [&](unsigned x, unsigned y) { return stonePicture.At(x, y); }, false, kTolerance,
                         when + "stone");
            ExpectTexels(image, kMeshes[1], kCreatedSize,
                         [](unsigned x, unsigned y) { return Modulated(CreatedTexel(x, y), SecondLayerTexel(x, y)); },
                         false, kTolerance, when + "two layers");
            // Released materials give their layers' references back.
            for (Material*& material : materials) {
                device->ReleaseMaterial(material);
                material = nullptr;
            }
            EXPECT_EQ(References(stone, textures[kCreated32]), "1 1");
            for (Texture** texture : {&stone, &second}) {
                device->ReleaseTexture(*texture);
                *texture = nullptr;
            }
            EXPECT_TRUE(device->ResetDevice());
        }
        for (ScreenQuad* quad : quads)
            if (quad) device->DestroyScreenQuad(quad);
    }
    device->SetVertexBuffer(nullptr);
    for (VertexBuffer* mesh : meshes)
        if (mesh) device->DestroyVertexBuffer(mesh);
    bool released = true;
    for (Material* material : materials)
        if (material) released = device->ReleaseMaterial(material) && released;
    textures.push_back(stone);
    textures.push_back(second);
    for (Texture* texture : textures)
        if (texture) released = device->ReleaseTexture(texture) && released;
    EXPECT_TRUE(released);
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
        Texture* texture = Device()->CreateTextureFromFile(path.c_str(), false, true);
        ASSERT_TRUE(texture) << name;
        Picture picture{texture->GetWidth(), texture->GetHeight(), {}};
        for (UINT y = 0; y < picture.height; ++y)
            for (UINT x = 0; x < picture.width; ++x) picture.argb.push_back(texture->GetPixel(x, y, 0));
        EXPECT_EQ(picture.width, file.expected.width) << name;
        EXPECT_EQ(picture.height, file.expected.height) << name;
        EXPECT_LE(WorstChannelError(picture, file.expected), tolerance) << name;
        Device()->ReleaseTexture(texture);
    }
}

// Textures on the real runtime: created ones, image files, ZAR files and a
// sequence the scenario writes itself, animations held on a frame, all drawn
// before and after ResetDevice; and materials whose layers hold textures.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "SceneDrawing.h"
#include "Scenario.h"
#include "TexturePictures.h"
#include "WineSuite.h"
#include "support/ImageFiles.h"
#include "host/FileSystem.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/ScreenQuad.h"
#include "host/Texture.h"
#include "host/VertexBuffer.h"

namespace {

using namespace winesuite;

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// The 640 x 480 windowed mode with point sampling on every stage.
bool OpenForTextures(Scenario& scenario) {
    if (!OpenWindowed(scenario)) return false;
    scenario.Device()->SetTextureFilter(kPointFilter);
    return true;
}

// An 8 x 8 texture of CreatedTexel at the driver's current bit depth, frame
// by frame, uploaded.
Texture* MakeCreated(RenderDevice* device, unsigned frames) {
    Texture* texture = device->CreateTexture(kCreatedSize, kCreatedSize, false, frames);
    if (!texture) return nullptr;
    for (unsigned frame = 0; frame < texture->GetFrameCount(); ++frame)
        for (unsigned y = 0; y < kCreatedSize; ++y)
            for (unsigned x = 0; x < kCreatedSize; ++x)
                texture->SetPixel(x, y, CreatedTexel(x, y, frame), frame);
    if (texture->UpdateAllFrames() != 0) {
        device->ReleaseTexture(texture);
        return nullptr;
    }
    return texture;
}

std::string Durations(Texture* texture) {
    const unsigned short* durations = texture->GetFrameDurations();
    std::string text;
    for (unsigned i = 0; durations && i < texture->GetFrameCount(); ++i)
        text += (i ? " " : "") + std::to_string(durations[i]);
    return text;
}

// Each texture on a white screen quad over its slot (stage 0, no material),
// captured as `name`.
bool DrawSlots(Scenario& scenario, const char* name, const std::vector<Texture*>& textures) {
    RenderDevice* device = scenario.Device();
    std::vector<ScreenQuad*> quads;
    bool made = true;
    for (size_t slot = 0; slot < textures.size(); ++slot) {
        quads.push_back(device->CreateScreenQuad(ToRect(Slot(static_cast<int>(slot))), 0xFFFFFFFFu));
        made = quads.back() && made;
    }
    const std::string key = name;
    scenario.Fact(("frames." + key).c_str(),
                  made && scenario.DrawFrames(kTextureClear, 2, [&](RenderDevice* d) {
                      d->SetMaterial(nullptr);
                      bool drawn = true;
                      for (size_t i = 0; i < quads.size(); ++i) {
                          d->SetTexture(0, textures[i]);
                          drawn = d->RenderScreenQuad(quads[i]) && drawn;
                      }
                      d->SetTexture(0, nullptr);
                      return drawn;
                  }));
    scenario.Fact(("captured." + key).c_str(), scenario.Capture(name));
    for (ScreenQuad* quad : quads)
        if (quad) device->DestroyScreenQuad(quad);
    return made;
}

}  // namespace

WINE_SCENARIO(textures) {
    RenderDevice* device = scenario.Device();
    if (!OpenForTextures(scenario)) return;
    std::vector<Texture*> textures(kSlotCount, nullptr);
    device->SetTextureBitDepth(32);
    textures[kCreated32] = MakeCreated(device, 0);
    textures[kCreatedUpdated] = MakeCreated(device, 0);
    textures[kCreatedAnimated] = MakeCreated(device, kCreatedFrames);
    device->SetTextureBitDepth(16);
    textures[kCreated16] = MakeCreated(device, 0);
    device->SetTextureBitDepth(32);

    const ImageFile images[] = {
        BmpFile(Bmp::Rgb24, kFileSize, kFileSize, false),
        TgaFile(Tga::Rgb24, kFileSize, kFileSize, true, false),
        PngFile(6, 8, kFileSize, kFileSize, false, false),  // RGB with alpha
        DdsFile(D3DFMT_R5G6B5, kFileSize, kFileSize, 1),
        JpegFile(false, false, kFileSize, kFileSize),
    };
    const char* const names[] = {"picture.bmp", "picture.tga", "picture.png", "picture.dds",
                                 "picture.jpg", "rgba.zar", "dxt1.zar", "dxt5.zar", "animated.zar"};
    const ZarKind kinds[] = {ZarKind::Rgba, ZarKind::Dxt1, ZarKind::Dxt5, ZarKind::Animated};
    bool written = true;
    for (int i = 0; i < 9; ++i) {
        const std::string path = scenario.PathOf(names[i]);
        written = WriteFile(path, i < 5 ? images[i].bytes : ZarBytes(kinds[i - 5])) && written;
        textures[i < 5 ? kFileBmp + i : kZarRgba + (i - 5)] =
            device->CreateTextureFromFile(path.c_str(), false, false);
    }
    for (unsigned frame = 0; frame < kSequenceFrames; ++frame) {
        Picture picture;
        picture.width = picture.height = kAnimatedSize;
        for (unsigned texel = 0; texel < kAnimatedSize * kAnimatedSize; ++texel)
            picture.argb.push_back(FrameTexel(texel % kAnimatedSize, texel / kAnimatedSize, frame));
        const std::string name = "frame" + std::to_string(frame) + ".tga";
        written = WriteFile(scenario.PathOf(name.c_str()), TgaFile(Tga::Rgb24, picture, false, true).bytes) &&
                  written;
    }
    scenario.Fact("files.written", written);
    const std::string first = scenario.PathOf("frame0.tga");
    textures[kFileSequence] =
        device->CreateTextureFromFileSequence(first.c_str(), kSequenceRate, false, false);
    // The animation again, unique: not looping, its cycle measured from the
    // start of the tick count, so it has long ended at its first bind.
    textures[kZarEnded] =
        device->CreateTextureFromFile(scenario.PathOf("animated.zar").c_str(), false, true);
    bool made = true;
    for (Texture* texture : textures) made = texture && made;
    scenario.Fact("textures.made", made);

    if (made) {
        for (int slot = 0; slot < kSlotCount; ++slot)
            scenario.Fact(("format." + std::to_string(slot)).c_str(), textures[slot]->GetFormat());
        // The copy is kept: change a rectangle and one texel outside it,
        // upload the rectangle alone.
        Texture* updated = textures[kCreatedUpdated];
        for (int y = kUpdatedTexels.top; y < kUpdatedTexels.bottom; ++y)
            for (int x = kUpdatedTexels.left; x < kUpdatedTexels.right; ++x)
                updated->SetPixel(x, y, kUpdatedColour, 0);
        updated->SetPixel(0, 0, kNotUploadedColour, 0);
        scenario.Fact("update.rect", updated->UpdateRect(0, kUpdatedTexels.left, kUpdatedTexels.top,
                                                         kUpdatedTexels.right, kUpdatedTexels.bottom,
                                                         true));
        scenario.Fact("durations.created", Durations(textures[kCreatedAnimated]));
        scenario.Fact("durations.sequence", Durations(textures[kFileSequence]));
        scenario.Fact("durations.zar", Durations(textures[kZarPaused]));

        // A name asked for again, in other letters, shares the texture.
        Texture* bitmap = textures[kFileBmp];
        Texture* shared = device->CreateTextureFromFile(scenario.PathOf("PICTURE.BMP").c_str(), true, false);
        Texture* sequence = device->CreateTextureFromFile(first.c_str(), false, false);
        std::string references = std::to_string(bitmap->GetRefCount());
        device->ReleaseTexture(shared);
        device->ReleaseTexture(sequence);
        scenario.Fact("shared", shared == bitmap && sequence == textures[kFileSequence]);
        scenario.Fact("shared.references", references + " " + std::to_string(bitmap->GetRefCount()));

        for (const auto& held : {std::make_pair(kCreatedAnimated, kShownCreatedFrame),
                                 std::make_pair(kFileSequence, kShownSequenceFrame),
                                 std::make_pair(kZarPaused, kPausedZarFrame)}) {
            textures[held.first]->SetPlaying(false);
            textures[held.first]->SetFrame(held.second);
        }
        textures[kZarEnded]->SetLooping(false);
        DrawSlots(scenario, "before", textures);
        scenario.Fact("ended.playing", textures[kZarEnded]->IsPlaying());
        scenario.Fact("reset", device->ResetDevice());
        DrawSlots(scenario, "after", textures);
    }
    bool released = true;
    for (Texture* texture : textures)
        if (texture) released = device->ReleaseTexture(texture) && released;
    scenario.Fact("textures.released", released);
}

namespace {

// Two white triangles covering `rect`, every texture-coordinate pair running
// 0 to 1 across it.
std::vector<Vertex> MeshOver(const QuadRect& rect) {
    const float x[] = {static_cast<float>(rect.left), static_cast<float>(rect.right)};
    const float y[] = {static_cast<float>(rect.top), static_cast<float>(rect.bottom)};
    std::vector<Vertex> vertices;
    for (int i : {0, 1, 2, 2, 1, 3}) {  // clockwise on the screen
        Vertex vertex = ToVertex(OrthoVertex(x[i & 1], y[i >> 1], kNear, 0xFFFFFFFFu));
        vertex.u0 = vertex.u1 = vertex.u2 = static_cast<float>(i & 1);
        vertex.v0 = vertex.v1 = vertex.v2 = static_cast<float>(i >> 1);
        vertices.push_back(vertex);
    }
    return vertices;
}

}  // namespace

WINE_SCENARIO(texture_materials) {
    RenderDevice* device = scenario.Device();
    if (!OpenForTextures(scenario)) return;
    device->SetTextureBitDepth(32);
    // The example materials name their textures relative to their folder,
    // which the suite copies beside the scenarios' output.
    scenario.GetKernel().m_pFileSystem->SetBaseDirectory(scenario.PathOf("../examples").c_str());
    Material* stone = device->LoadMaterial("stone.xml");
    Material* mossy = device->LoadMaterial("mossy-stone.xml");
    Texture* stoneTexture = device->CreateTextureFromFile("textures/stone.bmp", false, false);

    // The created texture, modulated by a second one.
    Texture* first = MakeCreated(device, 0);
    Texture* second = device->CreateTexture(kCreatedSize, kCreatedSize, false, 0);
    Material* twoLayers = device->CreateMaterial();
    if (second && first && twoLayers) {
        for (unsigned y = 0; y < kCreatedSize; ++y)
            for (unsigned x = 0; x < kCreatedSize; ++x) second->SetPixel(x, y, SecondLayerTexel(x, y), 0);
        scenario.Fact("second.uploaded", second->UpdateAllFrames());
        twoLayers->SetFrameBlend(false);
        MaterialLayer* over = twoLayers->AddLayer(first) ? twoLayers->AddLayer(second) : nullptr;
        if (over) {
            over->SetColorArg2(0);  // current: texture x the stages before
            over->SetAlphaArg2(0);
        }
        scenario.Fact("two_layers.made", over != nullptr);
    }
    // Each example's layer holds a reference to the stone texture, as does
    // each material layer to the created one.
    scenario.Fact("references", std::to_string(stoneTexture ? stoneTexture->GetRefCount() : 0) +
                                    " " + std::to_string(first ? first->GetRefCount() : 0));

    VertexBuffer* meshes[] = {MakeBuffer(device, MeshOver(kStoneMesh), false),
                              MakeBuffer(device, MeshOver(kMossyStoneMesh), false),
                              MakeBuffer(device, MeshOver(kTwoLayerMesh), false)};
    Material* const materials[] = {stone, mossy, twoLayers};
    if (stone && mossy && twoLayers && meshes[0] && meshes[1] && meshes[2]) {
        scenario.Fact("frames.materials", scenario.DrawFrames(kTextureClear, 2, [&](RenderDevice* d) {
            d->SetMaterial(nullptr);
            SetOrthographic(d);
            d->SetLighting(false);
            bool drawn = true;
            for (int i = 0; i < 3; ++i) {
                d->SetMaterial(materials[i]);
                drawn = d->SetVertexBuffer(meshes[i]) &&
                        d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2) && drawn;
            }
            d->SetMaterial(nullptr);
            return drawn;
        }));
        scenario.Fact("triangles.materials", device->GetTriangleCount());
        scenario.Fact("captured.materials", scenario.Capture("materials"));
    }
    device->SetVertexBuffer(nullptr);
    for (VertexBuffer* mesh : meshes)
        if (mesh) device->DestroyVertexBuffer(mesh);
    bool released = true;
    for (Material* material : materials)
        if (material) released = device->ReleaseMaterial(material) && released;
    // Released materials gave their layers' references back.
    scenario.Fact("references.after", std::to_string(stoneTexture ? stoneTexture->GetRefCount() : 0) +
                                          " " + std::to_string(first ? first->GetRefCount() : 0));
    for (Texture* texture : {stoneTexture, first, second})
        if (texture) released = device->ReleaseTexture(texture) && released;
    scenario.Fact("released", released);
}

// Textures on the real runtime: created textures filled through their system
// copies, image files and ZAR files the scenarios write themselves, file
// sequences and animations held on a chosen frame, textures that live
// through ResetDevice, and materials whose layers hold textures (the example
// materials and a two-layer one) drawn through the pass loop.
#include <cctype>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "SceneDrawing.h"
#include "Scenario.h"
#include "TexturePictures.h"
#include "WineSuite.h"
#include "d3dx/ImageFiles.h"
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

using Placed = std::vector<std::pair<QuadRect, Texture*>>;

// Draws each texture on a white screen quad over its rectangle (stage 0 only,
// no material) and captures the screen as `name`.
void DrawOnQuads(Scenario& scenario, const char* name, const Placed& placed) {
    RenderDevice* device = scenario.Device();
    std::vector<ScreenQuad*> quads;
    bool made = true;
    for (const auto& entry : placed) {
        quads.push_back(device->CreateScreenQuad(ToRect(entry.first), 0xFFFFFFFFu));
        made = quads.back() && made;
    }
    const std::string key = name;
    scenario.Fact(("quads." + key).c_str(), made);
    if (made) {
        scenario.Fact(("frames." + key).c_str(),
                      scenario.DrawFrames(kTextureClear, 2, [&](RenderDevice* d) {
                          d->SetMaterial(nullptr);
                          bool drawn = true;
                          for (size_t i = 0; i < quads.size(); ++i) {
                              d->SetTexture(0, placed[i].second);
                              drawn = d->RenderScreenQuad(quads[i]) && drawn;
                          }
                          d->SetTexture(0, nullptr);
                          return drawn;
                      }));
        scenario.Fact(("captured." + key).c_str(), scenario.Capture(name));
    }
    for (ScreenQuad* quad : quads)
        if (quad) device->DestroyScreenQuad(quad);
}

// Releases every texture, recording whether each release was accepted.
void ReleaseAll(Scenario& scenario, const std::vector<Texture*>& textures) {
    bool released = true;
    for (Texture* texture : textures)
        if (texture) released = scenario.Device()->ReleaseTexture(texture) && released;
    scenario.Fact("textures.released", released);
}

bool AllMade(const std::vector<Texture*>& textures) {
    for (Texture* texture : textures)
        if (!texture) return false;
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

// Whether GetPixel gives back what SetPixel wrote, after `mask` drops the
// bits the format does not keep.
bool ReadsBack(Texture* texture, uint32_t mask) {
    for (unsigned y = 0; y < kCreatedSize; ++y)
        for (unsigned x = 0; x < kCreatedSize; ++x)
            if (texture->GetPixel(x, y, 0) != (CreatedTexel(x, y, 0) & mask)) return false;
    return true;
}

// A DXT1 ZAR file, a bitmap and a sequence written under the scenario's
// directory; the file names, in that order.
struct WrittenFiles {
    std::string dxt1, bitmap, sequence, animated;
};
WrittenFiles WriteResetFiles(Scenario& scenario) {
    WrittenFiles files{scenario.PathOf("dxt1.zar"), scenario.PathOf("picture.bmp"),
                       scenario.PathOf("frame0.bmp"), scenario.PathOf("animated.zar")};
    bool written = WriteFile(files.dxt1, ZarBytes(ZarKind::Dxt1)) &&
                   WriteFile(files.animated, ZarBytes(ZarKind::Animated)) &&
                   WriteFile(files.bitmap, BmpFile(Bmp::Rgb24, kFileSize, kFileSize, false).bytes);
    for (unsigned frame = 0; frame < kSequenceFrames; ++frame)
        written = WriteFile(scenario.PathOf(("frame" + std::to_string(frame) + ".bmp").c_str()),
                            SequenceBitmap(frame)) &&
                  written;
    scenario.Fact("files.written", written);
    return files;
}

// Holds an animation on `frame`.
void Hold(Texture* texture, unsigned frame) {
    texture->SetPlaying(false);
    texture->SetFrame(frame);
}

}  // namespace

WINE_SCENARIO(texture_created) {
    RenderDevice* device = scenario.Device();
    if (!OpenForTextures(scenario)) return;

    device->SetTextureBitDepth(32);
    Texture* wide = MakeCreated(device, 0);
    Texture* updated = MakeCreated(device, 0);
    Texture* animated = MakeCreated(device, kCreatedFrames);
    device->SetTextureBitDepth(16);
    Texture* narrow = MakeCreated(device, 0);
    const std::vector<Texture*> textures = {wide, narrow, updated, animated};
    scenario.Fact("textures.made", AllMade(textures));
    if (AllMade(textures)) {
        scenario.Fact("format.32", wide->GetFormat());
        scenario.Fact("format.16", narrow->GetFormat());
        scenario.Fact("readback.32", ReadsBack(wide, 0xFFFFFFFFu));
        scenario.Fact("readback.16", ReadsBack(narrow, 0xF0F0F0F0u));

        // The copy is kept (created textures keep theirs): change a
        // rectangle and one texel outside it, upload the rectangle alone.
        for (int y = kUpdatedTexels.top; y < kUpdatedTexels.bottom; ++y)
            for (int x = kUpdatedTexels.left; x < kUpdatedTexels.right; ++x)
                updated->SetPixel(x, y, kUpdatedColour, 0);
        updated->SetPixel(0, 0, kNotUploadedColour, 0);
        scenario.Fact("update.rect",
                      updated->UpdateRect(0, kUpdatedTexels.left, kUpdatedTexels.top,
                                          kUpdatedTexels.right, kUpdatedTexels.bottom, true));

        scenario.Fact("animated.frames", animated->GetFrameCount());
        const unsigned short* durations = animated->GetFrameDurations();
        scenario.Fact("animated.duration", durations ? durations[0] : 0);
        Hold(animated, kShownCreatedFrame);
        scenario.Fact("animated.current", animated->GetCurrentFrame());

        DrawOnQuads(scenario, "created", {{Slot(kCreated32), wide},
                                          {Slot(kCreated16), narrow},
                                          {Slot(kCreatedUpdated), updated},
                                          {Slot(kCreatedAnimated), animated}});
    }
    ReleaseAll(scenario, textures);
}

WINE_SCENARIO(texture_files) {
    RenderDevice* device = scenario.Device();
    if (!OpenForTextures(scenario)) return;
    const ImageFile images[] = {
        BmpFile(Bmp::Rgb24, kFileSize, kFileSize, false),
        TgaFile(Tga::Rgb24, kFileSize, kFileSize, true, false),
        PngFile(6, 8, kFileSize, kFileSize, false, false),  // RGB with alpha
        DdsFile(D3DFMT_R5G6B5, kFileSize, kFileSize, 1),
        JpegFile(false, false, kFileSize, kFileSize),
    };
    const char* const names[] = {"picture.bmp", "picture.tga", "picture.png", "picture.dds",
                                 "picture.jpg"};
    std::vector<Texture*> textures;
    bool written = true;
    for (size_t i = 0; i < 5; ++i) {
        const std::string path = scenario.PathOf(names[i]);
        written = WriteFile(path, images[i].bytes) && written;
        Texture* texture = device->CreateTextureFromFile(path.c_str(), false, false);
        textures.push_back(texture);
        scenario.Fact((std::string("format.") + names[i]).c_str(),
                      texture ? static_cast<int>(texture->GetFormat()) : 0);
    }
    for (unsigned frame = 0; frame < kSequenceFrames; ++frame)
        written = WriteFile(scenario.PathOf(("frame" + std::to_string(frame) + ".bmp").c_str()),
                            SequenceBitmap(frame)) &&
                  written;
    scenario.Fact("files.written", written);
    const std::string first = scenario.PathOf("frame0.bmp");
    Texture* sequence =
        device->CreateTextureFromFileSequence(first.c_str(), kSequenceRate, false, false);
    textures.push_back(sequence);
    scenario.Fact("textures.made", AllMade(textures));

    if (AllMade(textures)) {
        // A name asked for again, in other letters, shares the texture.
        std::string upper = scenario.PathOf("PICTURE.BMP");
        Texture* shared = device->CreateTextureFromFile(upper.c_str(), true, false);
        scenario.Fact("shared.same", shared == textures[kFileBmp]);
        scenario.Fact("shared.references", textures[kFileBmp]->GetRefCount());
        device->ReleaseTexture(shared);
        scenario.Fact("shared.released.references", textures[kFileBmp]->GetRefCount());
        Texture* again = device->CreateTextureFromFile(first.c_str(), false, false);
        scenario.Fact("sequence.shared", again == sequence);
        device->ReleaseTexture(again);

        scenario.Fact("sequence.frames", sequence->GetFrameCount());
        const unsigned short* durations = sequence->GetFrameDurations();
        scenario.Fact("sequence.duration", durations ? durations[0] : 0);
        scenario.Fact("sequence.mipmaps", sequence->HasMipmaps());
        Hold(sequence, kShownSequenceFrame);
        scenario.Fact("sequence.current", sequence->GetCurrentFrame());

        Placed placed;
        for (int slot = kFileBmp; slot <= kFileSequence; ++slot)
            placed.push_back({Slot(slot), textures[slot]});
        DrawOnQuads(scenario, "files", placed);
    }
    ReleaseAll(scenario, textures);
}

WINE_SCENARIO(texture_zar) {
    RenderDevice* device = scenario.Device();
    if (!OpenForTextures(scenario)) return;
    device->SetTextureBitDepth(32);
    const std::pair<ZarKind, const char*> files[] = {{ZarKind::Rgba, "rgba.zar"},
                                                     {ZarKind::Dxt1, "dxt1.zar"},
                                                     {ZarKind::Dxt5, "dxt5.zar"},
                                                     {ZarKind::Animated, "animated.zar"}};
    std::vector<Texture*> textures;
    bool written = true;
    for (const auto& file : files) {
        const std::string path = scenario.PathOf(file.second);
        written = WriteFile(path, ZarBytes(file.first)) && written;
        Texture* texture = device->CreateTextureFromFile(path.c_str(), false, false);
        textures.push_back(texture);
        scenario.Fact((std::string("format.") + file.second).c_str(),
                      texture ? static_cast<int>(texture->GetFormat()) : 0);
    }
    scenario.Fact("files.written", written);
    // The animation again, unique: not looping, its cycle measured from the
    // start of the tick count, so it has long ended at its first bind.
    const std::string animatedPath = scenario.PathOf("animated.zar");
    Texture* ended = device->CreateTextureFromFile(animatedPath.c_str(), false, true);
    textures.push_back(ended);
    scenario.Fact("textures.made", AllMade(textures));

    if (AllMade(textures)) {
        Texture* paused = textures[kZarPaused];
        scenario.Fact("animated.frames", paused->GetFrameCount());
        const unsigned short* durations = paused->GetFrameDurations();
        std::string stored;
        for (unsigned i = 0; durations && i < paused->GetFrameCount(); ++i)
            stored += (i ? " " : "") + std::to_string(durations[i]);
        scenario.Fact("animated.durations", stored);
        scenario.Fact("unique.distinct", ended != paused);
        Hold(paused, kPausedZarFrame);
        scenario.Fact("paused.current", paused->GetCurrentFrame());
        ended->SetLooping(false);

        DrawOnQuads(scenario, "zar", {{Slot(kZarRgba), textures[kZarRgba]},
                                      {Slot(kZarDxt1), textures[kZarDxt1]},
                                      {Slot(kZarDxt5), textures[kZarDxt5]},
                                      {Slot(kZarPaused), paused},
                                      {Slot(kZarEnded), ended}});
        scenario.Fact("ended.playing", ended->IsPlaying());
        scenario.Fact("ended.current", ended->GetCurrentFrame());
    }
    ReleaseAll(scenario, textures);
}

WINE_SCENARIO(texture_reset) {
    RenderDevice* device = scenario.Device();
    if (!OpenForTextures(scenario)) return;
    device->SetTextureBitDepth(32);
    const WrittenFiles files = WriteResetFiles(scenario);
    Texture* created = MakeCreated(device, 0);
    Texture* bitmap = device->CreateTextureFromFile(files.bitmap.c_str(), false, false);
    Texture* dxt1 = device->CreateTextureFromFile(files.dxt1.c_str(), false, false);
    Texture* sequence =
        device->CreateTextureFromFileSequence(files.sequence.c_str(), kSequenceRate, false, false);
    Texture* animated = device->CreateTextureFromFile(files.animated.c_str(), false, false);
    const std::vector<Texture*> textures = {created, bitmap, dxt1, sequence, animated};
    scenario.Fact("textures.made", AllMade(textures));
    if (AllMade(textures)) {
        Hold(sequence, kShownSequenceFrame);
        Hold(animated, kPausedZarFrame);
        const Placed placed = {{Slot(kResetCreated), created},
                               {Slot(kResetBmp), bitmap},
                               {Slot(kResetDxt1), dxt1},
                               {Slot(kResetSequence), sequence},
                               {Slot(kResetZarPaused), animated}};
        DrawOnQuads(scenario, "before", placed);
        scenario.Fact("reset", device->ResetDevice());
        // The same objects, filled again on the new device.
        scenario.Fact("after.created.format", created->GetFormat());
        scenario.Fact("after.created.width", created->GetWidth());
        scenario.Fact("after.dxt1.format", dxt1->GetFormat());
        scenario.Fact("after.sequence.frames", sequence->GetFrameCount());
        scenario.Fact("after.sequence.playing", sequence->IsPlaying());
        scenario.Fact("after.sequence.current", sequence->GetCurrentFrame());
        scenario.Fact("after.animated.frames", animated->GetFrameCount());
        scenario.Fact("after.animated.current", animated->GetCurrentFrame());
        DrawOnQuads(scenario, "after", placed);
    }
    ReleaseAll(scenario, textures);
}

namespace {

// Two triangles covering `rect` in the orthographic scene, white, with every
// texture-coordinate pair running 0 to 1 across it.
std::vector<Vertex> MeshOver(const QuadRect& rect) {
    const float l = static_cast<float>(rect.left), t = static_cast<float>(rect.top);
    const float r = static_cast<float>(rect.right), b = static_cast<float>(rect.bottom);
    const SceneVertex corners[] = {OrthoVertex(l, t, kNear, 0xFFFFFFFFu),
                                   OrthoVertex(r, t, kNear, 0xFFFFFFFFu),
                                   OrthoVertex(l, b, kNear, 0xFFFFFFFFu),
                                   OrthoVertex(r, b, kNear, 0xFFFFFFFFu)};
    const float u[] = {0, 1, 0, 1}, v[] = {0, 0, 1, 1};
    std::vector<Vertex> vertices;
    for (int i : {0, 1, 2, 2, 1, 3}) {  // clockwise on the screen
        Vertex vertex = ToVertex(corners[i]);
        vertex.u0 = vertex.u1 = vertex.u2 = u[i];
        vertex.v0 = vertex.v1 = vertex.v2 = v[i];
        vertices.push_back(vertex);
    }
    return vertices;
}

// The two-layer material: the created texture, modulated by a second one.
Material* MakeTwoLayerMaterial(RenderDevice* device, Texture* first, Texture* second) {
    Material* material = device->CreateMaterial();
    if (!material) return nullptr;
    material->SetFrameBlend(false);
    MaterialLayer* base = material->AddLayer(first);
    MaterialLayer* over = material->AddLayer(second);
    if (!base || !over) {
        device->ReleaseMaterial(material);
        return nullptr;
    }
    over->SetColorArg2(0);  // current: texture x the stages before
    over->SetAlphaArg2(0);
    return material;
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
    scenario.Fact("examples.loaded", stone && mossy);
    Texture* stoneTexture = device->CreateTextureFromFile("textures/stone.bmp", false, false);
    scenario.Fact("stone.references", stoneTexture ? stoneTexture->GetRefCount() : 0);

    Texture* first = MakeCreated(device, 0);
    Texture* second = device->CreateTexture(kCreatedSize, kCreatedSize, false, 0);
    if (second) {
        for (unsigned y = 0; y < kCreatedSize; ++y)
            for (unsigned x = 0; x < kCreatedSize; ++x) second->SetPixel(x, y, SecondLayerTexel(x, y), 0);
        scenario.Fact("second.uploaded", second->UpdateAllFrames());
    }
    Material* twoLayers = first && second ? MakeTwoLayerMaterial(device, first, second) : nullptr;
    scenario.Fact("two_layers.made", twoLayers != nullptr);
    scenario.Fact("first.references", first ? first->GetRefCount() : 0);

    VertexBuffer* meshes[] = {MakeBuffer(device, MeshOver(kStoneMesh), false),
                              MakeBuffer(device, MeshOver(kMossyStoneMesh), false),
                              MakeBuffer(device, MeshOver(kTwoLayerMesh), false)};
    const bool made = stone && mossy && twoLayers && meshes[0] && meshes[1] && meshes[2];
    if (made) {
        Material* const materials[] = {stone, mossy, twoLayers};
        scenario.Fact("frames", scenario.DrawFrames(kTextureClear, 2, [&](RenderDevice* d) {
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
        // Two triangles a mesh, one pass each: both layers fit the stages.
        scenario.Fact("triangles", device->GetTriangleCount());
        scenario.Fact("captured", scenario.Capture("materials"));
    }
    device->SetVertexBuffer(nullptr);
    for (VertexBuffer* mesh : meshes)
        if (mesh) device->DestroyVertexBuffer(mesh);

    bool released = true;
    for (Material* material : {stone, mossy, twoLayers})
        if (material) released = device->ReleaseMaterial(material) && released;
    scenario.Fact("materials.released", released);
    // Released materials gave their layers' references back.
    scenario.Fact("stone.references.after", stoneTexture ? stoneTexture->GetRefCount() : 0);
    scenario.Fact("first.references.after", first ? first->GetRefCount() : 0);
    ReleaseAll(scenario, {stoneTexture, first, second});
}

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

// The references the stone texture and the 32-bit created one hold.
std::string References(Texture* stone, Texture* created) {
    return std::to_string(stone->GetRefCount()) + " " + std::to_string(created->GetRefCount());
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

    const std::vector<ImageFile> images = PictureFiles();
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

    // The example materials name their textures relative to their folder,
    // which the suite copies beside the scenarios' output.
    FileSystem* files = scenario.GetKernel().m_pFileSystem;
    const String base = files->GetBaseDirectory();
    files->SetBaseDirectory(scenario.PathOf("../examples").c_str());
    Material* materials[] = {device->LoadMaterial("stone.xml"), device->LoadMaterial("mossy-stone.xml"),
                             device->CreateMaterial()};
    Texture* stone = device->CreateTextureFromFile("textures/stone.bmp", false, false);
    files->SetBaseDirectory(base.c_str());
    Texture* second = device->CreateTexture(kCreatedSize, kCreatedSize, false, 0);
    VertexBuffer* meshes[3];
    bool made = stone && second && materials[0] && materials[1] && materials[2];
    for (int i = 0; i < 3; ++i) made = (meshes[i] = MakeBuffer(device, MeshOver(kMeshes[i]), false)) && made;
    for (Texture* texture : textures) made = texture && made;
    if (made) {
        for (unsigned y = 0; y < kCreatedSize; ++y)
            for (unsigned x = 0; x < kCreatedSize; ++x) second->SetPixel(x, y, SecondLayerTexel(x, y), 0);
        MaterialLayer* over = materials[2]->AddLayer(textures[kCreated32]) ? materials[2]->AddLayer(second)
                                                                        : nullptr;
        made = second->UpdateAllFrames() == 0 && over;
        if (over) {
            materials[2]->SetFrameBlend(false);
            over->SetColorArg2(0);  // current: texture x the stages before
            over->SetAlphaArg2(0);
        }
    }
    scenario.Fact("made", made);

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
        const std::string references = std::to_string(bitmap->GetRefCount());
        device->ReleaseTexture(shared);
        device->ReleaseTexture(sequence);
        scenario.Fact("shared", shared == bitmap && sequence == textures[kFileSequence]);
        scenario.Fact("shared.references", references + " " + std::to_string(bitmap->GetRefCount()));
        // Each example's layer holds the stone texture, the two-layer
        // material the created one.
        scenario.Fact("references", References(stone, textures[kCreated32]));

        for (const auto& held : {std::make_pair(kCreatedAnimated, kShownCreatedFrame),
                                 std::make_pair(kFileSequence, kShownSequenceFrame),
                                 std::make_pair(kZarPaused, kPausedZarFrame)}) {
            textures[held.first]->SetPlaying(false);
            textures[held.first]->SetFrame(held.second);
        }
        textures[kZarEnded]->SetLooping(false);
        std::vector<ScreenQuad*> quads;
        for (int slot = 0; slot < kSlotCount; ++slot)
            quads.push_back(device->CreateScreenQuad(ToRect(Slot(slot)), 0xFFFFFFFFu));
        // Each texture on a white screen quad (stage 0, no material), then
        // the materials on their meshes.
        const auto frame = [&](const std::string& name) {
            scenario.Fact(("frames." + name).c_str(),
                          scenario.DrawFrames(kTextureClear, 2, [&](RenderDevice* d) {
                              d->SetMaterial(nullptr);
                              SetOrthographic(d);
                              d->SetLighting(false);
                              bool drawn = true;
                              for (size_t i = 0; i < quads.size(); ++i) {
                                  d->SetTexture(0, textures[i]);
                                  drawn = quads[i] && d->RenderScreenQuad(quads[i]) && drawn;
                              }
                              d->SetTexture(0, nullptr);
                              for (int i = 0; i < 3 && materials[i]; ++i) {
                                  d->SetMaterial(materials[i]);
                                  drawn = d->SetVertexBuffer(meshes[i]) &&
                                          d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2) && drawn;
                              }
                              d->SetMaterial(nullptr);
                              return drawn;
                          }));
            scenario.Fact(("triangles." + name).c_str(), device->GetTriangleCount());
            scenario.Fact(("captured." + name).c_str(), scenario.Capture(name.c_str()));
        };
        frame("before");
        scenario.Fact("ended.playing", textures[kZarEnded]->IsPlaying());
        // Released materials give their layers' references back.
        for (Material*& material : materials) {
            device->ReleaseMaterial(material);
            material = nullptr;
        }
        scenario.Fact("references.after", References(stone, textures[kCreated32]));
        for (Texture** texture : {&stone, &second}) {
            device->ReleaseTexture(*texture);
            *texture = nullptr;
        }
        scenario.Fact("reset", device->ResetDevice());
        frame("after");
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
    scenario.Fact("released", released);
}

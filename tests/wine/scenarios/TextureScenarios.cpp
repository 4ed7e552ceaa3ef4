// Textures on the real runtime: created ones, ZAR files the scenario writes
// (DXT among them), an animation held on a frame, and textured materials,
// drawn before and after ResetDevice; PNG and JPEG files written by the image
// libraries compiled into this program, decoded by those compiled into the
// plug-in, for the build's own architecture.
#include <png.h>

#include <string>
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
#include "support/ImageFiles.h"

namespace {

using namespace winesuite;

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

// The references the stone texture and the created one hold.
std::string References(Texture* stone, Texture* created) {
    return std::to_string(stone->GetRefCount()) + " " + std::to_string(created->GetRefCount());
}

// The texture's level 0.
Picture PictureOf(Texture* texture) {
    Picture picture{texture->GetWidth(), texture->GetHeight(), {}};
    for (UINT y = 0; y < picture.height; ++y)
        for (UINT x = 0; x < picture.width; ++x) picture.argb.push_back(texture->GetPixel(x, y, 0));
    return picture;
}

}  // namespace

WINE_SCENARIO(textures) {
    RenderDevice* device = scenario.Device();
    if (!OpenWindowed(scenario)) return;
    device->SetTextureFilter(kPointFilter);
    device->SetTextureBitDepth(32);
    std::vector<Texture*> textures(kSlotCount, nullptr);
    textures[kCreated32] = MakeCreated(device, CreatedTexel);
    textures[kCreatedUpdated] = MakeCreated(device, CreatedTexel);
    bool made = true;
    const ZarKind kinds[] = {ZarKind::Rgba, ZarKind::Dxt1, ZarKind::Dxt5, ZarKind::Animated};
    for (int i = 0; i < 4; ++i) {
        const std::string path = scenario.PathOf(("file" + std::to_string(i) + ".zar").c_str());
        made = WriteBytes(path, ZarBytes(kinds[i])) && made;
        textures[kZarRgba + i] = device->CreateTextureFromFile(path.c_str(), false, false);
    }

    // The example material names its texture relative to its folder, which
    // the suite copies beside the scenarios' output.
    FileSystem* files = scenario.GetKernel().m_pFileSystem;
    const String base = files->GetBaseDirectory();
    files->SetBaseDirectory(scenario.PathOf("../examples").c_str());
    Material* materials[] = {device->LoadMaterial("stone.xml"), device->CreateMaterial()};
    Texture* stone = device->CreateTextureFromFile("textures/stone.bmp", false, false);
    files->SetBaseDirectory(base.c_str());
    Texture* second = MakeCreated(device, SecondLayerTexel);
    VertexBuffer* meshes[2];
    made = stone && second && materials[0] && materials[1] && made;
    for (int i = 0; i < 2; ++i) made = (meshes[i] = MakeBuffer(device, MeshOver(kMeshes[i]), false)) && made;
    for (Texture* texture : textures) made = texture && made;
    if (made) {
        MaterialLayer* over = materials[1]->AddLayer(textures[kCreated32]) ? materials[1]->AddLayer(second)
                                                                        : nullptr;
        made = over != nullptr;
        if (over) {
            materials[1]->SetFrameBlend(false);
            over->SetColorArg2(TEXTUREARG_CURRENT);  // texture x the stages before
            over->SetAlphaArg2(TEXTUREARG_CURRENT);
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
        updated->SetPixel(0, 0, 0xFF000000u, 0);
        scenario.Fact("update.rect", updated->UpdateRect(0, kUpdatedTexels.left, kUpdatedTexels.top,
                                                         kUpdatedTexels.right, kUpdatedTexels.bottom,
                                                         true));
        scenario.Fact("durations.zar", Durations(textures[kZarPaused]));
        // A name asked for again, in other letters, shares the texture.
        Texture* zar = textures[kZarRgba];
        Texture* shared = device->CreateTextureFromFile(scenario.PathOf("FILE0.ZAR").c_str(), true, false);
        const std::string references = std::to_string(zar->GetRefCount());
        device->ReleaseTexture(shared);
        scenario.Fact("shared", shared == zar);
        scenario.Fact("shared.references", references + " " + std::to_string(zar->GetRefCount()));
        scenario.Fact("references", References(stone, textures[kCreated32]));

        textures[kZarPaused]->SetPlaying(false);
        textures[kZarPaused]->SetFrame(kPausedZarFrame);
        std::vector<ScreenQuad*> quads;
        for (int slot = 0; slot < kSlotCount; ++slot)
            quads.push_back(device->CreateScreenQuad(ToRect(Slot(slot)), 0xFFFFFFFFu));
        // Each texture on a white screen quad (stage 0, no material), then
        // the materials on their meshes.
        const auto frame = [&](const char* name) {
            scenario.Frame(name, kTextureClear, [&](RenderDevice* d) {
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
            });
        };
        frame("before");
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

WINE_SCENARIO(images) {
    RenderDevice* device = scenario.Device();
    if (!OpenWindowed(scenario)) return;
    const ImageFile files[] = {
        PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, kImageFileSize, kImageFileSize / 2, true, false),
        JpegFile(false, false, kImageFileSize, kImageFileSize),
        JpegFile(false, true, kImageFileSize, kImageFileSize),
    };
    const char* names[] = {"interlaced.png", "baseline.jpg", "progressive.jpg"};
    for (int i = 0; i < 3; ++i) {
        const std::string path = scenario.PathOf(names[i]);
        Texture* texture = WriteBytes(path, files[i].bytes)
                               ? device->CreateTextureFromFile(path.c_str(), false, true)
                               : nullptr;
        const std::string key = std::string("image.") + names[i];
        scenario.Fact(key.c_str(), texture ? std::to_string(texture->GetWidth()) + "x" +
                                                 std::to_string(texture->GetHeight()) + " error " +
                                                 std::to_string(WorstChannelError(PictureOf(texture), files[i].expected))
                                           : std::string("none"));
        if (texture) device->ReleaseTexture(texture);
    }
}

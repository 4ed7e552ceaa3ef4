// Untextured materials on the real runtime: lighting, culling, frame blend,
// depth, passes split by the stage limit and by lighting flags, and the
// neutral state of no material.
#include <string>
#include <vector>

#include "SceneDrawing.h"
#include "Scenario.h"
#include "WineSuite.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/VertexBuffer.h"

namespace {

using namespace winesuite;

Material* MakeMaterial(RenderDevice* device, bool culling, bool frameBlend, bool zWrite, int zFunc) {
    Material* material = device->CreateMaterial();
    if (!material) return nullptr;
    material->SetEmissive(kLitEmissive.r, kLitEmissive.g, kLitEmissive.b);
    material->SetAmbient(kLitAmbient.r, kLitAmbient.g, kLitAmbient.b);
    material->SetCulling(culling);
    material->SetFrameBlend(frameBlend);
    material->SetZWrite(zWrite);
    material->SetZFunc(zFunc);
    return material;
}

// A layer passing the colour before it on, blending with the given factors.
MaterialLayer* AddPassThroughLayer(Material* material, int destBlend) {
    MaterialLayer* layer = material->AddLayer();
    if (!layer) return nullptr;
    layer->SetColorOp(TEXTUREOP_SELECTARG1);
    layer->SetColorArg1(TEXTUREARG_CURRENT);
    layer->SetAlphaOp(TEXTUREOP_SELECTARG1);
    layer->SetAlphaArg1(TEXTUREARG_CURRENT);
    layer->SetSrcBlend(BLEND_ONE);
    layer->SetDestBlend(destBlend);
    return layer;
}

void SetLight(RenderDevice* device) {
    LightDesc light = {};
    light.type = LIGHT_DIRECTIONAL;
    light.diffuse = kLightDiffuse;
    light.ambient = light.specular = 0xFF000000u;
    light.range = 1000.0f;
    light.attenuation0 = 1.0f;
    light.direction = Vector3D(kLightDirection[0], kLightDirection[1], kLightDirection[2]);
    device->SetLighting(true);
    device->SetAmbient(kDeviceAmbient);
    device->SetLight(0, &light);
    device->EnableLight(0, true);
}

}  // namespace

WINE_SCENARIO(materials) {
    RenderDevice* device = scenario.Device();
    if (!OpenWindowed(scenario)) return;
    Material* plain = MakeMaterial(device, true, false, true, COMPARE_LESSEQUAL);
    Material* unculled = MakeMaterial(device, false, false, true, COMPARE_LESSEQUAL);
    Material* blended = MakeMaterial(device, true, true, true, COMPARE_LESSEQUAL);
    Material* always = MakeMaterial(device, true, false, true, COMPARE_ALWAYS);
    Material* unwritten = MakeMaterial(device, true, false, false, COMPARE_LESSEQUAL);
    Material* tenLayers = MakeMaterial(device, true, false, true, COMPARE_LESSEQUAL);
    Material* split = MakeMaterial(device, true, false, true, COMPARE_LESSEQUAL);
    const std::vector<Material*> materials = {plain,     unculled,  blended,
                                              always,    unwritten, tenLayers, split};
    bool made = true;
    for (Material* material : materials) made = material && made;
    if (made) {
        // One layer as the material starts it (texture times diffuse); ten
        // layers (two passes of eight stages, the second added); lighting
        // off, on, off (three passes, the later two added).
        for (Material* material : {plain, unculled, blended, always, unwritten})
            made = material->AddLayer() && made;
        for (int i = 0; i < 10; ++i)
            made = AddPassThroughLayer(tenLayers, i == 9 ? BLEND_ONE : BLEND_ZERO) && made;
        for (int i = 0; i < 3; ++i) {
            MaterialLayer* layer = AddPassThroughLayer(split, i == 0 ? BLEND_ZERO : BLEND_ONE);
            if (layer) layer->SetLighting(i == 1);
            made = layer && made;
        }
    }
    scenario.Fact("materials.made", made);

    enum { kLit, kCulledBack, kDrawnBack, kBlended, kTenLayer, kSplit, kNeutral, kNeutralBack,
           kFirstDepth };
    std::vector<SceneTriangle> scene = {kLitTriangle,     kCulledBackTriangle, kDrawnBackTriangle,
                                        kBlendedTriangle, kTenLayerTriangle,   kSplitTriangle,
                                        kNeutralTriangle, kNeutralBackTriangle};
    for (const DepthPair& pair : kDepthPairs) {
        scene.push_back(OrthoTriangle(pair.x, pair.y, kDepthPairSize, kNear, kNearColour));
        scene.push_back(OrthoTriangle(pair.x + kDepthPairShift, pair.y + kDepthPairShift,
                                      kDepthPairSize, kFar, kFarColour));
    }
    std::vector<VertexBuffer*> buffers;
    for (const SceneTriangle& triangle : scene) {
        buffers.push_back(MakeBuffer(device, ToVertices(&triangle, 1), false));
        made = buffers.back() && made;
    }
    const auto draw = [&](Material* material, size_t index) {
        device->SetMaterial(material);
        return device->SetVertexBuffer(buffers[index]) &&
               device->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1);
    };
    // Every frame starts from the neutral state.
    const auto frame = [&](const char* name, const std::function<bool()>& drawing) {
        scenario.Frame(name, kGeometryClear, [&](RenderDevice* d) {
            d->SetMaterial(nullptr);
            SetOrthographic(d);
            return drawing();
        });
    };
    if (made) {
        frame("lit", [&] {
            device->SetMaterial(plain);
            SetLight(device);
            // No material after a lit one: unlit, opaque, back faces culled.
            return draw(plain, kLit) && draw(plain, kCulledBack) && draw(unculled, kDrawnBack) &&
                   draw(nullptr, kNeutral) && draw(nullptr, kNeutralBack);
        });
        frame("blend_depth", [&] {
            Material* const firsts[] = {plain, always, unwritten};
            Material* const seconds[] = {plain, always, plain};
            bool drawn = true;
            for (size_t pair = 0; pair < 3; ++pair)
                drawn = draw(firsts[pair], kFirstDepth + 2 * pair) &&
                        draw(seconds[pair], kFirstDepth + 2 * pair + 1) && drawn;
            return draw(blended, kBlended) && drawn;
        });
        frame("passes", [&] { return draw(tenLayers, kTenLayer) && draw(split, kSplit); });
    }
    device->SetVertexBuffer(nullptr);
    for (VertexBuffer* buffer : buffers)
        if (buffer) device->DestroyVertexBuffer(buffer);

    // SetMaterial(m), SetMaterial(null) leaves the host's own reference.
    device->SetMaterial(plain);
    device->SetMaterial(nullptr);
    scenario.Fact("material.references", plain ? plain->GetRefCount() : 0);
    bool released = true;
    for (Material* material : materials)
        if (material) released = device->ReleaseMaterial(material) && released;
    scenario.Fact("materials.released", released);
}

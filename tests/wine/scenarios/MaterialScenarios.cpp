// Materials on the real runtime, with layers that hold no texture: lighting
// from the material's colours, culling, frame blend, depth writes and tests,
// passes split by the stage limit and by the layers' lighting flags, and the
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

// Engine values (texture operations, arguments, blend factors, compare
// functions).
constexpr int kSelectArg1 = 1;
constexpr int kCurrent = 0;
constexpr int kDiffuse = 1;
constexpr int kTexture = 5;
constexpr int kBlendZero = 0;
constexpr int kBlendOne = 1;
constexpr int kLessEqual = 3;
constexpr int kAlways = 7;

struct MaterialSpec {
    bool culling;
    bool frameBlend;
    bool zWrite;
    int zFunc;
};

Material* MakeMaterial(RenderDevice* device, const MaterialSpec& spec) {
    Material* material = device->CreateMaterial();
    if (!material) return nullptr;
    material->SetEmissive(kLitEmissive.r, kLitEmissive.g, kLitEmissive.b);
    material->SetAmbient(kLitAmbient.r, kLitAmbient.g, kLitAmbient.b);
    material->SetCulling(spec.culling);
    material->SetFrameBlend(spec.frameBlend);
    material->SetZWrite(spec.zWrite);
    material->SetZFunc(spec.zFunc);
    return material;
}

// A layer that passes the colour of the stages before it on (the diffuse
// colour at stage 0) and blends with the given factors.
MaterialLayer* AddPassThroughLayer(Material* material, int sourceBlend, int destBlend) {
    MaterialLayer* layer = material->AddLayer();
    if (!layer) return nullptr;
    layer->SetColorOp(kSelectArg1);
    layer->SetColorArg1(kCurrent);
    layer->SetAlphaOp(kSelectArg1);
    layer->SetAlphaArg1(kCurrent);
    layer->SetSrcBlend(sourceBlend);
    layer->SetDestBlend(destBlend);
    return layer;
}

void SetLight(RenderDevice* device) {
    LightDesc light = {};
    light.type = 2;  // directional
    light.diffuse = kLightDiffuse;
    light.ambient = 0xFF000000u;
    light.specular = 0xFF000000u;
    light.range = 1000.0f;
    light.attenuation0 = 1.0f;
    light.direction = Vector3D(kLightDirection[0], kLightDirection[1], kLightDirection[2]);
    device->SetLighting(true);
    device->SetAmbient(kDeviceAmbient);
    device->SetLight(0, &light);
    device->EnableLight(0, true);
}

// One vertex buffer per scene triangle, in the order given.
class Triangles {
public:
    Triangles(RenderDevice* device, const std::vector<SceneTriangle>& triangles)
        : m_pDevice(device) {
        for (const SceneTriangle& triangle : triangles)
            m_Buffers.push_back(MakeBuffer(device, ToVertices(&triangle, 1), false));
    }
    ~Triangles() {
        m_pDevice->SetVertexBuffer(nullptr);
        for (VertexBuffer* buffer : m_Buffers)
            if (buffer) m_pDevice->DestroyVertexBuffer(buffer);
    }
    Triangles(const Triangles&) = delete;
    Triangles& operator=(const Triangles&) = delete;

    bool Made() const {
        for (VertexBuffer* buffer : m_Buffers)
            if (!buffer) return false;
        return true;
    }
    bool Draw(size_t index) {
        return m_pDevice->SetVertexBuffer(m_Buffers[index]) &&
               m_pDevice->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1);
    }

private:
    RenderDevice* m_pDevice;
    std::vector<VertexBuffer*> m_Buffers;
};

}  // namespace

WINE_SCENARIO(materials) {
    RenderDevice* device = scenario.Device();
    if (!OpenWindowed(scenario)) return;

    Material* lit = MakeMaterial(device, {true, false, true, kLessEqual});
    Material* unculled = MakeMaterial(device, {false, false, true, kLessEqual});
    Material* blended = MakeMaterial(device, {true, true, true, kLessEqual});
    Material* unblended = MakeMaterial(device, {true, false, true, kLessEqual});
    Material* untextured = MakeMaterial(device, {true, false, true, kLessEqual});
    Material* less = MakeMaterial(device, {true, false, true, kLessEqual});
    Material* always = MakeMaterial(device, {true, false, true, kAlways});
    Material* unwritten = MakeMaterial(device, {true, false, false, kLessEqual});
    Material* tenLayers = MakeMaterial(device, {true, false, true, kLessEqual});
    Material* split = MakeMaterial(device, {true, false, true, kLessEqual});
    const std::vector<Material*> materials = {lit,  unculled, blended,   unblended, untextured,
                                              less, always,   unwritten, tenLayers, split};
    bool made = true;
    for (Material* material : materials) made = made && material;
    scenario.Fact("materials.made", made);
    if (!made) {
        for (Material* material : materials)
            if (material) device->ReleaseMaterial(material);
        return;
    }

    // One layer as the material starts it (texture times diffuse), except
    // the one that selects the texture it does not have.
    for (Material* material : {lit, unculled, blended, unblended, less, always, unwritten})
        made = material->AddLayer() && made;
    MaterialLayer* selecting = untextured->AddLayer();
    made = selecting && made;
    if (selecting) {
        selecting->SetColorOp(kSelectArg1);
        selecting->SetColorArg1(kTexture);
        selecting->SetAlphaOp(kSelectArg1);
        selecting->SetAlphaArg1(kDiffuse);
    }
    // Ten layers: two passes of eight stages; the first pass ends with an
    // overwrite, the second with an addition.
    for (int i = 0; i < 10; ++i)
        made = AddPassThroughLayer(tenLayers, kBlendOne, i == 9 ? kBlendOne : kBlendZero) && made;
    // Lighting flags off, on, off: three passes, the later two added.
    for (int i = 0; i < 3; ++i) {
        MaterialLayer* layer = AddPassThroughLayer(split, kBlendOne, i == 0 ? kBlendZero : kBlendOne);
        made = layer && made;
        if (layer) layer->SetLighting(i == 1);
    }
    scenario.Fact("layers.made", made);
    scenario.Fact("layers.ten", tenLayers->GetLayerCount());

    enum {
        kLit, kCulledBack, kDrawnBack, kBlended, kUnblended, kUntextured, kTenLayer, kSplit,
        kNeutral, kNeutralBack, kFirstDepth
    };
    std::vector<SceneTriangle> scene = {kLitTriangle,        kCulledBackTriangle, kDrawnBackTriangle,
                                        kBlendedTriangle,    kUnblendedTriangle,  kUntexturedTriangle,
                                        kTenLayerTriangle,   kSplitTriangle,      kNeutralTriangle,
                                        kNeutralBackTriangle};
    for (const DepthPair& pair : kDepthPairs) {
        scene.push_back(OrthoTriangle(pair.x, pair.y, kDepthPairSize, kNear, kNearColour));
        scene.push_back(OrthoTriangle(pair.x + kDepthPairShift, pair.y + kDepthPairShift,
                                      kDepthPairSize, kFar, kFarColour));
    }
    Triangles triangles(device, scene);
    scenario.Fact("buffers.made", triangles.Made());
    if (made && triangles.Made()) {
        // Every frame starts from the neutral state.
        auto frame = [&](const char* name, const std::function<bool(RenderDevice*)>& draw) {
            const std::string key = name;
            scenario.Fact(("frames." + key).c_str(),
                          scenario.DrawFrames(kGeometryClear, 2, [&](RenderDevice* d) {
                              d->SetMaterial(nullptr);
                              SetOrthographic(d);
                              return draw(d);
                          }));
            scenario.Fact(("triangles." + key).c_str(), device->GetTriangleCount());
            scenario.Fact(("captured." + key).c_str(), scenario.Capture(name));
        };

        frame("lit", [&](RenderDevice* d) {
            d->SetMaterial(lit);
            SetLight(d);
            bool drawn = triangles.Draw(kLit);
            drawn = triangles.Draw(kCulledBack) && drawn;
            d->SetMaterial(unculled);
            return triangles.Draw(kDrawnBack) && drawn;
        });
        frame("blend", [&](RenderDevice* d) {
            d->SetMaterial(blended);
            bool drawn = triangles.Draw(kBlended);
            d->SetMaterial(unblended);
            drawn = triangles.Draw(kUnblended) && drawn;
            d->SetMaterial(untextured);
            return triangles.Draw(kUntextured) && drawn;
        });
        frame("depth", [&](RenderDevice* d) {
            Material* const firsts[] = {less, always, unwritten};
            Material* const seconds[] = {less, always, less};
            bool drawn = true;
            for (size_t pair = 0; pair < 3; ++pair) {
                d->SetMaterial(firsts[pair]);
                drawn = triangles.Draw(kFirstDepth + 2 * pair) && drawn;
                d->SetMaterial(seconds[pair]);
                drawn = triangles.Draw(kFirstDepth + 2 * pair + 1) && drawn;
            }
            return drawn;
        });
        frame("passes", [&](RenderDevice* d) {
            d->SetMaterial(tenLayers);
            bool drawn = triangles.Draw(kTenLayer);
            d->SetMaterial(split);
            return triangles.Draw(kSplit) && drawn;
        });
        frame("neutral", [&](RenderDevice* d) {
            d->SetMaterial(lit);
            SetLight(d);
            d->SetMaterial(nullptr);
            const bool drawn = triangles.Draw(kNeutral);
            return triangles.Draw(kNeutralBack) && drawn;
        });
    }

    // The host's materials outlive the driver's use of them until released.
    device->SetMaterial(lit);
    device->SetMaterial(nullptr);
    scenario.Fact("material.references", lit->GetRefCount());
    bool released = true;
    for (Material* material : materials) released = device->ReleaseMaterial(material) && released;
    scenario.Fact("materials.released", released);
}

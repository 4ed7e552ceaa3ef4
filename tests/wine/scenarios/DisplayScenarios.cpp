// The display's life on the real runtime: adapters and modes, the windowed
// switch, the frame with text, the dumps and a screenshot, ResetDevice,
// CloseDisplay and a second mode, and shutdown. Screen quads and vertex
// buffers: what they draw and where, the stream a draw from the host's array
// leaves bound, the triangles a scene counts. Untextured materials: lighting,
// culling, frame blend, depth, passes split by the stage limit and by
// lighting flags, and the neutral state of no material.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "SceneDrawing.h"
#include "Scenario.h"
#include "WineSuite.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/ScreenQuad.h"
#include "host/VertexBuffer.h"
#include "host/Window.h"

namespace {

using namespace winesuite;

bool SetWindowed(Scenario& scenario, unsigned width, unsigned height) {
    const std::string prefix = "display." + std::to_string(width);
    const bool set = scenario.Device()->SetDisplayMode(width, height, 32, 60, 0, true);
    Window* window = scenario.GetKernel().m_pWindow;
    scenario.Fact((prefix + ".set").c_str(), set);
    scenario.Fact((prefix + ".client").c_str(),
                  std::to_string(window->GetWidth()) + "x" + std::to_string(window->GetHeight()));
    return set;
}

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

WINE_SCENARIO(display) {
    RenderDevice* device = scenario.Device();
    scenario.Fact("adapters", device->GetAdapterCount());
    AdapterInfo info;
    scenario.Fact("adapter.info", device->GetAdapterInfo(0, &info) && !info.description.IsEmpty());
    const unsigned modes = device->GetDisplayModeCount(0);
    scenario.Fact("modes", modes);
    for (unsigned index = 0; index <= modes; ++index) {
        DisplayMode mode{};
        scenario.Fact(("mode." + std::to_string(index)).c_str(),
                      !device->GetDisplayModeInfo(0, index, &mode)
                          ? std::string("none")
                          : std::to_string(mode.width) + "x" + std::to_string(mode.height) + " " +
                                std::to_string(mode.bitsPerPixel) + " " +
                                std::to_string(mode.windowed));
    }

    if (!SetWindowed(scenario, kWidth, kHeight)) return;
    if (!scenario.FactLineExtents()) return;

    scenario.Frame("presented", kFrameClear);
    scenario.Fact("dumps", device->DumpRenderStates() && device->DumpTextureStageStates(0));
    scenario.Fact("screenshot", device->SaveScreenShot(scenario.PathOf("screenshot.bmp").c_str()));

    scenario.Fact("reset", device->ResetDevice() && scenario.DrawFrames(kResetClear, 2) &&
                               scenario.Capture("after-reset"));

    scenario.Fact("close", device->CloseDisplay());
    scenario.Fact("screenshot.closed", device->SaveScreenShot(scenario.PathOf("closed.bmp").c_str()));
    scenario.Fact("reset.closed", device->ResetDevice());
    if (!SetWindowed(scenario, kSecondWidth, kSecondHeight)) return;
    scenario.Fact("second", scenario.DrawFrames(kSecondModeClear, 2) && scenario.Capture("second"));

    scenario.Fact("shutdown", device->Shutdown() && device->Shutdown());
    scenario.DestroyRenderer();
    scenario.Fact("window.alive", IsWindow(scenario.GetKernel().m_pWindow->GetHWND()) != FALSE);
}

WINE_SCENARIO(geometry) {
    RenderDevice* device = scenario.Device();
    if (!OpenWindowed(scenario)) return;
    ScreenQuad* quads[] = {device->CreateScreenQuad(ToRect(kOpaqueQuad), kOpaqueQuadColour),
                           device->CreateScreenQuad(ToRect(kHalfQuad), kHalfQuadColour),
                           device->CreateScreenQuad(ToRect(kOverlapQuad), kOpaqueQuadColour),
                           device->CreateScreenQuad(ToRect(kBetweenQuad), kBetweenQuadColour)};
    VertexBuffer* lists = MakeBuffer(device, ToVertices(kStaticTriangles, 2), false);
    VertexBuffer* dynamic = MakeBuffer(device, ToVertices(&kDynamicTriangle, 1), true);
    VertexBuffer* strip = MakeBuffer(device, ToVertices(kStrip, 4), false);
    VertexBuffer* bound = MakeBuffer(device, ToVertices(&kBoundTriangle, 1), false);
    if (quads[0] && quads[1] && quads[2] && quads[3] && lists && dynamic && strip && bound) {
        scenario.Frame("quads", kGeometryClear, [&](RenderDevice* d) {
            d->SetMaterial(nullptr);
            d->SetTexture(0, nullptr);  // the debug font leaves its glyphs on stage 0
            return d->RenderScreenQuad(quads[0]) && d->RenderScreenQuad(quads[1]) &&
                   d->RenderScreenQuad(quads[2]);
        });

        const std::vector<Vertex> fan = ToVertices(kFan, 4);
        const std::vector<Vertex> array = ToVertices(&kArrayTriangle, 1);
        scenario.Frame("ortho", kGeometryClear, [&](RenderDevice* d) {
            d->SetMaterial(nullptr);
            d->SetTexture(0, nullptr);
            SetOrthographic(d);
            bool drawn = d->SetVertexBuffer(lists) && d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2);
            drawn = d->SetVertexBuffer(dynamic) && d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1) &&
                    drawn;
            // The second and fourth arguments mean nothing to the driver.
            drawn = d->SetVertexBuffer(strip) &&
                    d->RenderVertexBufferEx(PRIMITIVE_TRIANGLESTRIP, 7, 2, 9) && drawn;
            // Array draws and a quad between binding a buffer and drawing it.
            drawn = d->SetVertexBuffer(bound) && drawn;
            drawn = d->RenderVertices(PRIMITIVE_TRIANGLEFAN, 2, fan.data()) && drawn;
            drawn = d->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, array.data()) && drawn;
            drawn = d->RenderScreenQuad(quads[3]) && drawn;
            return d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1) && drawn;
        });
    }
    device->SetVertexBuffer(nullptr);
    for (VertexBuffer* buffer : {lists, dynamic, strip, bound})
        if (buffer) device->DestroyVertexBuffer(buffer);
    for (ScreenQuad* quad : quads)
        if (quad) device->DestroyScreenQuad(quad);
}

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

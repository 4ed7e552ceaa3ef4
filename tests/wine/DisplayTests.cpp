// The display's life on the real runtime: adapters and modes, the windowed
// switch, the frame with text, the dumps and a screenshot, ResetDevice,
// CloseDisplay and a second mode, and shutdown. Screen quads and vertex
// buffers: what they draw and where, the stream a draw from the host's array
// leaves bound, the triangles a scene counts. Untextured materials: lighting,
// culling, frame blend, depth, passes split by the stage limit and by
// lighting flags, and the neutral state of no material.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Scene.h"
#include "WineTest.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/ScreenQuad.h"
#include "host/Window.h"

namespace {

using namespace winesuite;

using WineDisplay = WineTest;
using WineGeometry = WineTest;
using WineMaterials = WineTest;

constexpr unsigned kSecondWidth = 800;
constexpr unsigned kSecondHeight = 600;
constexpr Rgb kResetClear = {0.6f, 0.2f, 0.1f};
constexpr Rgb kSecondModeClear = {0.1f, 0.4f, 0.2f};

// Screen quads: an opaque one, a half-transparent one over the clear colour,
// the opaque one again over part of the half-transparent one.
constexpr QuadRect kOpaqueQuad = {40, 40, 240, 200};
constexpr unsigned kOpaqueQuadColour = 0xFFE03010u;
constexpr QuadRect kHalfQuad = {300, 40, 560, 240};
constexpr unsigned kHalfQuadColour = 0x80F0E020u;
constexpr QuadRect kOverlapQuad = {400, 160, 600, 300};

// Vertex buffers.
constexpr SceneTriangle kStaticTriangles[] = {Triangle(40, 40, 160, 0xFFD02020u), Triangle(220, 40, 160, 0xFF20D020u)};
constexpr SceneTriangle kDynamicTriangle = Triangle(400, 40, 160, 0xFF2020D0u);
// A strip of two triangles over (40, 240)-(200, 320): top-left, top-right,
// bottom-left, bottom-right; a fan over (220, 240)-(380, 320), drawn from the
// host's array: top-left, top-right, bottom-right, bottom-left.
constexpr unsigned kStripColour = 0xFFE0C020u;
constexpr ScreenPoint kStrip[] = {{40, 240}, {200, 240}, {40, 320}, {200, 320}};
constexpr unsigned kFanColour = 0xFF20C0C0u;
constexpr ScreenPoint kFan[] = {{220, 240}, {380, 240}, {380, 320}, {220, 320}};
// Drawn from the host's array while kBoundTriangle's buffer is bound.
constexpr SceneTriangle kArrayTriangle = Triangle(400, 240, 160, 0xFFC020C0u);
// Drawn from the bound buffer after the array draws and a screen quad.
constexpr SceneTriangle kBoundTriangle = Triangle(40, 340, 120, 0xFFF08040u);
constexpr QuadRect kBetweenQuad = {220, 340, 340, 460};
constexpr unsigned kBetweenQuadColour = 0xFF406080u;
// Lists, strips, the fan, the array list and the last list.
constexpr unsigned kVertexBufferTriangles = 2 + 1 + 2 + 1 + 1;

// Materials. Lighting: the material's emissive and ambient colours, the
// device's ambient and one directional light; the vertices' diffuse colours
// are the diffuse reflectance (the runtime's default material sources).
constexpr Rgb kLitEmissive = {0.1f, 0.05f, 0.0f};
constexpr Rgb kLitAmbient = {0.5f, 0.5f, 0.5f};
constexpr unsigned kDeviceAmbient = 0xFF404040u;
constexpr unsigned kLightDiffuse = 0xFFC8B4A0u;
constexpr float kLightDirection[3] = {0.6f, 0.0f, 0.8f};  // normals face -z
constexpr unsigned kLitColour = 0xFF996633u;
constexpr SceneTriangle kLitTriangle = Triangle(40, 40, 160, kLitColour);
// Culled by the first material, drawn by the second (culling off).
constexpr SceneTriangle kCulledBackTriangle = BackTriangle(240, 40, 160, kLitColour);
constexpr SceneTriangle kDrawnBackTriangle = BackTriangle(440, 40, 160, kLitColour);
// Frame blend on.
constexpr unsigned kTranslucentColour = 0x80FF4000u;
constexpr SceneTriangle kBlendedTriangle = Triangle(40, 240, 160, kTranslucentColour);
// Depth: pairs of a near triangle drawn first and a far one over it.
constexpr float kFar = 60.0f;
constexpr unsigned kNearColour = 0xFFE02020u;
constexpr unsigned kFarColour = 0xFF20E020u;
constexpr float kDepthPairSize = 160.0f;
constexpr float kDepthPairShift = 40.0f;  // the far triangle's offset right and down
// Passes: ten layers on a device with eight stages (two passes), and three
// layers whose lighting flags alternate (three passes); every pass after the
// first adds the vertex colour once more.
constexpr unsigned kTenLayerColour = 0xFF4D3319u;
constexpr SceneTriangle kTenLayerTriangle = Triangle(40, 240, 160, kTenLayerColour);
constexpr unsigned kSplitColour = 0xFF331A4Du;
constexpr SceneTriangle kSplitTriangle = Triangle(240, 240, 160, kSplitColour);
constexpr unsigned kPassTriangles = 2 + 3;
// The neutral state of no material: unlit, opaque, back faces culled.
constexpr unsigned kNeutralColour = 0x8020A0E0u;
constexpr SceneTriangle kNeutralTriangle = Triangle(40, 240, 160, kNeutralColour);
constexpr SceneTriangle kNeutralBackTriangle = BackTriangle(240, 240, 160, kNeutralColour);

void ExpectClient(Window* window, unsigned width, unsigned height) {
    EXPECT_EQ(std::to_string(window->GetWidth()) + "x" + std::to_string(window->GetHeight()),
              std::to_string(width) + "x" + std::to_string(height));
}

void ExpectTriangle(const orvhost::Image& image, const SceneTriangle& triangle, const char* what) {
    ExpectColourAt(image, Centroid(triangle), Unpacked(triangle.colour), what);
    for (const ScreenPoint& point : BeyondCorners(triangle, 8))
        ExpectColourAt(image, point, ClearColourOf(kGeometryClear), std::string(what) + " beyond a corner");
}

ScreenPoint Inside(const QuadRect& r, bool right, bool bottom) {
    return {right ? r.right - 4.0f : r.left + 4.0f, bottom ? r.bottom - 4.0f : r.top + 4.0f};
}

// Fixed-function lighting of a vertex facing the viewer: emissive + material
// ambient × device ambient + vertex diffuse × light diffuse × cosine.
Rgba LitColour(unsigned vertexColour) {
    const Rgba ambient = Unpacked(kDeviceAmbient), light = Unpacked(kLightDiffuse);
    const Rgba diffuse = Unpacked(vertexColour);
    const auto channel = [](float emissive, float material, float device, float vertex, float lit) {
        return std::min(1.0f, emissive + material * device + vertex * lit * kLightDirection[2]);
    };
    return {channel(kLitEmissive.r, kLitAmbient.r, ambient.r, diffuse.r, light.r),
            channel(kLitEmissive.g, kLitAmbient.g, ambient.g, diffuse.g, light.g),
            channel(kLitEmissive.b, kLitAmbient.b, ambient.b, diffuse.b, light.b), diffuse.a};
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

TEST_F(WineDisplay, AdaptersModesFrameResetSecondModeAndShutdown) {
    RenderDevice* device = Device();
    ASSERT_GE(device->GetAdapterCount(), 1u);
    AdapterInfo info;
    EXPECT_TRUE(device->GetAdapterInfo(0, &info) && !info.description.IsEmpty());
    // Full-screen modes of a depth the driver knows, the X server's screen
    // among them; one past the end is refused.
    const unsigned modes = device->GetDisplayModeCount(0);
    bool desktop = false;
    DisplayMode mode{};
    for (unsigned index = 0; index < modes; ++index) {
        EXPECT_TRUE(device->GetDisplayModeInfo(0, index, &mode) && !mode.windowed &&
                    (mode.bitsPerPixel == 32 || mode.bitsPerPixel == 16))
            << mode.width << "x" << mode.height << " " << mode.bitsPerPixel << " " << mode.windowed;
        desktop = desktop || (mode.width == 1024 && mode.height == 768);
    }
    EXPECT_TRUE(desktop);
    EXPECT_FALSE(device->GetDisplayModeInfo(0, modes, &mode));

    Window* window = GetKernel().m_pWindow;
    ASSERT_TRUE(OpenWindowed());
    ExpectClient(window, kWidth, kHeight);
    orvhost::Image image = Frame("presented", kFrameClear, nullptr, 0);
    ExpectLinesPrinted(image, kFrameClear);
    EXPECT_TRUE(device->DumpRenderStates() && device->DumpTextureStageStates(0));
    EXPECT_TRUE(device->SaveScreenShot(PathOf("screenshot.bmp").c_str()));

    // Below the text after the reset.
    ASSERT_TRUE(device->ResetDevice() && DrawFrames(kResetClear, 2) && Capture("after-reset", &image));
    ExpectColourAt(image, {kWidth / 2.0f, kHeight / 2.0f + 40}, Unpacked(PackedColour(kResetClear)),
                   "after the reset");

    // With the display closed, neither a screenshot nor a reset succeeds.
    EXPECT_TRUE(device->CloseDisplay());
    EXPECT_FALSE(device->SaveScreenShot(PathOf("closed.bmp").c_str()));
    EXPECT_FALSE(device->ResetDevice());
    ASSERT_TRUE(device->SetDisplayMode(kSecondWidth, kSecondHeight, 32, 60, 0, true));
    ExpectClient(window, kSecondWidth, kSecondHeight);
    ASSERT_TRUE(DrawFrames(kSecondModeClear, 2) && Capture("second", &image));
    EXPECT_EQ(image.width, static_cast<int>(kSecondWidth));
    EXPECT_EQ(image.height, static_cast<int>(kSecondHeight));
    ExpectColourAt(image, {kSecondWidth - 5.0f, kSecondHeight - 5.0f}, Unpacked(PackedColour(kSecondModeClear)),
                   "second mode");

    EXPECT_TRUE(device->Shutdown() && device->Shutdown());
    DestroyRenderer();
    EXPECT_TRUE(IsWindow(window->GetHWND()));
    const std::vector<std::string>& log = GetKernel().GetCapturedLines();
    for (const char* line : {"D3D driver - Attempting display switch: Windowed: 1, Width: 640, Height 480, BPP: 32",
                             "Display initialized.", "--- BEGIN STATE DUMP ---"})
        EXPECT_TRUE(std::find(log.begin(), log.end(), line) != log.end()) << line;
}

TEST_F(WineGeometry, ScreenQuadsAndVertexBuffersDrawWhereTheySayAndStreamZeroIsRestored) {
    RenderDevice* device = Device();
    ASSERT_TRUE(OpenWindowed());
    ScreenQuad* quads[] = {device->CreateScreenQuad(ToRect(kOpaqueQuad), kOpaqueQuadColour),
                           device->CreateScreenQuad(ToRect(kHalfQuad), kHalfQuadColour),
                           device->CreateScreenQuad(ToRect(kOverlapQuad), kOpaqueQuadColour),
                           device->CreateScreenQuad(ToRect(kBetweenQuad), kBetweenQuadColour)};
    VertexBuffer* lists = MakeBuffer(device, ToVertices(kStaticTriangles, 2));
    VertexBuffer* dynamic = MakeBuffer(device, ToVertices(&kDynamicTriangle), true);
    VertexBuffer* strip = MakeBuffer(device, ToVertices(kStrip, 4, kStripColour));
    VertexBuffer* bound = MakeBuffer(device, ToVertices(&kBoundTriangle));
    if (quads[0] && quads[1] && quads[2] && quads[3] && lists && dynamic && strip && bound) {
        // Quads count no triangles.
        orvhost::Image image = Frame("quads", kGeometryClear, [&](RenderDevice* d) {
            d->SetMaterial(nullptr);
            d->SetTexture(0, nullptr);  // the debug font leaves its glyphs on stage 0
            return d->RenderScreenQuad(quads[0]) && d->RenderScreenQuad(quads[1]) && d->RenderScreenQuad(quads[2]);
        }, 0);
        const Rgba clear = ClearColourOf(kGeometryClear), opaque = Unpacked(kOpaqueQuadColour);
        const Rgba half = AlphaBlended(Unpacked(kHalfQuadColour), clear);
        for (bool right : {false, true})
            for (bool bottom : {false, true}) {
                ExpectColourAt(image, Inside(kOpaqueQuad, right, bottom), opaque, "opaque");
                ExpectColourAt(image, {right ? kOpaqueQuad.right + 4.0f : kOpaqueQuad.left - 4.0f,
                                       bottom ? kOpaqueQuad.bottom + 4.0f : kOpaqueQuad.top - 4.0f},
                               clear, "outside the opaque quad");
                // The bottom-right corner lies under the overlapping opaque quad.
                ExpectColourAt(image, Inside(kHalfQuad, right, bottom), right && bottom ? opaque : half, "blended");
            }
        ExpectColourAt(image, Inside(kOverlapQuad, true, true), opaque, "overlap");

        // Lists and strips count, the fan does not, the array's list does.
        const std::vector<Vertex> fan = ToVertices(kFan, 4, kFanColour), array = ToVertices(&kArrayTriangle);
        image = Frame("ortho", kGeometryClear, [&](RenderDevice* d) {
            d->SetMaterial(nullptr);
            d->SetTexture(0, nullptr);
            SetOrthographic(d);
            bool drawn = d->SetVertexBuffer(lists) && d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2);
            drawn = d->SetVertexBuffer(dynamic) && d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1) && drawn;
            // The second and fourth arguments mean nothing to the driver.
            drawn = d->SetVertexBuffer(strip) && d->RenderVertexBufferEx(PRIMITIVE_TRIANGLESTRIP, 7, 2, 9) && drawn;
            // Array draws and a quad between binding a buffer and drawing it.
            drawn = d->SetVertexBuffer(bound) && drawn;
            drawn = d->RenderVertices(PRIMITIVE_TRIANGLEFAN, 2, fan.data()) && drawn;
            drawn = d->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, array.data()) && drawn;
            drawn = d->RenderScreenQuad(quads[3]) && drawn;
            return d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1) && drawn;
        }, kVertexBufferTriangles);
        ExpectTriangle(image, kStaticTriangles[0], "first static triangle");
        ExpectTriangle(image, kStaticTriangles[1], "second static triangle");
        ExpectTriangle(image, kDynamicTriangle, "dynamic triangle");
        for (const auto& [c, colour] : {std::make_pair(kStrip, kStripColour), std::make_pair(kFan, kFanColour)})
            for (const SceneTriangle& half : {SceneTriangle{{c[0], c[1], c[2]}, kNear, colour},
                                              SceneTriangle{{c[1], c[2], c[3]}, kNear, colour}})
                ExpectColourAt(image, Centroid(half), Unpacked(colour), c == kStrip ? "strip" : "fan");
        ExpectTriangle(image, kArrayTriangle, "triangle from the host's array");
        // Drawn from the buffer bound before the array draws and the quad.
        ExpectTriangle(image, kBoundTriangle, "triangle from the buffer bound before");
        ExpectColourAt(image, Inside(kBetweenQuad, false, false), Unpacked(kBetweenQuadColour), "quad between");
    } else {
        ADD_FAILURE() << "a quad or a buffer was not made";
    }
    device->SetVertexBuffer(nullptr);
    for (VertexBuffer* buffer : {lists, dynamic, strip, bound})
        if (buffer) device->DestroyVertexBuffer(buffer);
    for (ScreenQuad* quad : quads)
        if (quad) device->DestroyScreenQuad(quad);
}

TEST_F(WineMaterials, LightingCullingBlendDepthPassesAndTheNeutralState) {
    RenderDevice* device = Device();
    ASSERT_TRUE(OpenWindowed());
    Material* plain = MakeMaterial(device, true, false, true, COMPARE_LESSEQUAL);
    Material* unculled = MakeMaterial(device, false, false, true, COMPARE_LESSEQUAL);
    Material* blended = MakeMaterial(device, true, true, true, COMPARE_LESSEQUAL);
    Material* always = MakeMaterial(device, true, false, true, COMPARE_ALWAYS);
    Material* unwritten = MakeMaterial(device, true, false, false, COMPARE_LESSEQUAL);
    Material* tenLayers = MakeMaterial(device, true, false, true, COMPARE_LESSEQUAL);
    Material* split = MakeMaterial(device, true, false, true, COMPARE_LESSEQUAL);
    const std::vector<Material*> materials = {plain, unculled, blended, always, unwritten, tenLayers, split};
    bool made = std::find(materials.begin(), materials.end(), nullptr) == materials.end();
    if (made) {
        // One layer as the material starts it (texture times diffuse); ten
        // layers (two passes of eight stages, the second added); lighting
        // off, on, off (three passes, the later two added).
        for (Material* material : {plain, unculled, blended, always, unwritten}) made = material->AddLayer() && made;
        for (int i = 0; i < 10; ++i) made = AddPassThroughLayer(tenLayers, i == 9 ? BLEND_ONE : BLEND_ZERO) && made;
        for (int i = 0; i < 3; ++i) {
            MaterialLayer* layer = AddPassThroughLayer(split, i == 0 ? BLEND_ZERO : BLEND_ONE);
            if (layer) layer->SetLighting(i == 1);
            made = layer && made;
        }
    }
    // Depth pairs: less-or-equal with depth writes; always; less-or-equal
    // after a near triangle that did not write depth.
    struct DepthPair {
        float x, y;
        Material* first;
        Material* second;
        bool farWins;  // the overlap shows the far triangle
    };
    const DepthPair pairs[] = {{10, 20, plain, plain, false}, {215, 20, always, always, true},
                               {420, 20, unwritten, plain, true}};
    std::vector<SceneTriangle> scene = {kLitTriangle,     kCulledBackTriangle, kDrawnBackTriangle,
                                        kBlendedTriangle, kTenLayerTriangle,   kSplitTriangle,
                                        kNeutralTriangle, kNeutralBackTriangle};
    enum { kLit, kCulledBack, kDrawnBack, kBlended, kTenLayer, kSplit, kNeutral, kNeutralBack, kFirstDepth };
    for (const DepthPair& pair : pairs) {
        scene.push_back(Triangle(pair.x, pair.y, kDepthPairSize, kNearColour));
        scene.push_back(Triangle(pair.x + kDepthPairShift, pair.y + kDepthPairShift, kDepthPairSize, kFarColour, kFar));
    }
    std::vector<VertexBuffer*> buffers;
    for (const SceneTriangle& triangle : scene) {
        buffers.push_back(MakeBuffer(device, ToVertices(&triangle)));
        made = buffers.back() && made;
    }
    EXPECT_TRUE(made);
    const auto draw = [&](Material* material, size_t index) {
        device->SetMaterial(material);
        return device->SetVertexBuffer(buffers[index]) && device->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1);
    };
    // Every frame starts from the neutral state.
    const auto frame = [&](const char* name, int triangles, const std::function<bool()>& drawing) {
        return Frame(name, kGeometryClear, [&](RenderDevice* d) {
            d->SetMaterial(nullptr);
            SetOrthographic(d);
            return drawing();
        }, triangles);
    };
    if (made) {
        const Rgba clear = ClearColourOf(kGeometryClear);
        // The culled triangle still counts: the driver counts what it asked for.
        orvhost::Image image = frame("lit", 5, [&] {
            device->SetMaterial(plain);
            SetLight(device);
            // No material after a lit one: unlit, opaque, back faces culled.
            return draw(plain, kLit) && draw(plain, kCulledBack) && draw(unculled, kDrawnBack) &&
                   draw(nullptr, kNeutral) && draw(nullptr, kNeutralBack);
        });
        ExpectColourAt(image, Centroid(kLitTriangle), LitColour(kLitColour), "lit");
        ExpectColourAt(image, Centroid(kCulledBackTriangle), clear, "back face, culling on");
        ExpectColourAt(image, Centroid(kDrawnBackTriangle), LitColour(kLitColour), "back face, culling off");
        ExpectColourAt(image, Centroid(kNeutralTriangle), Opaque(kNeutralColour), "no material: unlit and opaque");
        ExpectColourAt(image, Centroid(kNeutralBackTriangle), clear, "no material: back face culled");

        image = frame("blend_depth", 7, [&] {
            bool drawn = true;
            for (size_t i = 0; i < 3; ++i)
                drawn = draw(pairs[i].first, kFirstDepth + 2 * i) && draw(pairs[i].second, kFirstDepth + 2 * i + 1) &&
                        drawn;
            return draw(blended, kBlended) && drawn;
        });
        ExpectColourAt(image, Centroid(kBlendedTriangle), AlphaBlended(Unpacked(kTranslucentColour), clear),
                       "frame blend on");
        for (const DepthPair& pair : pairs) {
            // Near only, the overlap, far only: at least 14 pixels from every edge.
            const float farX = pair.x + kDepthPairShift, farY = pair.y + kDepthPairShift;
            ExpectColourAt(image, {pair.x + 15, pair.y + 15}, Unpacked(kNearColour), "near only");
            ExpectColourAt(image, {farX + 20, farY + 20}, Unpacked(pair.farWins ? kFarColour : kNearColour),
                           "overlap of the pair at x " + std::to_string(pair.x));
            ExpectColourAt(image, {farX + 90, farY + 50}, Unpacked(kFarColour), "far only");
        }

        // Each pass counts; each after the first adds the vertex colour again.
        image = frame("passes", kPassTriangles, [&] { return draw(tenLayers, kTenLayer) && draw(split, kSplit); });
        ExpectColourAt(image, Centroid(kTenLayerTriangle), Scaled(Unpacked(kTenLayerColour), 2.0f), "ten layers");
        ExpectColourAt(image, Centroid(kSplitTriangle), Scaled(Unpacked(kSplitColour), 3.0f), "lighting flags split");
    }
    device->SetVertexBuffer(nullptr);
    for (VertexBuffer* buffer : buffers)
        if (buffer) device->DestroyVertexBuffer(buffer);

    // SetMaterial(m), SetMaterial(null) leaves the host's own reference.
    device->SetMaterial(plain);
    device->SetMaterial(nullptr);
    EXPECT_EQ(plain ? plain->GetRefCount() : 0, 1);
    bool released = true;
    for (Material* material : materials)
        if (material) released = device->ReleaseMaterial(material) && released;
    EXPECT_TRUE(released);
}

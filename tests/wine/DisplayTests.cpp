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

#include "WineTest.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/Window.h"

namespace {

using namespace winesuite;

using WineDisplay = WineTest;
using WineGeometry = WineTest;
using WineMaterials = WineTest;

constexpr Rgba kGeometryClear = {0.2f, 0.3f, 0.4f, 1.0f};

// Scenes in screen pixels, drawn through the orthographic projection;
// triangles clockwise on the screen unless made by BackTriangle.
struct SceneTriangle {
    ScreenPoint p[3];
    float z;
    unsigned colour;
};
// A right triangle at (x, y), legs going right and down.
constexpr SceneTriangle Triangle(float x, float y, float size, unsigned colour, float z = kNear) {
    return {{{x, y}, {x + size, y}, {x, y + size}}, z, colour};
}
constexpr SceneTriangle BackTriangle(float x, float y, float size, unsigned colour) {
    return {{{x, y}, {x, y + size}, {x + size, y}}, kNear, colour};
}

std::vector<Vertex> ToVertices(const ScreenPoint* points, size_t count, unsigned colour, float z = kNear) {
    std::vector<Vertex> vertices;
    for (size_t i = 0; i < count; ++i) vertices.push_back(ToVertex(points[i], z, colour));
    return vertices;
}
std::vector<Vertex> ToVertices(std::initializer_list<SceneTriangle> triangles) {
    std::vector<Vertex> vertices;
    for (const SceneTriangle& triangle : triangles)
        for (const ScreenPoint& point : triangle.p) vertices.push_back(ToVertex(point, triangle.z, triangle.colour));
    return vertices;
}

// Of the three points from `p` on.
ScreenPoint Centroid(const ScreenPoint* p) {
    return {(p[0].x + p[1].x + p[2].x) / 3.0f, (p[0].y + p[1].y + p[2].y) / 3.0f};
}

std::string Size(long width, long height) { return std::to_string(width) + "x" + std::to_string(height); }

// The triangle's colour in its middle, the clear colour 8 pixels beyond each
// corner (away from the middle).
void ExpectTriangle(const orvhost::Image& image, const SceneTriangle& triangle) {
    const ScreenPoint centre = Centroid(triangle.p);
    const std::string what = "triangle at " + Size(triangle.p[0].x, triangle.p[0].y);
    ExpectColourAt(image, centre, Unpacked(triangle.colour), what);
    for (const ScreenPoint& corner : triangle.p) {
        const float dx = corner.x - centre.x, dy = corner.y - centre.y, length = std::sqrt(dx * dx + dy * dy);
        ExpectColourAt(image, {corner.x + dx / length * 8, corner.y + dy / length * 8}, ClearColourOf(kGeometryClear),
                       what + " beyond a corner");
    }
}

// `inset` pixels inside (outside when negative) the corner of `r`.
ScreenPoint Inside(const RECT& r, bool right, bool bottom, float inset = 4.0f) {
    return {right ? r.right - inset : r.left + inset, bottom ? r.bottom - inset : r.top + inset};
}

// Lighting: the material's emissive and ambient colours, the device's ambient
// and one directional light; the vertices' diffuse colours are the diffuse
// reflectance (the runtime's default material sources).
constexpr Rgba kLitEmissive = {0.1f, 0.05f, 0.0f, 1.0f};
constexpr Rgba kLitAmbient = {0.5f, 0.5f, 0.5f, 1.0f};
constexpr unsigned kDeviceAmbient = 0xFF404040u;
constexpr unsigned kLightDiffuse = 0xFFC8B4A0u;
constexpr float kLightDirection[3] = {0.6f, 0.0f, 0.8f};  // normals face -z

// Fixed-function lighting of a vertex facing the viewer: emissive + material
// ambient × device ambient + vertex diffuse × light diffuse × cosine.
Rgba LitColour(unsigned vertexColour) {
    const Rgba ambient = Unpacked(kDeviceAmbient), light = Unpacked(kLightDiffuse), diffuse = Unpacked(vertexColour);
    const auto lit = [&](float Rgba::*c) {
        return std::min(1.0f,
                        kLitEmissive.*c + kLitAmbient.*c * ambient.*c + diffuse.*c * light.*c * kLightDirection[2]);
    };
    return {lit(&Rgba::r), lit(&Rgba::g), lit(&Rgba::b), diffuse.a};
}

// Opaque, each channel times `factor`, clamped to 1.
Rgba Scaled(unsigned argb, float factor) {
    const Rgba c = Opaque(argb);
    const auto scaled = [&](float Rgba::*channel) { return std::min(1.0f, c.*channel * factor); };
    return {scaled(&Rgba::r), scaled(&Rgba::g), scaled(&Rgba::b), 1.0f};
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
    EXPECT_EQ(Size(window->GetWidth(), window->GetHeight()), Size(kWidth, kHeight));
    ExpectLinesPrinted(Frame("presented", kFrameClear, nullptr, 0));
    EXPECT_TRUE(device->DumpRenderStates() && device->DumpTextureStageStates(0));
    EXPECT_TRUE(device->SaveScreenShot(PathOf("screenshot.bmp").c_str()));

    // Below the text.
    constexpr Rgba kResetClear = {0.6f, 0.2f, 0.1f, 1.0f};
    ASSERT_TRUE(device->ResetDevice());
    ExpectColourAt(Frame("after-reset", kResetClear), {kWidth / 2.0f, kHeight / 2.0f + 40},
                   ClearColourOf(kResetClear), "after the reset");

    // With the display closed, neither a screenshot nor a reset succeeds.
    EXPECT_TRUE(device->CloseDisplay());
    EXPECT_FALSE(device->SaveScreenShot(PathOf("closed.bmp").c_str()));
    EXPECT_FALSE(device->ResetDevice());
    constexpr unsigned kSecondWidth = 800, kSecondHeight = 600;
    constexpr Rgba kSecondModeClear = {0.1f, 0.4f, 0.2f, 1.0f};
    ASSERT_TRUE(device->SetDisplayMode(kSecondWidth, kSecondHeight, 32, 60, 0, true));
    EXPECT_EQ(Size(window->GetWidth(), window->GetHeight()), Size(kSecondWidth, kSecondHeight));
    const orvhost::Image image = Frame("second", kSecondModeClear);
    EXPECT_EQ(Size(image.width, image.height), Size(kSecondWidth, kSecondHeight));
    ExpectColourAt(image, {kSecondWidth - 5.0f, kSecondHeight - 5.0f}, ClearColourOf(kSecondModeClear),
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
    ASSERT_TRUE(OpenWindowed());
    // An opaque quad, a half-transparent one over the clear colour, the opaque
    // one again over part of the half-transparent one.
    constexpr RECT kOpaque = {40, 40, 240, 200}, kHalf = {300, 40, 560, 240}, kOverlap = {400, 160, 600, 300};
    constexpr unsigned kOpaqueColour = 0xFFE03010u, kHalfColour = 0x80F0E020u;
    ScreenQuad* const quads[] = {Quad(kOpaque, kOpaqueColour), Quad(kHalf, kHalfColour), Quad(kOverlap, kOpaqueColour)};
    // Quads count no triangles.
    orvhost::Image image = Frame("quads", kGeometryClear, [&](RenderDevice* d) {
        d->SetMaterial(nullptr);
        d->SetTexture(0, nullptr);  // the debug font leaves its glyphs on stage 0
        return d->RenderScreenQuad(quads[0]) && d->RenderScreenQuad(quads[1]) && d->RenderScreenQuad(quads[2]);
    }, 0);
    const Rgba clear = ClearColourOf(kGeometryClear), opaque = Unpacked(kOpaqueColour);
    for (bool right : {false, true})
        for (bool bottom : {false, true}) {
            ExpectColourAt(image, Inside(kOpaque, right, bottom), opaque, "opaque");
            ExpectColourAt(image, Inside(kOpaque, right, bottom, -4.0f), clear, "outside the opaque quad");
            // The bottom-right corner lies under the overlapping opaque quad.
            ExpectColourAt(image, Inside(kHalf, right, bottom),
                           right && bottom ? opaque : AlphaBlended(Unpacked(kHalfColour), clear), "blended");
        }
    ExpectColourAt(image, Inside(kOverlap, true, true), opaque, "overlap");

    const SceneTriangle lists[] = {Triangle(40, 40, 160, 0xFFD02020u), Triangle(220, 40, 160, 0xFF20D020u)};
    const SceneTriangle dynamic = Triangle(400, 40, 160, 0xFF2020D0u);
    // `array` is drawn from the host's array while the buffer of `bound` is
    // bound; `bound` draws after the array draws and a quad.
    const SceneTriangle array = Triangle(400, 240, 160, 0xFFC020C0u), bound = Triangle(40, 340, 120, 0xFFF08040u);
    constexpr RECT kBetween = {220, 340, 340, 460};
    constexpr unsigned kBetweenColour = 0xFF406080u;
    // A strip over (40, 240)-(200, 320): top-left, top-right, bottom-left,
    // bottom-right; a fan from the host's array over (220, 240)-(380, 320):
    // top-left, top-right, bottom-right, bottom-left.
    const struct Band {
        ScreenPoint p[4];
        unsigned colour;
        const char* name;
    } bands[] = {{{{40, 240}, {200, 240}, {40, 320}, {200, 320}}, 0xFFE0C020u, "strip"},
                 {{{220, 240}, {380, 240}, {380, 320}, {220, 320}}, 0xFF20C0C0u, "fan"}};
    VertexBuffer* const buffers[] = {Buffer(ToVertices({lists[0], lists[1]})), Buffer(ToVertices({dynamic}), true),
                                     Buffer(ToVertices(bands[0].p, 4, bands[0].colour)), Buffer(ToVertices({bound}))};
    ScreenQuad* const between = Quad(kBetween, kBetweenColour);
    ASSERT_TRUE(buffers[0] && buffers[1] && buffers[2] && buffers[3] && between);
    const std::vector<Vertex> fan = ToVertices(bands[1].p, 4, bands[1].colour), fromArray = ToVertices({array});
    // Lists and strips count, the fan does not, the array's list does. The
    // second and fourth arguments of RenderVertexBufferEx mean nothing to the
    // driver.
    image = Frame("ortho", kGeometryClear, [&](RenderDevice* d) {
        d->SetMaterial(nullptr);
        d->SetTexture(0, nullptr);
        SetOrthographic(d);
        return d->SetVertexBuffer(buffers[0]) && d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 2) &&
               d->SetVertexBuffer(buffers[1]) && d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1) &&
               d->SetVertexBuffer(buffers[2]) && d->RenderVertexBufferEx(PRIMITIVE_TRIANGLESTRIP, 7, 2, 9) &&
               d->SetVertexBuffer(buffers[3]) && d->RenderVertices(PRIMITIVE_TRIANGLEFAN, 2, fan.data()) &&
               d->RenderVertices(PRIMITIVE_TRIANGLELIST, 1, fromArray.data()) && d->RenderScreenQuad(between) &&
               d->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 1);
    }, 2 + 1 + 2 + 1 + 1);
    for (const SceneTriangle& triangle : {lists[0], lists[1], dynamic, array, bound}) ExpectTriangle(image, triangle);
    for (const Band& band : bands)
        for (int first : {0, 1}) ExpectColourAt(image, Centroid(band.p + first), Unpacked(band.colour), band.name);
    ExpectColourAt(image, Inside(kBetween, false, false), Unpacked(kBetweenColour), "quad between");
}

TEST_F(WineMaterials, LightingCullingBlendDepthPassesAndTheNeutralState) {
    RenderDevice* device = Device();
    ASSERT_TRUE(OpenWindowed());
    // As kPlain unless the name says otherwise: culling on, frame blend off,
    // depth written and tested less-or-equal.
    enum { kPlain, kUnculled, kFrameBlend, kAlways, kUnwritten, kTenLayers, kSplitByLighting, kMaterials };
    Material* m[kMaterials];
    for (int i = 0; i < kMaterials; ++i) {
        m[i] = Held(device->CreateMaterial());
        ASSERT_TRUE(m[i]);
        m[i]->SetEmissive(kLitEmissive.r, kLitEmissive.g, kLitEmissive.b);
        m[i]->SetAmbient(kLitAmbient.r, kLitAmbient.g, kLitAmbient.b);
        m[i]->SetCulling(i != kUnculled);
        m[i]->SetFrameBlend(i == kFrameBlend);
        m[i]->SetZWrite(i != kUnwritten);
        m[i]->SetZFunc(i == kAlways ? COMPARE_ALWAYS : COMPARE_LESSEQUAL);
    }
    // One layer as the material starts it (texture times diffuse); ten layers
    // (two passes of eight stages, the second added); lighting off, on, off
    // (three passes, the later two added).
    for (int i = kPlain; i <= kUnwritten; ++i) ASSERT_TRUE(m[i]->AddLayer());
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(AddPassThroughLayer(m[kTenLayers], i == 9 ? BLEND_ONE : BLEND_ZERO));
    for (int i = 0; i < 3; ++i) {
        MaterialLayer* layer = AddPassThroughLayer(m[kSplitByLighting], i == 0 ? BLEND_ZERO : BLEND_ONE);
        ASSERT_TRUE(layer);
        layer->SetLighting(i == 1);
    }

    // A back face culled by kPlain and one drawn by kUnculled; the neutral
    // state of no material: unlit, opaque, back faces culled.
    constexpr unsigned kLitColour = 0xFF996633u, kTranslucentColour = 0x80FF4000u, kNeutralColour = 0x8020A0E0u;
    constexpr unsigned kTenLayerColour = 0xFF4D3319u, kSplitColour = 0xFF331A4Du;
    std::vector<SceneTriangle> scene = {
        Triangle(40, 40, 160, kLitColour),       BackTriangle(240, 40, 160, kLitColour),
        BackTriangle(440, 40, 160, kLitColour),  Triangle(40, 240, 160, kTranslucentColour),
        Triangle(40, 240, 160, kTenLayerColour), Triangle(240, 240, 160, kSplitColour),
        Triangle(40, 240, 160, kNeutralColour),  BackTriangle(240, 240, 160, kNeutralColour)};
    enum { kLitFace, kCulledBack, kDrawnBack, kBlendedFace, kTenLayerFace, kSplitFace, kNeutralFace, kNeutralBack,
           kFirstDepth };
    // Depth: a near triangle, then a far one over it, 40 pixels right and
    // down: less-or-equal with depth writes; always; less-or-equal after a
    // near triangle that did not write depth.
    constexpr float kFar = 60.0f, kPairSize = 160.0f, kPairShift = 40.0f;
    constexpr unsigned kNearColour = 0xFFE02020u, kFarColour = 0xFF20E020u;
    const struct DepthPair {
        float x, y;
        Material* first;
        Material* second;
        bool farWins;  // the overlap shows the far triangle
    } pairs[] = {{10, 20, m[kPlain], m[kPlain], false},
                 {215, 20, m[kAlways], m[kAlways], true},
                 {420, 20, m[kUnwritten], m[kPlain], true}};
    for (const DepthPair& pair : pairs) {
        scene.push_back(Triangle(pair.x, pair.y, kPairSize, kNearColour));
        scene.push_back(Triangle(pair.x + kPairShift, pair.y + kPairShift, kPairSize, kFarColour, kFar));
    }
    std::vector<VertexBuffer*> buffers;
    for (const SceneTriangle& triangle : scene) {
        buffers.push_back(Buffer(ToVertices({triangle})));
        ASSERT_TRUE(buffers.back());
    }
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
    const Rgba clear = ClearColourOf(kGeometryClear);
    const auto expect = [&](const orvhost::Image& image, size_t index, const Rgba& colour, const char* what) {
        ExpectColourAt(image, Centroid(scene[index].p), colour, what);
    };
    // The culled triangle still counts: the driver counts what it asked for.
    orvhost::Image image = frame("lit", 5, [&] {
        device->SetMaterial(m[kPlain]);
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
        // No material after a lit one: unlit, opaque, back faces culled.
        return draw(m[kPlain], kLitFace) && draw(m[kPlain], kCulledBack) && draw(m[kUnculled], kDrawnBack) &&
               draw(nullptr, kNeutralFace) && draw(nullptr, kNeutralBack);
    });
    expect(image, kLitFace, LitColour(kLitColour), "lit");
    expect(image, kCulledBack, clear, "back face, culling on");
    expect(image, kDrawnBack, LitColour(kLitColour), "back face, culling off");
    expect(image, kNeutralFace, Opaque(kNeutralColour), "no material: unlit and opaque");
    expect(image, kNeutralBack, clear, "no material: back face culled");

    image = frame("blend_depth", 7, [&] {
        bool drawn = true;
        size_t index = kFirstDepth;
        for (const DepthPair& pair : pairs) drawn = drawn && draw(pair.first, index++) && draw(pair.second, index++);
        return drawn && draw(m[kFrameBlend], kBlendedFace);
    });
    expect(image, kBlendedFace, AlphaBlended(Unpacked(kTranslucentColour), clear), "frame blend on");
    for (const DepthPair& pair : pairs) {
        // Near only, the overlap, far only: at least 14 pixels from every edge.
        const float farX = pair.x + kPairShift, farY = pair.y + kPairShift;
        ExpectColourAt(image, {pair.x + 15, pair.y + 15}, Unpacked(kNearColour), "near only");
        ExpectColourAt(image, {farX + 20, farY + 20}, Unpacked(pair.farWins ? kFarColour : kNearColour),
                       "overlap of the pair at x " + std::to_string(pair.x));
        ExpectColourAt(image, {farX + 90, farY + 50}, Unpacked(kFarColour), "far only");
    }

    // Each pass counts; each after the first adds the vertex colour again.
    image = frame("passes", 2 + 3, [&] {
        return draw(m[kTenLayers], kTenLayerFace) && draw(m[kSplitByLighting], kSplitFace);
    });
    expect(image, kTenLayerFace, Scaled(kTenLayerColour, 2.0f), "ten layers");
    expect(image, kSplitFace, Scaled(kSplitColour, 3.0f), "lighting flags split");

    // SetMaterial(m), SetMaterial(null) leaves the host's own reference.
    device->SetMaterial(m[kPlain]);
    device->SetMaterial(nullptr);
    EXPECT_EQ(m[kPlain]->GetRefCount(), 1);
}

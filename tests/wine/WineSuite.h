// The numbers the scenarios (Windows) and the checks (Linux) share.
#pragma once

namespace winesuite {

struct Rgb {
    float r, g, b;
};

constexpr unsigned kWidth = 640;
constexpr unsigned kHeight = 480;
constexpr unsigned kSecondWidth = 800;
constexpr unsigned kSecondHeight = 600;

constexpr Rgb kFrameClear = {0.25f, 0.5f, 0.75f};
constexpr Rgb kResetClear = {0.6f, 0.2f, 0.1f};
constexpr Rgb kSecondModeClear = {0.1f, 0.4f, 0.2f};

struct PrintedLine {
    int x, y;
    const char* text;
};
constexpr PrintedLine kLines[] = {
    {10, 10, "Wine suite: first line"},
    {40, 200, "MMMMMMMMMM"},
    {300, 400, "per cent 100% drawn"},
};
constexpr int kLineCount = sizeof kLines / sizeof kLines[0];

// Scenes through an orthographic projection of the client area (origin in
// the middle, y up); triangles clockwise on the screen unless named "Back".

struct SceneVertex {
    float x, y, z;
    unsigned colour;
};
struct SceneTriangle {
    SceneVertex v[3];
};

constexpr SceneVertex OrthoVertex(float screenX, float screenY, float z, unsigned colour) {
    return {screenX - kWidth / 2.0f, kHeight / 2.0f - screenY, z, colour};
}
// A right triangle at the screen's (x, y), legs going right and down.
constexpr SceneTriangle OrthoTriangle(float x, float y, float size, float z, unsigned colour) {
    return {{OrthoVertex(x, y, z, colour), OrthoVertex(x + size, y, z, colour),
             OrthoVertex(x, y + size, z, colour)}};
}
constexpr SceneTriangle OrthoBackTriangle(float x, float y, float size, float z, unsigned colour) {
    return {{OrthoVertex(x, y, z, colour), OrthoVertex(x, y + size, z, colour),
             OrthoVertex(x + size, y, z, colour)}};
}

constexpr Rgb kGeometryClear = {0.2f, 0.3f, 0.4f};

// Screen quads: an opaque one, a half-transparent one over the clear colour.
struct QuadRect {
    int left, top, right, bottom;
};
constexpr QuadRect kOpaqueQuad = {40, 40, 240, 200};
constexpr unsigned kOpaqueQuadColour = 0xFFE03010u;
constexpr QuadRect kHalfQuad = {300, 40, 560, 240};
constexpr unsigned kHalfQuadColour = 0x80F0E020u;
// The opaque quad drawn again over part of the half-transparent one.
constexpr QuadRect kOverlapQuad = {400, 160, 600, 300};

// Vertex buffers through the orthographic projection.
constexpr float kNear = 10.0f;
constexpr SceneTriangle kStaticTriangles[] = {
    OrthoTriangle(40, 40, 160, kNear, 0xFFD02020u),
    OrthoTriangle(220, 40, 160, kNear, 0xFF20D020u),
};
constexpr SceneTriangle kDynamicTriangle = OrthoTriangle(400, 40, 160, kNear, 0xFF2020D0u);
// A strip of two triangles over the rectangle (40, 240)-(200, 320):
// top-left, top-right, bottom-left, bottom-right.
constexpr unsigned kStripColour = 0xFFE0C020u;
constexpr SceneVertex kStrip[] = {
    OrthoVertex(40, 240, kNear, kStripColour), OrthoVertex(200, 240, kNear, kStripColour),
    OrthoVertex(40, 320, kNear, kStripColour), OrthoVertex(200, 320, kNear, kStripColour)};
// A fan of two triangles over (220, 240)-(380, 320), drawn from the host's
// array: top-left, top-right, bottom-right, bottom-left.
constexpr unsigned kFanColour = 0xFF20C0C0u;
constexpr SceneVertex kFan[] = {
    OrthoVertex(220, 240, kNear, kFanColour), OrthoVertex(380, 240, kNear, kFanColour),
    OrthoVertex(380, 320, kNear, kFanColour), OrthoVertex(220, 320, kNear, kFanColour)};
// Drawn from the host's array while kBoundTriangle's buffer is bound.
constexpr SceneTriangle kArrayTriangle = OrthoTriangle(400, 240, 160, kNear, 0xFFC020C0u);
// Drawn from the bound buffer after the array draws and a screen quad.
constexpr SceneTriangle kBoundTriangle = OrthoTriangle(40, 340, 120, kNear, 0xFFF08040u);
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
constexpr SceneTriangle kLitTriangle = OrthoTriangle(40, 40, 160, kNear, kLitColour);
// Culled by the first material, drawn by the second (culling off).
constexpr SceneTriangle kCulledBackTriangle = OrthoBackTriangle(240, 40, 160, kNear, kLitColour);
constexpr SceneTriangle kDrawnBackTriangle = OrthoBackTriangle(440, 40, 160, kNear, kLitColour);

// Frame blend on.
constexpr unsigned kTranslucentColour = 0x80FF4000u;
constexpr SceneTriangle kBlendedTriangle = OrthoTriangle(40, 240, 160, kNear, kTranslucentColour);

// Depth: pairs of a near triangle drawn first and a far one over it.
constexpr float kFar = 60.0f;
constexpr unsigned kNearColour = 0xFFE02020u;
constexpr unsigned kFarColour = 0xFF20E020u;
constexpr float kDepthPairSize = 160.0f;
constexpr float kDepthPairShift = 40.0f;  // the far triangle's offset right and down
struct DepthPair {
    float x, y;
    bool farWins;  // the overlap shows the far triangle
};
// Less-or-equal with depth writes; always; less-or-equal after a near
// triangle that did not write depth.
constexpr DepthPair kDepthPairs[] = {{10, 20, false}, {215, 20, true}, {420, 20, true}};

// Passes: ten layers on a device with eight stages (two passes), and three
// layers whose lighting flags alternate (three passes); every pass after the
// first adds the vertex colour once more.
constexpr unsigned kTenLayerColour = 0xFF4D3319u;
constexpr SceneTriangle kTenLayerTriangle = OrthoTriangle(40, 240, 160, kNear, kTenLayerColour);
constexpr unsigned kSplitColour = 0xFF331A4Du;
constexpr SceneTriangle kSplitTriangle = OrthoTriangle(240, 240, 160, kNear, kSplitColour);
constexpr unsigned kPassTriangles = 2 + 3;

// The neutral state of no material: unlit, opaque, back faces culled.
constexpr unsigned kNeutralColour = 0x8020A0E0u;
constexpr SceneTriangle kNeutralTriangle = OrthoTriangle(40, 240, 160, kNear, kNeutralColour);
constexpr SceneTriangle kNeutralBackTriangle =
    OrthoBackTriangle(240, 240, 160, kNear, kNeutralColour);

}  // namespace winesuite

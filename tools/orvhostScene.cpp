#include "orvhostScene.h"

#include <cmath>
#include <cstdio>

#include "host/Material.h"
#include "host/ScreenQuad.h"
#include "host/Texture.h"
#include "host/VertexBuffer.h"

namespace orvhost {

namespace {

constexpr float kPi = 3.14159265358979f;

// The torus: a tube of radius kTube around a ring of radius kRing in the
// x-y plane, kRingSteps by kTubeSteps quads of two triangles each.
constexpr float kRing = 1.0f;
constexpr float kTube = 0.42f;
constexpr unsigned kRingSteps = 48;
constexpr unsigned kTubeSteps = 24;
// How often the textures repeat around the ring and around the tube (whole
// numbers, so that no seam shows): the stone layer's coordinates (set 0) and
// the moss layer's (set 1).
constexpr float kStoneRepeatU = 8.0f, kStoneRepeatV = 2.0f;
constexpr float kMossRepeatU = 5.0f, kMossRepeatV = 2.0f;

// Screen rectangles of the overlay, in the 640 x 480 window.
constexpr RECT kPanelRect = {6, 6, 352, 112};
constexpr RECT kPaneRect = {400, 96, 600, 276};
constexpr RECT kBadgeRect = {24, 360, 120, 456};
constexpr RECT kSpinnerRect = {520, 360, 616, 456};

constexpr unsigned long kWhite = 0xFFFFFFFF;
constexpr unsigned long kPanelColour = 0xA0000000;  // black, 63 % opaque
constexpr unsigned long kPaneColour = 0xFFA8D8FF;   // a blue tint over the glass's own alpha

// Row-vector transforms, as the device takes them.
Matrix3D RotationX(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return Matrix3D(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
}

Matrix3D RotationY(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return Matrix3D(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
}

Matrix3D RotationZ(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return Matrix3D(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
}

Matrix3D Translation(float x, float y, float z) {
    return Matrix3D(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
}

Vertex TorusVertex(unsigned ringStep, unsigned tubeStep) {
    const float s = static_cast<float>(ringStep) / kRingSteps;
    const float t = static_cast<float>(tubeStep) / kTubeSteps;
    const float ring = 2 * kPi * s, tube = 2 * kPi * t;
    const Vector3D normal(std::cos(tube) * std::cos(ring), std::cos(tube) * std::sin(ring),
                          std::sin(tube));
    Vertex vertex;
    vertex.position = Vector3D(kRing * std::cos(ring) + kTube * normal.x,
                               kRing * std::sin(ring) + kTube * normal.y, kTube * normal.z);
    vertex.normal = normal;
    vertex.diffuse = kWhite;  // the lit colour then comes from the lights alone
    vertex.u0 = kStoneRepeatU * s;
    vertex.v0 = kStoneRepeatV * t;
    vertex.u1 = kMossRepeatU * s;
    vertex.v1 = kMossRepeatV * t;
    return vertex;
}

// True when the triangle a, b, c turns clockwise seen from outside the
// surface, the side the device draws with counter-clockwise culling.
bool FacesOutward(const Vertex& a, const Vertex& b, const Vertex& c) {
    const float ux = b.position.x - a.position.x, uy = b.position.y - a.position.y,
                uz = b.position.z - a.position.z;
    const float vx = c.position.x - a.position.x, vy = c.position.y - a.position.y,
                vz = c.position.z - a.position.z;
    const float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    return nx * a.normal.x + ny * a.normal.y + nz * a.normal.z > 0;
}

}  // namespace

bool Scene::Load() {
    m_pMaterial = m_pDevice->LoadMaterial(MaterialFile());
    m_pBadge = m_pDevice->CreateTextureFromFile("textures/badge.tga", true, false);
    m_pSpinner = m_pDevice->CreateTextureFromFile("textures/spinner.zar", false, false);
    m_pGlass = m_pDevice->CreateTextureFromFile("textures/glass.zar", false, false);
    const char* missing = !m_pMaterial ? MaterialFile()
                          : !m_pBadge  ? "textures/badge.tga"
                          : !m_pSpinner ? "textures/spinner.zar"
                          : !m_pGlass  ? "textures/glass.zar"
                                       : nullptr;
    if (missing) {
        std::fprintf(stderr, "orvhost: %s could not be loaded (see the log)\n", missing);
    } else if (!BuildTorus()) {
        std::fprintf(stderr, "orvhost: the torus's vertex buffer could not be made\n");
    } else if (!MakeQuads()) {
        std::fprintf(stderr, "orvhost: the screen quads could not be made\n");
    } else {
        return true;
    }
    Release();
    return false;
}

bool Scene::BuildTorus() {
    m_TorusTriangles = kRingSteps * kTubeSteps * 2;
    m_pTorus = m_pDevice->CreateVertexBuffer(m_TorusTriangles * 3, false, false);
    if (!m_pTorus) return false;
    Vertex* out = m_pTorus->GetVertices();
    for (unsigned i = 0; i < kRingSteps; ++i)
        for (unsigned j = 0; j < kTubeSteps; ++j) {
            const Vertex corner[4] = {TorusVertex(i, j), TorusVertex(i + 1, j),
                                      TorusVertex(i + 1, j + 1), TorusVertex(i, j + 1)};
            const bool outward = FacesOutward(corner[0], corner[1], corner[2]);
            // Two triangles of the quad, both wound the same way.
            const int order[2][3] = {{0, 1, 2}, {0, 2, 3}};
            for (const auto& triangle : order) {
                *out++ = corner[triangle[0]];
                *out++ = corner[outward ? triangle[1] : triangle[2]];
                *out++ = corner[outward ? triangle[2] : triangle[1]];
            }
        }
    return m_pTorus->Upload();
}

bool Scene::MakeQuads() {
    m_pPanel = m_pDevice->CreateScreenQuad(kPanelRect, kPanelColour);
    m_pPane = m_pDevice->CreateScreenQuad(kPaneRect, kPaneColour);
    m_pBadgeQuad = m_pDevice->CreateScreenQuad(kBadgeRect, kWhite);
    m_pSpinnerQuad = m_pDevice->CreateScreenQuad(kSpinnerRect, kWhite);
    return m_pPanel && m_pPane && m_pBadgeQuad && m_pSpinnerQuad;
}

// One white directional light from the upper left, in front of the torus,
// and a dim blue-grey ambient. Lights live in the device, so they are set
// again for every new device; the demo sets them every frame.
void Scene::SetLights() {
    LightDesc light = {};
    light.type = LIGHT_DIRECTIONAL;
    light.diffuse = kWhite;
    light.specular = kWhite;
    light.ambient = 0xFF000000;
    const float x = 0.45f, y = -0.55f, z = 0.7f;
    const float length = std::sqrt(x * x + y * y + z * z);
    light.direction = Vector3D(x / length, y / length, z / length);
    light.range = 1000.0f;
    m_pDevice->SetLight(0, &light);
    m_pDevice->EnableLight(0, true);
    m_pDevice->SetAmbient(0xFF8088A0);
    m_pDevice->SetLighting(true);
}

bool Scene::DrawTorus(int frame) {
    // Turning about its own axis and about the vertical, tilted towards the viewer.
    const float turn = static_cast<float>(frame);
    const Matrix3D world = RotationZ(0.9f + 0.021f * turn) * RotationX(-1.0f + 0.004f * turn) *
                           RotationY(0.35f + 0.008f * turn) * Translation(0.0f, -0.25f, 7.0f);
    const Matrix3D identity;
    m_pDevice->SetWorldMatrix(&world);
    m_pDevice->SetViewMatrix(&identity);
    // The material sets culling, blending and depth now, and its layers'
    // texture stages at every pass of every draw.
    m_pDevice->SetMaterial(m_pMaterial);
    SetLights();
    // The draw reads the vertex buffer bound last.
    m_pDevice->SetVertexBuffer(m_pTorus);
    return m_pDevice->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, m_TorusTriangles);
}

// Screen quads without a material: each quad's colour times the texture on
// stage 0, blended by alpha over the frame, without depth test.
bool Scene::DrawOverlay() {
    // No material: the renderer's neutral state, which the quads draw with.
    m_pDevice->SetMaterial(nullptr);
    // The material's second layer left stage 1 on; the quads use stage 0 alone.
    m_pDevice->SetTextureStageState(1, TEXTURESTATE_COLOROP, TEXTUREOP_DISABLE);
    m_pDevice->SetZEnable(false);
    const struct {
        ScreenQuad* quad;
        Texture* texture;
    } draws[] = {{m_pPane, m_pGlass},
                 {m_pPanel, nullptr},
                 {m_pBadgeQuad, m_pBadge},
                 {m_pSpinnerQuad, m_pSpinner}};
    for (const auto& draw : draws) {
        m_pDevice->SetTexture(0, draw.texture);
        // The frame the spinner shows was chosen by the clock just now.
        if (draw.texture == m_pSpinner) m_SpinnerFrame = m_pSpinner->GetCurrentFrame();
        if (!m_pDevice->RenderScreenQuad(draw.quad)) return false;
    }
    m_pDevice->SetTexture(0, nullptr);
    return true;
}

// A frame in the order the renderer takes it: begin the scene (which zeroes
// the triangle count) and clear; the geometry with its transforms, material
// and lights; the screen quads over it; text, queued by PrintText and drawn
// by EndScene, which also presents the frame.
bool Scene::DrawFrame(int frame, int frames) {
    m_pDevice->SetClearColor(m_pDevice->ToD3DColor(Color(0.12f, 0.16f, 0.24f, 1.0f)));
    if (!m_pDevice->BeginScene()) return false;
    m_pDevice->Clear(true, true, false);
    const bool drawn = DrawTorus(frame) && DrawOverlay();
    const unsigned triangles = m_pDevice->GetTriangleCount();
    m_pDevice->PrintText(14, 12, "ORVD3D renderer %lu, frame %d of %d", m_Version, frame + 1,
                         frames);
    m_pDevice->PrintText(14, 32, "Triangles: %u (torus of %u, %d layers)", triangles,
                         m_TorusTriangles, m_pMaterial->GetLayerCount());
    m_pDevice->PrintText(14, 52, "Material %s, directional light", MaterialFile());
    m_pDevice->PrintText(14, 72, "Spinner frame %u of %u (ZAR)", m_SpinnerFrame + 1,
                         m_pSpinner->GetFrameCount());
    m_pDevice->PrintText(kBadgeRect.left - 6, kBadgeRect.top - 22, "Image file");
    m_pDevice->PrintText(kSpinnerRect.left - 30, kSpinnerRect.top - 22, "ZAR animation");
    m_pDevice->PrintText(kPaneRect.left + 8, kPaneRect.bottom + 4, "Translucent quad");
    const bool ended = m_pDevice->EndScene();
    return drawn && ended;
}

void Scene::Release() {
    // Releasing the current material also makes none current.
    if (m_pMaterial) m_pDevice->ReleaseMaterial(m_pMaterial);
    m_pMaterial = nullptr;
    for (Texture** texture : {&m_pBadge, &m_pSpinner, &m_pGlass}) {
        if (*texture) m_pDevice->ReleaseTexture(*texture);
        *texture = nullptr;
    }
    if (m_pTorus) {
        // Unbound first: the device must not draw from a destroyed buffer.
        m_pDevice->SetVertexBuffer(nullptr);
        m_pDevice->DestroyVertexBuffer(m_pTorus);
    }
    m_pTorus = nullptr;
    for (ScreenQuad** quad : {&m_pPanel, &m_pPane, &m_pBadgeQuad, &m_pSpinnerQuad}) {
        if (*quad) m_pDevice->DestroyScreenQuad(*quad);
        *quad = nullptr;
    }
}

}  // namespace orvhost

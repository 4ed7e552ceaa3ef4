#include "geometry/D3DScreenQuad.h"

#include <cmath>
#include <cstdint>
#include <new>

namespace {

constexpr float kQuadDepth = 0.5f;
constexpr float kQuadRhw = 1.0f;

// A screen coordinate as a rectangle edge: truncated towards zero, held to
// the range of LONG (a host may write any float into the vertices).
LONG ToEdge(float coordinate) {
    if (std::isnan(coordinate)) return 0;
    if (coordinate <= static_cast<float>(INT32_MIN)) return INT32_MIN;
    if (coordinate >= static_cast<float>(INT32_MAX)) return INT32_MAX;
    return static_cast<LONG>(coordinate);
}

}  // namespace

D3DScreenQuad::D3DScreenQuad(DriverServices*) : m_pVertices(nullptr) {}

D3DScreenQuad::~D3DScreenQuad() { ReleaseResources(); }

bool D3DScreenQuad::Create(RECT rect, uint32_t colour) {
    ReleaseResources();
    m_pVertices = new (std::nothrow) ScreenVertex[kVertexCount];
    if (!m_pVertices) return false;
    SetRect(rect);
    SetColor(colour);
    SetTexCoords(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f);
    for (int i = 0; i < kVertexCount; ++i) {
        m_pVertices[i].z = kQuadDepth;
        m_pVertices[i].rhw = kQuadRhw;
    }
    return true;
}

bool D3DScreenQuad::ReleaseResources() {
    delete[] m_pVertices;
    m_pVertices = nullptr;
    return true;
}

void D3DScreenQuad::SetRect(RECT rect) {
    if (!m_pVertices) return;
    // Not normalised and without a half-pixel offset: the corners are the
    // host's numbers.
    const float left = static_cast<float>(rect.left), top = static_cast<float>(rect.top);
    const float right = static_cast<float>(rect.right), bottom = static_cast<float>(rect.bottom);
    m_pVertices[0].x = left;
    m_pVertices[0].y = top;
    m_pVertices[1].x = right;
    m_pVertices[1].y = top;
    m_pVertices[2].x = right;
    m_pVertices[2].y = bottom;
    m_pVertices[3].x = left;
    m_pVertices[3].y = bottom;
}

RECT D3DScreenQuad::GetRect() {
    RECT rect = {0, 0, 0, 0};
    if (!m_pVertices) return rect;
    rect.left = ToEdge(m_pVertices[0].x);
    rect.top = ToEdge(m_pVertices[0].y);
    rect.right = ToEdge(m_pVertices[1].x);
    rect.bottom = ToEdge(m_pVertices[2].y);
    return rect;
}

void D3DScreenQuad::SetColor(uint32_t colour) {
    if (!m_pVertices) return;
    for (int i = 0; i < kVertexCount; ++i) m_pVertices[i].color = colour;
}

uint32_t D3DScreenQuad::GetColor() { return m_pVertices ? m_pVertices[0].color : 0; }

void D3DScreenQuad::SetTexCoords(float u0, float v0, float u1, float v1, float u2, float v2,
                                 float u3, float v3) {
    if (!m_pVertices) return;
    const float coordinates[kVertexCount][2] = {{u0, v0}, {u1, v1}, {u2, v2}, {u3, v3}};
    for (int i = 0; i < kVertexCount; ++i) {
        m_pVertices[i].u = coordinates[i][0];
        m_pVertices[i].v = coordinates[i][1];
    }
}

void D3DScreenQuad::GetTexCoords(float* u0, float* v0, float* u1, float* v1, float* u2, float* v2,
                                 float* u3, float* v3) {
    if (!m_pVertices) return;
    float* const coordinates[kVertexCount][2] = {{u0, v0}, {u1, v1}, {u2, v2}, {u3, v3}};
    for (int i = 0; i < kVertexCount; ++i) {
        if (coordinates[i][0]) *coordinates[i][0] = m_pVertices[i].u;
        if (coordinates[i][1]) *coordinates[i][1] = m_pVertices[i].v;
    }
}

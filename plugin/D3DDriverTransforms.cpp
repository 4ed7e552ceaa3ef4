// Colours, transforms, projection matrices, the viewport and lights.
#include <cmath>
#include <cstdint>
#include <cstring>

#include <d3dx8.h>

#include "plugin/D3DDriver.h"
#include "state/ValueTables.h"

namespace {

// One colour component to 8 bits: times 255, truncated toward zero, low 8
// bits kept (components are not clamped). Values too large for an integer
// have no low bits to keep and give 0.
uint32_t ComponentByte(float component) {
    const float scaled = component * 255.0f;
    if (!(std::fabs(scaled) < 9.0e18f)) return 0;
    return static_cast<uint32_t>(static_cast<int64_t>(scaled)) & 0xFFu;
}

D3DCOLORVALUE ColorValue(uint32_t argb) {
    D3DCOLORVALUE value;
    value.r = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
    value.g = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
    value.b = static_cast<float>(argb & 0xFF) / 255.0f;
    value.a = static_cast<float>(argb >> 24) / 255.0f;
    return value;
}

Matrix3D ToMatrix3D(const D3DXMATRIX& matrix) {
    Matrix3D result;
    std::memcpy(result.m, &matrix, sizeof result.m);
    return result;
}

const D3DMATRIX* AsD3DMatrix(const Matrix3D* m) { return reinterpret_cast<const D3DMATRIX*>(m->m); }

constexpr float kNearPlane = 1.0f;
constexpr float kPerspectiveFarPlane = 500.0f;
constexpr float kOrthoFarPlane = 100.0f;

}  // namespace

static_assert(sizeof(Matrix3D) == sizeof(D3DMATRIX), "a host matrix is a Direct3D matrix");

unsigned long D3DDriver::ToD3DColor(const Color& colour) {
    return ComponentByte(colour.a) << 24 | ComponentByte(colour.r) << 16 |
           ComponentByte(colour.g) << 8 | ComponentByte(colour.b);
}

Color D3DDriver::FromD3DColor(unsigned long argb) {
    const D3DCOLORVALUE value = ColorValue(static_cast<uint32_t>(argb));
    return Color(value.r, value.g, value.b, value.a);
}

// Without a display the transforms are only remembered, and viewport and
// lights have nowhere to go.

void D3DDriver::SetWorldMatrix(const Matrix3D* m) {
    if (RefusesNull(m, "SetWorldMatrix", "matrix")) return;
    if (m_pDevice) m_pDevice->SetTransform(D3DTS_WORLD, AsD3DMatrix(m));
    m_WorldMatrix = *m;
}

Matrix3D D3DDriver::GetWorldMatrix() { return m_WorldMatrix; }

void D3DDriver::SetViewMatrix(const Matrix3D* m) {
    if (RefusesNull(m, "SetViewMatrix", "matrix")) return;
    m_ViewMatrix = *m;
    if (m_pDevice) m_pDevice->SetTransform(D3DTS_VIEW, AsD3DMatrix(m));
}

Matrix3D D3DDriver::GetViewMatrix() { return m_ViewMatrix; }

void D3DDriver::SetProjectionMatrix(const Matrix3D* m) {
    if (RefusesNull(m, "SetProjectionMatrix", "matrix")) return;
    if (!m_pDevice) return;
    m_pDevice->SetTransform(D3DTS_PROJECTION, AsD3DMatrix(m));
    m_ProjectionMatrix = *m;
}

Matrix3D D3DDriver::GetProjectionMatrix() { return m_ProjectionMatrix; }

Matrix3D D3DDriver::BuildPerspectiveMatrix(float fovY, float aspect) {
    D3DXMATRIX matrix;
    D3DXMatrixPerspectiveFovLH(&matrix, fovY, aspect, kNearPlane, kPerspectiveFarPlane);
    return ToMatrix3D(matrix);
}

Matrix3D D3DDriver::BuildOrthoMatrix(float width, float height) {
    D3DXMATRIX matrix;
    D3DXMatrixOrthoLH(&matrix, width, height, kNearPlane, kOrthoFarPlane);
    return ToMatrix3D(matrix);
}

void D3DDriver::SetViewport(int left, int right, int top, int bottom) {
    if (!m_pDevice) return;
    D3DVIEWPORT8 viewport;
    viewport.X = static_cast<DWORD>(left);
    viewport.Y = static_cast<DWORD>(top);
    viewport.Width = static_cast<DWORD>(right - left);
    viewport.Height = static_cast<DWORD>(bottom - top);
    viewport.MinZ = 0.0f;
    viewport.MaxZ = 1.0f;
    m_pDevice->SetViewport(&viewport);
}

void D3DDriver::SetLight(unsigned index, const LightDesc* light) {
    if (!m_pDevice) return;
    if (!light) {
        m_pDevice->SetLight(index, nullptr);
        return;
    }
    D3DLIGHT8 d3dLight;
    // An unknown light type is a point light, the table's fallback.
    d3dLight.Type = static_cast<D3DLIGHTTYPE>(state::kLightTypes.Row(light->type).d3d);
    d3dLight.Diffuse = ColorValue(light->diffuse);
    d3dLight.Specular = ColorValue(light->specular);
    d3dLight.Ambient = ColorValue(light->ambient);
    d3dLight.Position = {light->position.x, light->position.y, light->position.z};
    d3dLight.Direction = {light->direction.x, light->direction.y, light->direction.z};
    d3dLight.Range = light->range;
    d3dLight.Falloff = light->falloff;
    d3dLight.Attenuation0 = light->attenuation0;
    d3dLight.Attenuation1 = light->attenuation1;
    d3dLight.Attenuation2 = light->attenuation2;
    d3dLight.Theta = light->theta;
    d3dLight.Phi = light->phi;
    m_pDevice->SetLight(index, &d3dLight);
}

void D3DDriver::EnableLight(unsigned index, bool enable) {
    if (!m_pDevice) return;
    m_pDevice->LightEnable(index, enable ? TRUE : FALSE);
}

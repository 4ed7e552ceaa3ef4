// Colours, transforms, projection matrices, the viewport and lights.
#include <cmath>
#include <cstring>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "support/PluginHarness.h"

namespace {

using orvtest::PluginTest;

class Transforms : public PluginTest {};

Matrix3D Translation(float x, float y, float z) {
    Matrix3D m;
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

bool SameAsDevice(IDirect3DDevice8* d3d, D3DTRANSFORMSTATETYPE type, const Matrix3D& m) {
    D3DMATRIX held;
    d3d->GetTransform(type, &held);
    return std::memcmp(&held, m.m, sizeof held) == 0;
}

TEST_F(Transforms, ColourConversionTruncatesAndKeepsTheLowBits) {
    RenderDevice* device = Create();
    struct Case {
        Color colour;
        unsigned long argb;
    };
    const Case cases[] = {
        {Color(1, 1, 1, 1), 0xFFFFFFFFul},
        {Color(0, 0, 0, 1), 0xFF000000ul},
        {Color(0.999f, 0, 0, 0), 0x00FE0000ul},  // 254.7 truncates to 254
        {Color(0, 2.0f, 0, 0), 0x0000FE00ul},    // 510: only the low 8 bits survive
        {Color(0, 0, -1.0f / 255.0f, 0), 0x000000FFul},
    };
    for (const Case& c : cases)
        EXPECT_EQ(device->ToD3DColor(c.colour), c.argb) << std::hex << c.argb;

    const Color half = device->FromD3DColor(0x80FF0000ul);
    EXPECT_FLOAT_EQ(half.r, 1.0f);
    EXPECT_FLOAT_EQ(half.g, 0.0f);
    EXPECT_FLOAT_EQ(half.b, 0.0f);
    EXPECT_FLOAT_EQ(half.a, 128.0f / 255.0f);
}

TEST_F(Transforms, MatricesReachTheDeviceAndReadBackFromTheDriver) {
    RenderDevice* device = CreateWindowed();
    IDirect3DDevice8* d3d = orvd3d8::LastDevice();
    const Matrix3D world = Translation(1, 2, 3);
    const Matrix3D view = Translation(-4, 5, -6);
    const Matrix3D projection = device->BuildOrthoMatrix(640, 480);
    device->SetWorldMatrix(&world);
    device->SetViewMatrix(&view);
    device->SetProjectionMatrix(&projection);
    EXPECT_TRUE(SameAsDevice(d3d, D3DTS_WORLD, world));
    EXPECT_TRUE(SameAsDevice(d3d, D3DTS_VIEW, view));
    EXPECT_TRUE(SameAsDevice(d3d, D3DTS_PROJECTION, projection));
    EXPECT_EQ(device->GetWorldMatrix(), world);
    EXPECT_EQ(device->GetViewMatrix(), view);
    EXPECT_EQ(device->GetProjectionMatrix(), projection);

    // Reading back never asks the device.
    d3d->SetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(view.m));
    EXPECT_EQ(device->GetWorldMatrix(), world);
}

TEST_F(Transforms, BuiltProjectionsAreReturnedNotSet) {
    RenderDevice* device = CreateWindowed();
    IDirect3DDevice8* d3d = orvd3d8::LastDevice();
    const Matrix3D before = device->GetProjectionMatrix();

    const Matrix3D perspective = device->BuildPerspectiveMatrix(1.0f, 2.0f);
    const float h = 1.0f / std::tan(0.5f);
    EXPECT_NEAR(perspective.m[0][0], h / 2.0f, 1e-5);
    EXPECT_NEAR(perspective.m[1][1], h, 1e-5);
    EXPECT_NEAR(perspective.m[2][2], 500.0f / 499.0f, 1e-6);
    EXPECT_EQ(perspective.m[2][3], 1.0f);
    EXPECT_NEAR(perspective.m[3][2], -500.0f / 499.0f, 1e-5);
    EXPECT_EQ(perspective.m[3][3], 0.0f);

    const Matrix3D ortho = device->BuildOrthoMatrix(200.0f, 100.0f);
    EXPECT_NEAR(ortho.m[0][0], 0.01f, 1e-7);
    EXPECT_NEAR(ortho.m[1][1], 0.02f, 1e-7);
    EXPECT_NEAR(ortho.m[2][2], 1.0f / 99.0f, 1e-7);
    EXPECT_NEAR(ortho.m[3][2], -1.0f / 99.0f, 1e-7);
    EXPECT_EQ(ortho.m[3][3], 1.0f);

    EXPECT_EQ(device->GetProjectionMatrix(), before);
    EXPECT_TRUE(SameAsDevice(d3d, D3DTS_PROJECTION, before));
}

TEST_F(Transforms, WithoutADeviceTheProjectionIsNotEvenRemembered) {
    RenderDevice* device = Create();
    const Matrix3D before = device->GetProjectionMatrix();
    const Matrix3D projection = Translation(9, 9, 9);
    device->SetProjectionMatrix(&projection);
    EXPECT_EQ(device->GetProjectionMatrix(), before);
}

TEST_F(Transforms, ViewportFromEdges) {
    RenderDevice* device = CreateWindowed();
    device->SetViewport(10, 330, 20, 260);
    D3DVIEWPORT8 viewport;
    orvd3d8::LastDevice()->GetViewport(&viewport);
    EXPECT_EQ(viewport.X, 10u);
    EXPECT_EQ(viewport.Y, 20u);
    EXPECT_EQ(viewport.Width, 320u);
    EXPECT_EQ(viewport.Height, 240u);
    EXPECT_EQ(viewport.MinZ, 0.0f);
    EXPECT_EQ(viewport.MaxZ, 1.0f);
}

TEST_F(Transforms, LightsAreTranslatedFromTheHostsDescription) {
    RenderDevice* device = CreateWindowed();
    IDirect3DDevice8* d3d = orvd3d8::LastDevice();
    LightDesc light = {};
    light.diffuse = 0xFF0000FF;
    light.ambient = 0x80402010;
    light.specular = 0x00FF0000;
    light.range = 50.0f;
    light.falloff = 1.5f;
    light.attenuation0 = 1.0f;
    light.attenuation1 = 0.25f;
    light.attenuation2 = 0.125f;
    light.theta = 0.5f;
    light.phi = 1.0f;
    light.position = Vector3D(1, 2, 3);
    light.direction = Vector3D(0, -1, 0);

    const struct {
        uint32_t hostType;
        D3DLIGHTTYPE d3dType;
    } types[] = {{0, D3DLIGHT_POINT}, {1, D3DLIGHT_SPOT}, {2, D3DLIGHT_DIRECTIONAL},
                 {7, D3DLIGHT_POINT}};
    for (const auto& type : types) {
        light.type = type.hostType;
        device->SetLight(2, &light);
        D3DLIGHT8 held = {};
        ASSERT_EQ(d3d->GetLight(2, &held), D3D_OK);
        EXPECT_EQ(held.Type, type.d3dType) << type.hostType;
    }
    D3DLIGHT8 held = {};
    d3d->GetLight(2, &held);
    EXPECT_FLOAT_EQ(held.Diffuse.r, 0.0f);
    EXPECT_FLOAT_EQ(held.Diffuse.b, 1.0f);
    EXPECT_FLOAT_EQ(held.Diffuse.a, 1.0f);
    EXPECT_FLOAT_EQ(held.Ambient.r, 64.0f / 255.0f);
    EXPECT_FLOAT_EQ(held.Ambient.g, 32.0f / 255.0f);
    EXPECT_FLOAT_EQ(held.Ambient.b, 16.0f / 255.0f);
    EXPECT_FLOAT_EQ(held.Ambient.a, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(held.Specular.r, 1.0f);
    EXPECT_FLOAT_EQ(held.Specular.a, 0.0f);
    EXPECT_EQ(held.Range, 50.0f);
    EXPECT_EQ(held.Falloff, 1.5f);
    EXPECT_EQ(held.Attenuation1, 0.25f);
    EXPECT_EQ(held.Attenuation2, 0.125f);
    EXPECT_EQ(held.Theta, 0.5f);
    EXPECT_EQ(held.Phi, 1.0f);
    EXPECT_EQ(held.Position.y, 2.0f);
    EXPECT_EQ(held.Direction.y, -1.0f);

    device->EnableLight(2, true);
    BOOL enabled = FALSE;
    d3d->GetLightEnable(2, &enabled);
    EXPECT_TRUE(enabled);
    device->EnableLight(2, false);
    d3d->GetLightEnable(2, &enabled);
    EXPECT_FALSE(enabled);

    // A null description still reaches the device, which refuses it.
    orvplatform::ClearJournal();
    device->SetLight(3, nullptr);
    const std::vector<orvplatform::Call> calls = orvplatform::CallsOf("IDirect3DDevice8::SetLight");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args[1], 0u);
}

}  // namespace

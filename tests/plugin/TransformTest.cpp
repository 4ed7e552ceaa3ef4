// Colours, transforms, projection matrices, the viewport and lights.
#include <cmath>
#include <cstring>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "support/PluginHarness.h"

namespace {

using orvtest::DisplayTest;

class Transforms : public DisplayTest {};

TEST_F(Transforms, ColourConversionTruncatesAndKeepsTheLowBits) {
    const struct { Color colour; unsigned long argb; } cases[] = {
        {Color(1, 1, 1, 1), 0xFFFFFFFFul},
        {Color(0.999f, 0, 0, 0), 0x00FE0000ul},  // 254.7 truncates to 254
        {Color(0, 2.0f, 0, 0), 0x0000FE00ul},    // 510: only the low 8 bits survive
        {Color(0, 0, -1.0f / 255.0f, 0), 0x000000FFul},
    };
    for (const auto& c : cases) EXPECT_EQ(m_pRenderer->ToD3DColor(c.colour), c.argb) << std::hex << c.argb;
    EXPECT_FLOAT_EQ(m_pRenderer->FromD3DColor(0x80FF0000ul).a, 128.0f / 255.0f);
}

TEST_F(Transforms, MatricesAndTheViewportReachTheDeviceAndBuiltProjectionsAreReturnedNotSet) {
    Matrix3D world;
    world.m[3][1] = 2;
    m_pRenderer->SetWorldMatrix(&world);
    D3DMATRIX held;
    m_pD3D->GetTransform(D3DTS_WORLD, &held);
    EXPECT_EQ(std::memcmp(&held, world.m, sizeof held), 0);

    const Matrix3D before = m_pRenderer->GetProjectionMatrix();
    const Matrix3D perspective = m_pRenderer->BuildPerspectiveMatrix(1.0f, 2.0f);
    EXPECT_NEAR(perspective.m[0][0], 1.0f / std::tan(0.5f) / 2.0f, 1e-5);
    EXPECT_NEAR(perspective.m[2][2], 500.0f / 499.0f, 1e-6);
    EXPECT_NEAR(perspective.m[3][2], -500.0f / 499.0f, 1e-5);
    EXPECT_EQ(perspective.m[2][3], 1.0f);
    const Matrix3D ortho = m_pRenderer->BuildOrthoMatrix(200.0f, 100.0f);
    EXPECT_NEAR(ortho.m[0][0], 0.01f, 1e-7);
    EXPECT_NEAR(ortho.m[3][2], -1.0f / 99.0f, 1e-7);
    EXPECT_EQ(m_pRenderer->GetProjectionMatrix(), before);

    m_pRenderer->SetViewport(10, 330, 20, 260);  // from its edges
    D3DVIEWPORT8 viewport;
    m_pD3D->GetViewport(&viewport);
    EXPECT_TRUE(viewport.X == 10 && viewport.Y == 20 && viewport.Width == 320 && viewport.Height == 240);
}

TEST_F(Transforms, LightsAreTranslatedFromTheHostsDescription) {
    LightDesc light = {};
    light.ambient = 0x80402010;
    const struct { uint32_t hostType; D3DLIGHTTYPE d3dType; } types[] = {
        {LIGHT_SPOT, D3DLIGHT_SPOT}, {LIGHT_DIRECTIONAL, D3DLIGHT_DIRECTIONAL},
        {LIGHT_COUNT, D3DLIGHT_POINT}, {7, D3DLIGHT_POINT}};  // unknown: a point light
    for (const auto& type : types) {
        light.type = type.hostType;
        m_pRenderer->SetLight(2, &light);
        D3DLIGHT8 held = {};
        ASSERT_EQ(m_pD3D->GetLight(2, &held), D3D_OK);
        EXPECT_EQ(held.Type, type.d3dType) << type.hostType;
        EXPECT_FLOAT_EQ(held.Ambient.r, 64.0f / 255.0f);
        EXPECT_FLOAT_EQ(held.Ambient.a, 128.0f / 255.0f);
    }
}

}  // namespace

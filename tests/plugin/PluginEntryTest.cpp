// Loading the plug-in, creating and destroying drivers, and operations
// called before there is a display.
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "support/PluginHarness.h"

namespace {

using orvtest::PluginTest;

class PluginEntry : public PluginTest {};

TEST_F(PluginEntry, WithoutDirect3DCreatePluginReturnsNullAndLogsOneLine) {
    orvd3d8::SetCreateFails(true);
    EXPECT_EQ(orvtest::LoadPlugin().getRendererVersion(), 257u);
    EXPECT_EQ(Create(), nullptr);
    const std::vector<std::string> expected = {
        "D3DDriver::Initialize: Failed to create a Direct3D object."};
    EXPECT_EQ(Lines(), expected);
}

TEST_F(PluginEntry, SettingsWithoutADisplayAreKeptQuietlyAndTextWaits) {
    RenderDevice* device = Create();
    EXPECT_EQ(orvplatform::CountOf("IDirect3D8::CreateDevice"), 0u);
    EXPECT_TRUE(device->PrintText(0, 0, "queued for later"));
    device->SetRenderState(RENDERSTATE_FILLMODE, FILL_WIREFRAME);
    device->SetTextureStageState(0, TEXTURESTATE_COLOROP, TEXTUREOP_SELECTARG1);
    device->SetTextureFilter(D3DTEXF_LINEAR);
    device->SetLight(0, nullptr);
    EXPECT_FALSE(device->GetZEnable());
    const Matrix3D world(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1);
    // Without a device the projection is not even remembered.
    const Matrix3D before = device->GetProjectionMatrix();
    device->SetProjectionMatrix(&world);
    EXPECT_EQ(device->GetProjectionMatrix(), before);
    EXPECT_TRUE(Lines().empty());

    // The text queued without a display is drawn by the first frame that has one.
    ASSERT_TRUE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
    orvplatform::ClearJournal();
    ASSERT_TRUE(device->BeginScene());
    ASSERT_TRUE(device->EndScene());
    EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::DrawPrimitive"), 1u);
}

}  // namespace

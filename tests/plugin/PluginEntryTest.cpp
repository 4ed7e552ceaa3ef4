// Loading the plug-in, creating and destroying drivers, and the operations
// that only store settings.
#include <cstring>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "support/PluginHarness.h"

namespace {

using orvtest::PluginTest;

class PluginEntry : public PluginTest {};

TEST_F(PluginEntry, ReportsVersion257WithOrWithoutARenderer) {
    ASSERT_NE(orvtest::LoadPlugin().getRendererVersion, nullptr);
    EXPECT_EQ(orvtest::LoadPlugin().getRendererVersion(), 257u);
    orvd3d8::SetCreateFails(true);
    EXPECT_EQ(orvtest::LoadPlugin().getRendererVersion(), 257u);
}

TEST_F(PluginEntry, WithoutDirect3DCreatePluginReturnsNullAndLogsOneLine) {
    orvd3d8::SetCreateFails(true);
    EXPECT_EQ(Create(), nullptr);
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(Lines()[0], "D3DDriver::Initialize: Failed to create a Direct3D object.");
}

TEST_F(PluginEntry, DestroyingAReadyDriverReleasesDirect3DAndTouchesNoDevice) {
    RenderDevice* device = Create();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(orvplatform::CountOf("IDirect3D8::CreateDevice"), 0u);
    EXPECT_GT(orvd3d8::LiveObjectCount(), 0u);
    Destroy(device);
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 0u);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(PluginEntry, DestroyingADisplayingDriverReleasesEverything) {
    RenderDevice* device = CreateWindowed();
    ASSERT_NE(orvd3d8::LastDevice(), nullptr);
    Destroy(device);
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 0u);
}

TEST_F(PluginEntry, StoredSettingsStartAtTheirDefaultsAndRoundTrip) {
    RenderDevice* device = Create();
    EXPECT_EQ(device->GetTextureBitDepth(), 16u);
    EXPECT_EQ(device->GetTextureFilter(), 4u);
    EXPECT_EQ(device->GetOptionB(), 1u);
    EXPECT_FALSE(device->GetOptionA());
    EXPECT_FALSE(device->GetOptionC());
    EXPECT_EQ(device->GetTriangleCount(), 0u);
    device->SetTextureBitDepth(32);
    device->SetOptionA(true);
    device->SetOptionB(77);
    device->SetOptionC(true);
    EXPECT_EQ(device->GetTextureBitDepth(), 32u);
    EXPECT_TRUE(device->GetOptionA());
    EXPECT_EQ(device->GetOptionB(), 77u);
    EXPECT_TRUE(device->GetOptionC());
}

TEST_F(PluginEntry, DisplayModeQueriesBeforeAnyDisplay) {
    RenderDevice* device = Create();
    DisplayMode mode;
    std::memset(&mode, 0xAB, sizeof mode);
    EXPECT_EQ(device->GetDisplayMode(&mode), &mode);
    EXPECT_EQ(mode.width, 0u);
    EXPECT_EQ(mode.height, 0u);
    EXPECT_FALSE(mode.windowed);
    // Not examined: even a mode no adapter offers validates.
    DisplayMode absurd = {9, 1, 1, 1, 3, false, {0, 0, 0}};
    EXPECT_TRUE(device->ValidateDisplayMode(&absurd));
}

TEST_F(PluginEntry, DisplayOperationsWithoutADisplayRefuseQuietly) {
    RenderDevice* device = Create();
    EXPECT_FALSE(device->BeginScene());
    EXPECT_FALSE(device->Clear(true, true, false));
    EXPECT_TRUE(device->PrintText(0, 0, "queued for later"));
    EXPECT_FALSE(device->EndScene());
    EXPECT_FALSE(device->DumpRenderStates());
    EXPECT_FALSE(device->DumpTextureStageStates(0));
    device->SetRenderState(1, 1);
    device->SetFillMode(1);
    device->SetTextureStageState(0, 0, 1);
    device->SetTextureFilter(2);
    device->SetTexture(0, nullptr);
    device->SetViewport(0, 10, 0, 10);
    device->EnableLight(0, true);
    device->SetLight(0, nullptr);
    EXPECT_FALSE(device->GetZEnable());
    EXPECT_TRUE(device->SetMaterial(nullptr));
    const Matrix3D world(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1);
    device->SetWorldMatrix(&world);
    EXPECT_EQ(device->GetWorldMatrix(), world);
    EXPECT_EQ(device->GetTextureFilter(), 2u);
    EXPECT_EQ(orvplatform::CountOf("IDirect3D8::CreateDevice"), 0u);
    EXPECT_TRUE(Lines().empty());

    // The text queued without a display is drawn by the first frame that has one.
    ASSERT_TRUE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
    orvplatform::ClearJournal();
    ASSERT_TRUE(device->BeginScene());
    ASSERT_TRUE(device->EndScene());
    EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::DrawPrimitive"), 1u);
}

}  // namespace

// Switching the display: the window, the presentation parameters, the
// fallbacks of device creation and their log lines.
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Window.h"
#include "support/PluginHarness.h"

namespace {

using orvplatform::CallsOf;
using orvtest::PluginTest;

class DisplayModes : public PluginTest {};

TEST_F(DisplayModes, WindowedSwitchSizesCentresAndLogs) {
    RenderDevice* device = Create();
    ASSERT_TRUE(device->SetDisplayMode(640, 480, 16, 85, 0, true));
    const orvplatform::WindowInfo window = orvplatform::GetWindowInfo(kernel()->m_pWindow->GetHWND());
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(window.rect.left, 1024 / 2 - 640 / 2);
    EXPECT_EQ(kernel()->m_pWindow->GetWidth(), 640u);
    // Windowed ignores the colour depth and refresh rate.
    const D3DPRESENT_PARAMETERS params = orvd3d8::PresentParametersOf(orvd3d8::LastDevice());
    EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(params.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(params.AutoDepthStencilFormat, D3DFMT_D16);
    const std::string rule = "--------------------------------------";
    const std::vector<std::string> expected = {
        "", rule,
        "D3D driver - Attempting display switch: Windowed: 1, Width: 640, Height 480, BPP: 16",
        "Hardware vertex processing.", "Using HAL device!", "Display initialized.", rule, ""};
    EXPECT_EQ(Lines(), expected);

    // Full screen takes the depth's format and the refresh rate.
    ASSERT_TRUE(device->SetDisplayMode(800, 600, 16, 60, 0, false));
    const D3DPRESENT_PARAMETERS full = orvd3d8::PresentParametersOf(orvd3d8::LastDevice());
    EXPECT_EQ(full.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(full.FullScreen_RefreshRateInHz, 60u);
    // A reset makes one device again, in the same mode.
    orvplatform::ClearJournal();
    ASSERT_TRUE(device->ResetDevice());
    EXPECT_EQ(orvplatform::CountOf("IDirect3D8::CreateDevice"), 1u);
    const D3DPRESENT_PARAMETERS again = orvd3d8::PresentParametersOf(orvd3d8::LastDevice());
    EXPECT_TRUE(again.BackBufferWidth == 800 && !again.Windowed && again.BackBufferFormat == D3DFMT_R5G6B5);
}

TEST_F(DisplayModes, FallsBackThroughMixedSoftwareAndReference) {
    const struct { bool hardware, mixed, hal; size_t creations; const char* line; } cases[] = {
        {false, true, true, 2, "Mixed vertex processing."},
        {false, false, true, 3, "Software vertex processing."},
        {true, true, false, 1, "Using REF device!"}};
    for (const auto& c : cases) {
        orvplatform::ClearJournal();
        orvd3d8::Adapter(0).hardwareVertexProcessing = c.hardware;
        orvd3d8::Adapter(0).mixedVertexProcessing = c.mixed;
        orvd3d8::Adapter(0).halAvailable = c.hal;
        RenderDevice* device = Create();
        ASSERT_TRUE(device->SetDisplayMode(640, 480, 32, 60, 0, true)) << c.line;
        EXPECT_EQ(orvplatform::CountOf("IDirect3D8::CreateDevice"), c.creations) << c.line;
        EXPECT_TRUE(Logged(c.line));
        Destroy(device);
    }
}

// Every creation failing (the three of the reference type for a colour depth
// the driver does not know): the last result is reported.
TEST_F(DisplayModes, WhenEveryCreationFailsTheLastResultIsReported) {
    RenderDevice* device = Create();
    orvplatform::FailNthCall("IDirect3D8::CreateDevice", 1, D3DERR_OUTOFVIDEOMEMORY);
    orvplatform::FailNthCall("IDirect3D8::CreateDevice", 2, D3DERR_NOTAVAILABLE);
    orvplatform::FailNthCall("IDirect3D8::CreateDevice", 3, D3DERR_DEVICELOST);
    EXPECT_FALSE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
    EXPECT_TRUE(Logged("Display switch failed (HR:D3DERR_DEVICELOST)"));
    EXPECT_EQ(orvd3d8::LastDevice(), nullptr);

    orvplatform::ClearJournal();
    EXPECT_FALSE(device->SetDisplayMode(800, 600, 12, 60, 0, false));
    const std::vector<orvplatform::Call> creations = CallsOf("IDirect3D8::CreateDevice");
    ASSERT_EQ(creations.size(), 3u);
    EXPECT_EQ(creations[2].args[1], static_cast<uint64_t>(D3DDEVTYPE_REF));
    EXPECT_TRUE(Logged("Display switch failed (HR:D3DERR_INVALIDCALL)"));
}

}  // namespace

// Adapters, display modes and switching the display.
#include <cmath>
#include <cstring>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Window.h"
#include "support/PluginHarness.h"

namespace {

using orvtest::PluginTest;

const std::string kRule = "--------------------------------------";

class DisplayModes : public PluginTest {
protected:
    orvplatform::WindowInfo HostWindow() const {
        return orvplatform::GetWindowInfo(kernel()->m_pWindow->GetHWND());
    }
};

TEST_F(DisplayModes, ReportsAdaptersAndModesWithTheirColourDepths) {
    orvd3d8::AdapterConfig second = orvd3d8::DefaultAdapter();
    second.description = "Second Adapter";
    second.modes = {{800, 600, 75, D3DFMT_R5G6B5}, {1024, 768, 60, D3DFMT_X8R8G8B8}};
    orvd3d8::SetAdapters({orvd3d8::DefaultAdapter(), second});

    RenderDevice* device = Create();
    ASSERT_EQ(device->GetAdapterCount(), 2u);
    AdapterInfo info;
    ASSERT_TRUE(device->GetAdapterInfo(1, &info));
    EXPECT_EQ(info.adapter, 1u);
    EXPECT_STREQ(info.description.c_str(), "Second Adapter");

    ASSERT_EQ(device->GetDisplayModeCount(1), 2u);
    DisplayMode mode;
    ASSERT_TRUE(device->GetDisplayModeInfo(1, 0, &mode));
    EXPECT_EQ(mode.adapter, 1u);
    EXPECT_EQ(mode.width, 800u);
    EXPECT_EQ(mode.height, 600u);
    EXPECT_EQ(mode.refreshRate, 75u);
    EXPECT_EQ(mode.bitsPerPixel, 16u);
    EXPECT_FALSE(mode.windowed);
    ASSERT_TRUE(device->GetDisplayModeInfo(1, 1, &mode));
    EXPECT_EQ(mode.bitsPerPixel, 32u);

    // Out of range: false, the record untouched, nothing logged.
    DisplayMode untouched = mode;
    EXPECT_FALSE(device->GetDisplayModeInfo(1, 2, &untouched));
    EXPECT_EQ(std::memcmp(&untouched, &mode, sizeof mode), 0);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(DisplayModes, AdapterIdentifierFailureIsLoggedAndLeavesTheInfo) {
    RenderDevice* device = Create();
    orvplatform::FailNthCall("IDirect3D8::GetAdapterIdentifier", 1, D3DERR_NOTAVAILABLE);
    AdapterInfo info;
    info.adapter = 42;
    EXPECT_FALSE(device->GetAdapterInfo(0, &info));
    EXPECT_EQ(info.adapter, 42u);
    EXPECT_TRUE(Logged("D3DDriver::Initialize: m_pDirect3D->GetAdapterIdentifier failed for "
                       "adapter 0. (HR:D3DERR_NOTAVAILABLE)"));
}

TEST_F(DisplayModes, WindowedSwitchSizesCentresShowsAndLogs) {
    RenderDevice* device = Create();
    ASSERT_TRUE(device->SetDisplayMode(640, 480, 16, 85, 0, true));

    const orvplatform::WindowInfo window = HostWindow();
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(window.rect.left, 1024 / 2 - 640 / 2);
    EXPECT_EQ(window.rect.top, 768 / 2 - 480 / 2);
    // The client area gets the mode's size; the frame lies around it.
    EXPECT_EQ(kernel()->m_pWindow->GetWidth(), 640u);
    EXPECT_EQ(kernel()->m_pWindow->GetHeight(), 480u);
    EXPECT_GT(window.rect.right - window.rect.left, 640);
    EXPECT_EQ(window.raisedToTop, 1);

    // Windowed ignores the colour depth and refresh rate.
    const D3DPRESENT_PARAMETERS params = orvd3d8::PresentParametersOf(orvd3d8::LastDevice());
    EXPECT_EQ(params.BackBufferWidth, 640u);
    EXPECT_EQ(params.BackBufferHeight, 480u);
    EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(params.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(params.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_TRUE(params.Windowed);
    EXPECT_TRUE(params.EnableAutoDepthStencil);
    EXPECT_EQ(params.AutoDepthStencilFormat, D3DFMT_D16);

    const std::vector<std::string> expected = {
        "", kRule,
        "D3D driver - Attempting display switch: Windowed: 1, Width: 640, Height 480, BPP: 16",
        "Hardware vertex processing.", "Using HAL device!", "Display initialized.", kRule, ""};
    EXPECT_EQ(Lines(), expected);

    const std::vector<orvplatform::Call> creations = orvplatform::CallsOf("IDirect3D8::CreateDevice");
    ASSERT_EQ(creations.size(), 1u);
    EXPECT_EQ(creations[0].args[1], static_cast<uint64_t>(D3DDEVTYPE_HAL));
    EXPECT_EQ(creations[0].args[3], static_cast<uint64_t>(D3DCREATE_HARDWARE_VERTEXPROCESSING));
}

TEST_F(DisplayModes, AWindowLargerThanTheDesktopStartsAtNegativeCoordinates) {
    orvd3d8::Adapter(0).desktop = {800, 600, 60, D3DFMT_X8R8G8B8};
    orvd3d8::SetAdapters({orvd3d8::Adapter(0)});
    RenderDevice* device = Create();
    ASSERT_TRUE(device->SetDisplayMode(1024, 768, 32, 60, 0, true));
    const orvplatform::WindowInfo window = HostWindow();
    EXPECT_EQ(window.rect.left, 400 - 512);
    EXPECT_EQ(window.rect.top, 300 - 384);
}

TEST_F(DisplayModes, FullScreenUsesTheDepthsFormatAndRefreshRateAndLeavesTheWindow) {
    RenderDevice* device = Create();
    const RECT before = HostWindow().rect;
    ASSERT_TRUE(device->SetDisplayMode(800, 600, 16, 60, 0, false));
    const D3DPRESENT_PARAMETERS params = orvd3d8::PresentParametersOf(orvd3d8::LastDevice());
    EXPECT_EQ(params.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(params.FullScreen_RefreshRateInHz, 60u);
    EXPECT_FALSE(params.Windowed);
    const RECT after = HostWindow().rect;
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(DisplayModes, AnUnknownColourDepthFailsEveryCreationOnTheReferenceType) {
    RenderDevice* device = Create();
    EXPECT_FALSE(device->SetDisplayMode(800, 600, 12, 60, 0, false));
    const std::vector<orvplatform::Call> creations = orvplatform::CallsOf("IDirect3D8::CreateDevice");
    ASSERT_EQ(creations.size(), 3u);
    for (const orvplatform::Call& call : creations)
        EXPECT_EQ(call.args[1], static_cast<uint64_t>(D3DDEVTYPE_REF));
    EXPECT_TRUE(Logged("Display switch failed (HR:D3DERR_INVALIDCALL)"));
    EXPECT_EQ(orvd3d8::LastDevice(), nullptr);
}

TEST_F(DisplayModes, FallsBackThroughMixedAndSoftwareVertexProcessing) {
    struct Case {
        bool hardware, mixed;
        size_t creations;
        const char* line;
    };
    const Case cases[] = {
        {false, true, 2, "Mixed vertex processing."},
        {false, false, 3, "Software vertex processing."},
    };
    for (const Case& c : cases) {
        orvplatform::ClearJournal();
        orvd3d8::Adapter(0).hardwareVertexProcessing = c.hardware;
        orvd3d8::Adapter(0).mixedVertexProcessing = c.mixed;
        ClearLines();
        RenderDevice* device = Create();
        ASSERT_TRUE(device->SetDisplayMode(640, 480, 32, 60, 0, true)) << c.line;
        EXPECT_EQ(orvplatform::CountOf("IDirect3D8::CreateDevice"), c.creations) << c.line;
        EXPECT_TRUE(Logged(c.line));
        Destroy(device);
    }
}

TEST_F(DisplayModes, InjectedCreationFailuresWalkTheSameFallbackOrder) {
    RenderDevice* device = Create();
    orvplatform::FailNthCall("IDirect3D8::CreateDevice", 1, D3DERR_OUTOFVIDEOMEMORY);
    ASSERT_TRUE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
    const std::vector<orvplatform::Call> creations = orvplatform::CallsOf("IDirect3D8::CreateDevice");
    ASSERT_EQ(creations.size(), 2u);
    EXPECT_EQ(creations[0].args[3], static_cast<uint64_t>(D3DCREATE_HARDWARE_VERTEXPROCESSING));
    EXPECT_EQ(creations[1].args[3], static_cast<uint64_t>(D3DCREATE_MIXED_VERTEXPROCESSING));
    EXPECT_EQ(creations[0].args[1], creations[1].args[1]);  // the type stays
    EXPECT_TRUE(Logged("Mixed vertex processing."));
    EXPECT_FALSE(Logged("Hardware vertex processing."));

    // All three refused: the last attempt's result is the one reported.
    orvplatform::FailNthCall("IDirect3D8::CreateDevice", 1, D3DERR_OUTOFVIDEOMEMORY);
    orvplatform::FailNthCall("IDirect3D8::CreateDevice", 2, D3DERR_NOTAVAILABLE);
    orvplatform::FailNthCall("IDirect3D8::CreateDevice", 3, D3DERR_DEVICELOST);
    EXPECT_FALSE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
    EXPECT_TRUE(Logged("Display switch failed (HR:D3DERR_DEVICELOST)"));
    EXPECT_EQ(orvd3d8::LastDevice(), nullptr);
}

TEST_F(DisplayModes, WithoutAHardwareDeviceTheReferenceRasteriserIsUsed) {
    orvd3d8::Adapter(0).halAvailable = false;
    RenderDevice* device = Create();
    ASSERT_TRUE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
    EXPECT_TRUE(Logged("Using REF device!"));
}

TEST_F(DisplayModes, DesktopModeFailureStopsTheSwitchAfterTheWindowMoved) {
    RenderDevice* device = Create();
    orvplatform::FailNthCall("IDirect3D8::GetAdapterDisplayMode", 1, D3DERR_NOTAVAILABLE);
    EXPECT_FALSE(device->SetDisplayMode(320, 200, 32, 60, 0, true));
    EXPECT_TRUE(Logged("D3DDriver::SetDisplayMode: m_pDirect3D->GetAdapterDisplayMode failed "
                       "for adapter 0. (HR:D3DERR_NOTAVAILABLE)"));
    EXPECT_EQ(kernel()->m_pWindow->GetWidth(), 320u);
    EXPECT_EQ(orvplatform::CountOf("IDirect3D8::CreateDevice"), 0u);
}

TEST_F(DisplayModes, DebugFontFailureClosesTheDisplayAgain) {
    RenderDevice* device = Create();
    orvplatform::FailNthCall("IDirect3DDevice8::CreateTexture", 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
    EXPECT_TRUE(Logged("D3DFont::Initialize: m_pd3dDevice->CreateTexture failed Returned "
                       "D3DERR_OUTOFVIDEOMEMORY"));
    EXPECT_TRUE(Logged("Failed to create debug font."));
    EXPECT_EQ(orvd3d8::LastDevice(), nullptr);
    // Ready again: a later switch works.
    EXPECT_TRUE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
}

TEST_F(DisplayModes, SwitchingAgainReleasesTheFirstDeviceBeforeCreatingTheSecond) {
    RenderDevice* device = CreateWindowed();
    IDirect3DDevice8* first = orvd3d8::LastDevice();
    const size_t liveWithOneDisplay = orvd3d8::LiveObjectCount();
    ASSERT_TRUE(device->SetDisplayMode(800, 600, 32, 60, 0, true));
    EXPECT_NE(orvd3d8::LastDevice(), nullptr);
    EXPECT_EQ(orvd3d8::LiveObjectCount(), liveWithOneDisplay);
    (void)first;
    DisplayMode mode;
    device->GetDisplayMode(&mode);
    EXPECT_EQ(mode.width, 800u);
    EXPECT_TRUE(mode.windowed);
}

TEST_F(DisplayModes, ASwitchEndsInTheDriversStartingState) {
    CreateWindowed();
    IDirect3DDevice8* d3d = orvd3d8::LastDevice();
    ASSERT_NE(d3d, nullptr);
    DWORD shader = 0;
    d3d->GetVertexShader(&shader);
    EXPECT_EQ(shader, 0x352u);

    // The stored filter reaches all three filters of all eight stages.
    for (DWORD stage = 0; stage < 8; ++stage)
        for (D3DTEXTURESTAGESTATETYPE type : {D3DTSS_MINFILTER, D3DTSS_MAGFILTER, D3DTSS_MIPFILTER}) {
            DWORD value = 0;
            d3d->GetTextureStageState(stage, type, &value);
            EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_FLATCUBIC)) << stage;
        }

    D3DMATRIX world, projection;
    d3d->GetTransform(D3DTS_WORLD, &world);
    d3d->GetTransform(D3DTS_PROJECTION, &projection);
    EXPECT_EQ(world._11, 1.0f);
    EXPECT_EQ(world._41, 0.0f);
    const float h = 1.0f / std::tan(0.5235988f / 2.0f);
    EXPECT_NEAR(projection._22, h, 1e-5);
    EXPECT_NEAR(projection._11, h / (640.0f / 480.0f), 1e-5);
    EXPECT_NEAR(projection._33, 500.0f / 499.0f, 1e-6);
    EXPECT_EQ(projection._34, 1.0f);
}

}  // namespace

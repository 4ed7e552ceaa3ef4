// Switching the display: the window, the presentation parameters, the
// fallbacks of device creation and their log lines. The frame cycle, the
// text queue, clearing, screenshots and device reset; colours, transforms,
// projection matrices, the viewport and lights.
#include <algorithm>
#include <cmath>

#include "host/Window.h"
#include "orvhostImage.h"
#include "support/PluginHarness.h"

namespace {

using orvplatform::CallsOf;
using orvtest::PluginTest;
using orvplatform::CountOf;
using Transforms = orvtest::DisplayTest;

using DisplayModes = PluginTest;
D3DPRESENT_PARAMETERS Presented() { return orvd3d8::PresentParametersOf(orvd3d8::LastDevice()); }

TEST_F(DisplayModes, WindowedSwitchSizesCentresAndLogs) {
    RenderDevice* device = Create();
    ASSERT_TRUE(device->SetDisplayMode(800, 600, 16, 85, 0, true));
    const orvplatform::WindowInfo window = orvplatform::GetWindowInfo(kernel()->m_pWindow->GetHWND());
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(window.rect.left, 1024 / 2 - 800 / 2);
    EXPECT_EQ(kernel()->m_pWindow->GetWidth(), 800u);
    // Windowed ignores the colour depth and refresh rate.
    const D3DPRESENT_PARAMETERS params = Presented();
    EXPECT_TRUE(params.BackBufferFormat == D3DFMT_X8R8G8B8 && params.FullScreen_RefreshRateInHz == 0 &&
                params.AutoDepthStencilFormat == D3DFMT_D16);
    const std::string rule = "--------------------------------------";
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "", rule, "D3D driver - Attempting display switch: Windowed: 1, Width: 800, Height 600, BPP: 16",
                           "Hardware vertex processing.", "Using HAL device!", "Display initialized.", rule, ""}));

    // Full screen takes the depth's format and the refresh rate.
    const struct { unsigned bits; D3DFORMAT format; } depths[] = {
        {8, D3DFMT_P8}, {15, D3DFMT_X1R5G5B5}, {24, D3DFMT_R8G8B8}, {32, D3DFMT_X8R8G8B8}, {16, D3DFMT_R5G6B5}};
    for (const auto& depth : depths) {
        orvd3d8::Adapter(0).modes.push_back({800, 600, 60, depth.format});
        ASSERT_TRUE(device->SetDisplayMode(800, 600, depth.bits, 60, 0, false)) << depth.bits;
        EXPECT_EQ(Presented().BackBufferFormat, depth.format) << depth.bits;
        EXPECT_EQ(Presented().FullScreen_RefreshRateInHz, 60u);
    }
    // A reset makes one device again, in the same mode.
    orvplatform::ClearJournal();
    ASSERT_TRUE(device->ResetDevice());
    EXPECT_EQ(orvplatform::CountOf("IDirect3D8::CreateDevice"), 1u);
    const D3DPRESENT_PARAMETERS again = Presented();
    EXPECT_TRUE(again.BackBufferWidth == 800 && !again.Windowed && again.BackBufferFormat == D3DFMT_R5G6B5);
}

// The modes the adapter lists are reported with the colour depth of their
// format: the depths of the published formats, 0 for the others.
TEST_F(DisplayModes, ReportedModesTakeTheDepthOfTheirFormat) {
    RenderDevice* device = Create();
    const std::pair<unsigned, std::vector<D3DFORMAT>> depths[] = {
        {8, {D3DFMT_R3G3B2, D3DFMT_A8, D3DFMT_P8, D3DFMT_L8, D3DFMT_A4L4}},
        {16, {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4,
              D3DFMT_A8P8, D3DFMT_A8L8, D3DFMT_V8U8, D3DFMT_L6V5U5, D3DFMT_D16_LOCKABLE, D3DFMT_D15S1, D3DFMT_D16,
              D3DFMT_INDEX16}},
        {24, {D3DFMT_R8G8B8}},
        {32, {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A2B10G10R10, D3DFMT_G16R16, D3DFMT_X8L8V8U8, D3DFMT_Q8W8V8U8,
              D3DFMT_V16U16, D3DFMT_W11V11U10, D3DFMT_A2W10V10U10, D3DFMT_D32, D3DFMT_D24S8, D3DFMT_D24X8,
              D3DFMT_D24X4S4, D3DFMT_INDEX32}},
        {64, {D3DFMT_DXT1}},
        {128, {D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5}},
        {0, {D3DFMT_UNKNOWN, D3DFMT_UYVY, D3DFMT_YUY2, D3DFORMAT(35), D3DFMT_VERTEXDATA}},
    };
    std::vector<unsigned> expected;
    auto& modes = orvd3d8::Adapter(0).modes;
    modes.clear();
    for (const auto& [bits, formats] : depths)
        for (D3DFORMAT format : formats) modes.push_back({640, 480, 75, format}), expected.push_back(bits);
    ASSERT_EQ(device->GetDisplayModeCount(0), modes.size());
    for (unsigned i = 0; i < modes.size(); ++i) {
        DisplayMode mode = {};
        ASSERT_TRUE(device->GetDisplayModeInfo(0, i, &mode));
        EXPECT_EQ(mode.bitsPerPixel, expected[i]) << "format " << modes[i].Format;
        EXPECT_TRUE(mode.width == 640 && mode.height == 480 && mode.refreshRate == 75 && !mode.windowed);
    }
}

// Without Direct3D there is no driver, and one line says why.
TEST_F(DisplayModes, NoDriverWithoutDirect3D) {
    orvd3d8::SetCreateFails(true);
    EXPECT_EQ(Create(), nullptr);
    orvd3d8::SetCreateFails(false);
    EXPECT_EQ(Lines(), std::vector<std::string>{"D3DDriver::Initialize: Failed to create a Direct3D object."});
}

TEST_F(DisplayModes, FallsBackThroughMixedSoftwareAndReference) {
    const struct { bool hardware, mixed, hal; size_t creations; const char* line; } cases[] = {
        {false, true, true, 2, "Mixed vertex processing."},
        {false, false, true, 3, "Software vertex processing."},
        {true, true, false, 1, "Using REF device!"}};
    for (const auto& c : cases) {
        orvplatform::ClearJournal();
        orvd3d8::AdapterConfig& adapter = orvd3d8::Adapter(0);
        adapter.hardwareVertexProcessing = c.hardware, adapter.mixedVertexProcessing = c.mixed, adapter.halAvailable = c.hal;
        RenderDevice* device = Create();
        ASSERT_TRUE(device->SetDisplayMode(640, 480, 32, 60, 0, true)) << c.line;
        EXPECT_EQ(orvplatform::CountOf("IDirect3D8::CreateDevice"), c.creations) << c.line;
        EXPECT_TRUE(Logged(c.line));
        Destroy(device);
    }
}

// Every creation failing (the three of the reference type for a colour depth
// the driver does not know): the last result is reported. A window that
// cannot learn the desktop's format makes no device.
TEST_F(DisplayModes, WhenEveryCreationFailsTheLastResultIsReported) {
    RenderDevice* device = Create();
    unsigned n = 0;
    for (HRESULT failure : {D3DERR_OUTOFVIDEOMEMORY, D3DERR_NOTAVAILABLE, D3DERR_DEVICELOST})
        orvplatform::FailNthCall("IDirect3D8::CreateDevice", ++n, failure);
    EXPECT_FALSE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
    EXPECT_TRUE(Logged("Display switch failed (HR:D3DERR_DEVICELOST)") && orvd3d8::LastDevice() == nullptr);

    orvplatform::ClearJournal();
    EXPECT_FALSE(device->SetDisplayMode(800, 600, 12, 60, 0, false));
    EXPECT_EQ(orvtest::ArgsOf("IDirect3D8::CreateDevice", 1), std::vector<uint64_t>(3, D3DDEVTYPE_REF));
    EXPECT_TRUE(Logged("Display switch failed (HR:D3DERR_INVALIDCALL)"));

    orvplatform::FailNthCall("IDirect3D8::GetAdapterDisplayMode", 1, D3DERR_INVALIDCALL);
    EXPECT_FALSE(device->SetDisplayMode(640, 480, 32, 60, 0, true));
    EXPECT_EQ(orvd3d8::LastDevice(), nullptr);
}

using FrameCycle = PluginTest;
// The triangle counts of the draws since the journal was last cleared.
std::vector<uint64_t> Draws() { return orvtest::ArgsOf("IDirect3DDevice8::DrawPrimitive", 2); }

// A failing EndScene empties the queue all the same and does not present.
TEST_F(FrameCycle, QueuedTextIsDrawnInOrderCutAndTheQueueEmptiesEvenWhenEndSceneFails) {
    RenderDevice* device = CreateWindowed();
    orvplatform::ClearJournal();
    ASSERT_TRUE(device->PrintText(10, 20, "%d%%", 100));  // "100%": four characters
    ASSERT_TRUE(device->PrintText(10, 40, "ab"));
    // The queue keeps 2047 characters of a line; the font draws at most 255.
    ASSERT_TRUE(device->PrintText(0, 0, "%s", std::string(3000, 'x').c_str()));
    ASSERT_TRUE(device->BeginScene() && device->EndScene());
    EXPECT_EQ(Draws(), (std::vector<uint64_t>{8, 4, 100, 100, 100, 100, 100, 10}));  // 50 characters a batch

    orvplatform::ClearJournal();
    ASSERT_TRUE(device->BeginScene() && device->EndScene());
    EXPECT_TRUE(Draws().empty());

    device->PrintText(0, 0, "lost"), device->BeginScene();
    orvplatform::FailNthCall("IDirect3DDevice8::EndScene", 1, D3DERR_INVALIDCALL);
    orvplatform::ClearJournal();
    EXPECT_FALSE(device->EndScene());
    EXPECT_EQ(CountOf("IDirect3DDevice8::Present"), 0u);
    orvplatform::ClearJournal();
    device->BeginScene();
    EXPECT_TRUE(device->EndScene());
    EXPECT_TRUE(Draws().empty());
}

TEST_F(FrameCycle, ClearPassesTheAskedBuffersAndTheStoredValues) {
    RenderDevice* device = CreateWindowed();
    device->SetClearColor(0xFF336699), device->SetClearDepth(0.5f), device->SetClearStencil(7);
    orvplatform::ClearJournal();
    EXPECT_TRUE(device->Clear(false, true, false) && device->Clear(true, true, false));
    const std::vector<orvplatform::Call> clears = CallsOf("IDirect3DDevice8::Clear");
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_EQ(clears[0].args[2], static_cast<uint64_t>(D3DCLEAR_ZBUFFER));
    EXPECT_EQ(orvplatform::BitsFloat(clears[1].args[4]), 0.5f);
    EXPECT_EQ(orvd3d8::BackBufferImage(orvd3d8::LastDevice()).At(320, 240) & 0xFFFFFF, 0x336699u);

    // The depth buffer has no stencil: the device refuses and the driver says so.
    EXPECT_FALSE(device->Clear(false, false, true));
    EXPECT_TRUE(Logged("D3DDriver: Clear failed. (HR:D3DERR_INVALIDCALL)"));
}

// Windowed: the client area through a desktop-sized capture surface (the
// runtime refuses a smaller one), without the part left of the desktop;
// full screen: the whole display.
TEST_F(FrameCycle, ScreenshotsSaveTheClientAreaOrTheWholeDisplay) {
    const struct { bool windowed; unsigned width, height, surfaceWidth; uint32_t clear; int left; } cases[] = {
        {true, 320, 240, 1024, 0xFF20C040, 0}, {true, 320, 240, 1024, 0xFF20C040, -100},
        {false, 800, 600, 800, 0xFF8040C0, 0}};
    for (const auto& c : cases) {
        RenderDevice* device = Create();
        ASSERT_TRUE(device->SetDisplayMode(c.width, c.height, 32, 60, 0, c.windowed));
        if (c.left) kernel()->m_pWindow->Reposition(static_cast<uint32_t>(c.left), 0);
        POINT origin = {0, 0};
        ClientToScreen(kernel()->m_pWindow->GetHWND(), &origin);
        const unsigned width = c.width - (c.windowed ? static_cast<unsigned>(std::max<LONG>(0, -origin.x)) : 0);
        device->SetClearColor(c.clear);
        device->BeginScene(), device->Clear(true, false, false), device->EndScene();
        orvplatform::ClearJournal();
        const std::string path = OutputPath(c.windowed ? "windowed.bmp" : "fullscreen.bmp");
        ASSERT_TRUE(device->SaveScreenShot(path.c_str()));
        EXPECT_EQ(CallsOf("IDirect3DDevice8::CreateImageSurface").at(0).args[0], c.surfaceWidth);
        orvhost::Image bitmap;
        ASSERT_TRUE(orvhost::ReadBitmap(path, &bitmap));
        EXPECT_TRUE(bitmap.width == static_cast<int>(width) && bitmap.height == static_cast<int>(c.height));
        EXPECT_EQ(bitmap.At(width - 1, c.height - 1), c.clear);
        // Without a surface or the front buffer's pixels there is no screenshot.
        for (const char* api : {"IDirect3DDevice8::CreateImageSurface", "IDirect3DDevice8::GetFrontBuffer"}) {
            orvplatform::FailNthCall(api, 1, D3DERR_OUTOFVIDEOMEMORY);
            EXPECT_FALSE(device->SaveScreenShot(OutputPath("failed.bmp").c_str())) << api;
            orvplatform::ClearFailures();
        }
        Destroy(device);
    }
}

TEST_F(Transforms, ColourConversionTruncatesAndKeepsTheLowBits) {
    const struct { Color colour; unsigned long argb; } cases[] = {
        {Color(1, 1, 1, 1), 0xFFFFFFFFul},
        {Color(0.999f, 0, 0, 0), 0x00FE0000ul},  // 254.7 truncates to 254
        {Color(0, 2.0f, 0, 0), 0x0000FE00ul},    // 510: only the low 8 bits survive
        {Color(0, 0, -1.0f / 255.0f, 0), 0x000000FFul},
    };
    for (const auto& c : cases) EXPECT_EQ(m_pRenderer->ToD3DColor(c.colour), c.argb) << std::hex << c.argb;
    // Back again, each channel in its place.
    const Color back = m_pRenderer->FromD3DColor(0x80FF3300ul);
    EXPECT_FLOAT_EQ(back.a, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(back.r, 1.0f);
    EXPECT_FLOAT_EQ(back.g, 51.0f / 255.0f);
    EXPECT_FLOAT_EQ(back.b, 0.0f);
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

// The host may ask for the starting states again: every state it changed
// comes back, the clear values and the transforms too.
TEST_F(Transforms, DefaultStatesComeBackWhenTheHostAsksForThem) {
    const struct { D3DRENDERSTATETYPE state; DWORD changed, standard; } states[] = {
        {D3DRS_LIGHTING, TRUE, FALSE},           {D3DRS_ALPHABLENDENABLE, FALSE, TRUE},
        {D3DRS_ZENABLE, D3DZB_FALSE, D3DZB_TRUE}, {D3DRS_ZFUNC, D3DCMP_ALWAYS, D3DCMP_LESSEQUAL},
        {D3DRS_SRCBLEND, D3DBLEND_ONE, D3DBLEND_SRCALPHA}, {D3DRS_DESTBLEND, D3DBLEND_ZERO, D3DBLEND_INVSRCALPHA},
        {D3DRS_SHADEMODE, D3DSHADE_FLAT, D3DSHADE_GOURAUD}, {D3DRS_FILLMODE, D3DFILL_WIREFRAME, D3DFILL_SOLID}};
    const struct { D3DTEXTURESTAGESTATETYPE state; DWORD changed, standard; } stage0[] = {
        {D3DTSS_COLOROP, D3DTOP_ADD, D3DTOP_MODULATE}, {D3DTSS_COLORARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE},
        {D3DTSS_COLORARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE}, {D3DTSS_ALPHAOP, D3DTOP_ADD, D3DTOP_SELECTARG1}};
    for (const auto& s : states) m_pD3D->SetRenderState(s.state, s.changed);
    for (const auto& s : stage0) m_pD3D->SetTextureStageState(0, s.state, s.changed);
    D3DMATRIX moved = {};
    for (int k = 0; k < 4; ++k) moved.m[k][k] = 2;
    for (D3DTRANSFORMSTATETYPE t : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION}) m_pD3D->SetTransform(t, &moved);
    m_pRenderer->SetClearColor(0x12345678), m_pRenderer->SetClearDepth(0.25f), m_pRenderer->SetClearStencil(3);
    // Texturing turned off is stage 0's colour operation, and stage 0's alone.
    m_pD3D->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    m_pRenderer->DisableTexturing();
    EXPECT_TRUE(StageState(0, D3DTSS_COLOROP) == D3DTOP_DISABLE && StageState(1, D3DTSS_COLOROP) == D3DTOP_ADD);

    m_pRenderer->SetDefaultStates();
    for (const auto& s : states) EXPECT_EQ(RenderState(s.state), s.standard) << s.state;
    for (const auto& s : stage0) EXPECT_EQ(StageState(0, s.state), s.standard) << s.state;
    D3DMATRIX held;
    for (D3DTRANSFORMSTATETYPE t : {D3DTS_WORLD, D3DTS_VIEW}) {
        m_pD3D->GetTransform(t, &held);
        for (int k = 0; k < 16; ++k) EXPECT_EQ(held.m[k / 4][k % 4], k % 5 == 0 ? 1.0f : 0.0f) << t << ": " << k;
    }
    // Thirty degrees of view over the display's 640 by 480.
    m_pD3D->GetTransform(D3DTS_PROJECTION, &held);
    EXPECT_NEAR(held.m[1][1], 1 / std::tan(std::atan(1.0) / 3), 1e-5);
    EXPECT_NEAR(held.m[0][0], 1 / std::tan(std::atan(1.0) / 3) * 480 / 640, 1e-5);
    orvplatform::ClearJournal();
    m_pRenderer->Clear(true, true, false);
    ASSERT_EQ(CountOf("IDirect3DDevice8::Clear"), 1u);
    const orvplatform::Call clear = CallsOf("IDirect3DDevice8::Clear")[0];
    EXPECT_EQ(clear.args[3], 0xFF000000u);
    EXPECT_EQ(orvplatform::BitsFloat(clear.args[4]), 1.0f);
    EXPECT_EQ(clear.args[5], 0u);
}

TEST_F(Transforms, LightsAreTranslatedFromTheHostsDescription) {
    // Every field differs from the others and from one light to the next, so
    // that a field left unset cannot hold the awaited value by chance.
    const struct { uint32_t hostType; D3DLIGHTTYPE d3dType; } types[] = {
        {LIGHT_SPOT, D3DLIGHT_SPOT}, {LIGHT_DIRECTIONAL, D3DLIGHT_DIRECTIONAL},
        {LIGHT_COUNT, D3DLIGHT_POINT}, {7, D3DLIGHT_POINT}};  // unknown: a point light
    const auto expectColour = [](const D3DCOLORVALUE& held, unsigned a, unsigned r, unsigned g, unsigned b) {
        EXPECT_FLOAT_EQ(held.a, a / 255.0f);
        EXPECT_FLOAT_EQ(held.r, r / 255.0f);
        EXPECT_FLOAT_EQ(held.g, g / 255.0f);
        EXPECT_FLOAT_EQ(held.b, b / 255.0f);
    };
    unsigned step = 0;
    for (const auto& type : types) {
        SCOPED_TRACE(type.hostType);
        const float f = static_cast<float>(++step);
        LightDesc light;
        light.type = type.hostType;
        light.diffuse = 0x80402010u + step * 0x01010101u;
        light.ambient = 0xC0A08060u + step * 0x01010101u;
        light.specular = 0x11223344u + step * 0x01010101u;
        light.range = 100 + f, light.falloff = 1.5f + f, light.theta = 0.5f + f, light.phi = 0.75f + f;
        light.attenuation0 = 0.25f + f, light.attenuation1 = 0.125f + f, light.attenuation2 = 0.0625f + f;
        light.position = Vector3D(1 + f, 2 + f, 3 + f);
        light.direction = Vector3D(4 + f, 5 + f, 6 + f);
        m_pRenderer->SetLight(step, &light);
        D3DLIGHT8 held = {};
        ASSERT_EQ(m_pD3D->GetLight(step, &held), D3D_OK);
        EXPECT_EQ(held.Type, type.d3dType);
        expectColour(held.Diffuse, 0x80 + step, 0x40 + step, 0x20 + step, 0x10 + step);
        expectColour(held.Ambient, 0xC0 + step, 0xA0 + step, 0x80 + step, 0x60 + step);
        expectColour(held.Specular, 0x11 + step, 0x22 + step, 0x33 + step, 0x44 + step);
        EXPECT_EQ(held.Range, 100 + f);
        EXPECT_EQ(held.Falloff, 1.5f + f);
        EXPECT_EQ(held.Theta, 0.5f + f);
        EXPECT_EQ(held.Phi, 0.75f + f);
        EXPECT_EQ(held.Attenuation0, 0.25f + f);
        EXPECT_EQ(held.Attenuation1, 0.125f + f);
        EXPECT_EQ(held.Attenuation2, 0.0625f + f);
        const float where[] = {held.Position.x, held.Position.y, held.Position.z,
                               held.Direction.x, held.Direction.y, held.Direction.z};
        for (int k = 0; k < 6; ++k) EXPECT_EQ(where[k], k + 1 + f) << k;
        // Odd lights on, even ones off.
        m_pRenderer->EnableLight(step, step % 2 == 1);
        BOOL enabled = -1;
        m_pD3D->GetLightEnable(step, &enabled);
        EXPECT_EQ(enabled, step % 2 == 1 ? TRUE : FALSE);
    }
    // No description: the device is asked for the light with none, and
    // refuses, keeping the light it has.
    m_pRenderer->SetLight(1, nullptr);
    const orvplatform::Call cleared = CallsOf("IDirect3DDevice8::SetLight").back();
    EXPECT_EQ(cleared.args[0], 1u);
    EXPECT_EQ(cleared.args[1], 0u);
    D3DLIGHT8 kept = {};
    EXPECT_EQ(m_pD3D->GetLight(1, &kept), D3D_OK);
    EXPECT_EQ(kept.Type, D3DLIGHT_SPOT);
}

}  // namespace

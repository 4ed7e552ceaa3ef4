// The Direct3D object: creation, adapters and modes, format checks, caps and
// device creation with its failures, display-mode switches and injection.
#include <cstring>

#include "D3D8Fixture.h"

using orvd3d8::Adapter;

namespace {

class D3D8Runtime : public D3D8Fixture {};

TEST(D3D8Create, NullForOtherSdkVersionsOrWhenToldTo) {
    struct Case {
        UINT version;
        bool fails;
        bool expectObject;
    } cases[] = {{D3D_SDK_VERSION, false, true},
                 {D3D_SDK_VERSION - 1, false, false},
                 {D3D_SDK_VERSION + 1, false, false},
                 {D3D_SDK_VERSION, true, false}};
    for (const Case& c : cases) {
        orvplatform::ResetAll();
        orvd3d8::SetCreateFails(c.fails);
        IDirect3D8* d3d = Direct3DCreate8(c.version);
        EXPECT_EQ(d3d != nullptr, c.expectObject) << c.version << " " << c.fails;
        if (d3d) {
            EXPECT_EQ(d3d->Release(), 0u);
        }
        EXPECT_EQ(orvplatform::CountOf("Direct3DCreate8"), 1u);
    }
    orvplatform::ResetAll();
    EXPECT_EQ(orvd3d8::LiveObjectCount(), 0u);
}

TEST_F(D3D8Runtime, AdaptersModesAndIdentifierFollowTheConfiguration) {
    orvd3d8::AdapterConfig second = orvd3d8::DefaultAdapter();
    second.description = "Second adapter";
    second.modes = {{800, 600, 75, D3DFMT_R5G6B5}};
    orvd3d8::SetAdapters({orvd3d8::DefaultAdapter(), second});

    ASSERT_EQ(m_D3D->GetAdapterCount(), 2u);
    D3DADAPTER_IDENTIFIER8 id;
    ASSERT_EQ(m_D3D->GetAdapterIdentifier(1, 0, &id), D3D_OK);
    EXPECT_STREQ(id.Description, "Second adapter");
    EXPECT_EQ(m_D3D->GetAdapterModeCount(1), 1u);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(m_D3D->EnumAdapterModes(1, 0, &mode), D3D_OK);
    EXPECT_EQ(std::memcmp(&mode, &second.modes[0], sizeof mode), 0);

    EXPECT_EQ(m_D3D->GetAdapterIdentifier(2, 0, &id), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_D3D->EnumAdapterModes(1, 1, &mode), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_D3D->GetAdapterDisplayMode(5, &mode), D3DERR_INVALIDCALL);
}

TEST_F(D3D8Runtime, CheckDeviceTypeNeedsTheDeviceTypeAndADisplayMode) {
    struct Case {
        bool hal;
        D3DDEVTYPE type;
        D3DFORMAT display, backBuffer;
        HRESULT expected;
    } cases[] = {
        {true, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3D_OK},
        {true, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, D3D_OK},
        {false, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DERR_NOTAVAILABLE},
        {false, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3D_OK},
        {true, D3DDEVTYPE_HAL, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, D3DERR_NOTAVAILABLE},
        {true, D3DDEVTYPE_HAL, D3DFMT_P8, D3DFMT_P8, D3DERR_NOTAVAILABLE},
        {true, D3DDEVTYPE_HAL, D3DFMT_X1R5G5B5, D3DFMT_X1R5G5B5, D3DERR_NOTAVAILABLE},
        {true, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DERR_NOTAVAILABLE},
    };
    for (const Case& c : cases) {
        Adapter(0).halAvailable = c.hal;
        EXPECT_EQ(m_D3D->CheckDeviceType(0, c.type, c.display, c.backBuffer, FALSE), c.expected)
            << c.type << " " << c.display << " " << c.backBuffer;
    }
    EXPECT_EQ(m_D3D->CheckDeviceType(1, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE),
              D3DERR_INVALIDCALL);
}

TEST_F(D3D8Runtime, CheckDeviceFormatUsesTheAdaptersFormatLists) {
    Adapter(0).textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_DXT1};
    Adapter(0).depthFormats = {D3DFMT_D24S8};
    struct Case {
        DWORD usage;
        D3DRESOURCETYPE type;
        D3DFORMAT format;
        HRESULT expected;
    } cases[] = {
        {0, D3DRTYPE_TEXTURE, D3DFMT_DXT1, D3D_OK},
        {0, D3DRTYPE_TEXTURE, D3DFMT_A4R4G4B4, D3DERR_NOTAVAILABLE},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, D3D_OK},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16, D3DERR_NOTAVAILABLE},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE, D3DFMT_X8R8G8B8, D3D_OK},
        {0, D3DRTYPE_CUBETEXTURE, D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            m_D3D->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, c.usage, c.type, c.format),
            c.expected)
            << c.usage << " " << c.type << " " << c.format;
    for (D3DFORMAT depth : {D3DFMT_D24S8, D3DFMT_D16})
        EXPECT_EQ(m_D3D->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                                D3DFMT_X8R8G8B8, depth),
                  depth == D3DFMT_D24S8 ? D3D_OK : D3DERR_NOTAVAILABLE);
}

TEST_F(D3D8Runtime, CapsComeFromTheAdapterAndTheDeviceReportsTheSame) {
    Adapter(0).maxSimultaneousTextures = 2;
    Adapter(0).maxTextureHeight = 128;
    D3DCAPS8 caps, deviceCaps;
    ASSERT_EQ(m_D3D->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.MaxSimultaneousTextures, 2u);
    EXPECT_EQ(caps.MaxTextureHeight, 128u);
    ASSERT_NE(Device(), nullptr);
    ASSERT_EQ(m_Device->GetDeviceCaps(&deviceCaps), D3D_OK);
    EXPECT_EQ(std::memcmp(&caps, &deviceCaps, sizeof caps), 0);
}

TEST_F(D3D8Runtime, CreateDeviceRefusesWhatTheAdapterLacksOrBadParameters) {
    D3DPRESENT_PARAMETERS refresh = Windowed(), four = Windowed();
    refresh.FullScreen_RefreshRateInHz = 60;
    four.BackBufferCount = 4;
    const DWORD hw = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    const struct {
        const char* name;
        bool hal, hardwareVertexProcessing;
        D3DDEVTYPE type;
        DWORD behaviour;
        D3DPRESENT_PARAMETERS pp;
        HRESULT expected;
    } cases[] = {
        {"no HAL", false, true, D3DDEVTYPE_HAL, hw, Windowed(), D3DERR_NOTAVAILABLE},
        {"no hardware VP", true, false, D3DDEVTYPE_HAL, hw, Windowed(), D3DERR_NOTAVAILABLE},
        {"two behaviours", true, true, D3DDEVTYPE_HAL, hw | D3DCREATE_MIXED_VERTEXPROCESSING,
         Windowed(), D3DERR_INVALIDCALL},
        {"no behaviour", true, true, D3DDEVTYPE_HAL, 0, Windowed(), D3DERR_INVALIDCALL},
        {"software device", true, true, D3DDEVTYPE_SW, hw, Windowed(), D3DERR_NOTAVAILABLE},
        {"full-screen UNKNOWN", true, true, D3DDEVTYPE_HAL, hw, FullScreen(640, 480, D3DFMT_UNKNOWN),
         D3DERR_INVALIDCALL},
        {"full-screen size not a mode", true, true, D3DDEVTYPE_HAL, hw,
         FullScreen(700, 500, D3DFMT_X8R8G8B8), D3DERR_INVALIDCALL},
        {"windowed with a refresh rate", true, true, D3DDEVTYPE_HAL, hw, refresh,
         D3DERR_INVALIDCALL},
        {"depth format not offered", true, true, D3DDEVTYPE_HAL, hw, Windowed(TRUE, D3DFMT_D15S1),
         D3DERR_INVALIDCALL},
        {"four back buffers", true, true, D3DDEVTYPE_HAL, hw, four, D3DERR_INVALIDCALL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Adapter(0).halAvailable = c.hal;
        Adapter(0).hardwareVertexProcessing = c.hardwareVertexProcessing;
        orvplatform::ClearJournal();
        D3DPRESENT_PARAMETERS pp = c.pp;
        IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(this);
        EXPECT_EQ(m_D3D->CreateDevice(0, c.type, m_Window, c.behaviour, &pp, &device), c.expected);
        EXPECT_EQ(device, nullptr);
        EXPECT_EQ(orvplatform::CountOf("IDirect3D8::CreateDevice"), 1u);
        EXPECT_EQ(orvd3d8::LiveObjectCount(), 1u);
    }
}

TEST_F(D3D8Runtime, ZeroSizedWindowIsRefusedAndAZeroBackBufferTakesTheClientArea) {
    ASSERT_EQ(Create(Windowed()), D3D_OK);
    D3DPRESENT_PARAMETERS used = orvd3d8::PresentParametersOf(m_Device);
    EXPECT_EQ(used.BackBufferWidth, static_cast<UINT>(kWindowWidth));
    EXPECT_EQ(used.BackBufferHeight, static_cast<UINT>(kWindowHeight));
    EXPECT_EQ(used.BackBufferCount, 1u);
    EXPECT_EQ(orvd3d8::LastDevice(), m_Device);
    EXPECT_EQ(m_Device->Release(), 0u);
    m_Device = nullptr;
    EXPECT_EQ(orvd3d8::LastDevice(), nullptr);

    MoveWindow(m_Window, 0, 0, 0, 0, FALSE);
    EXPECT_EQ(Create(Windowed()), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device, nullptr);
}

TEST_F(D3D8Runtime, FullScreenDeviceOwnsTheDisplayModeAndFrontBufferWhileItLives) {
    ASSERT_EQ(Create(FullScreen(640, 480, D3DFMT_R5G6B5)), D3D_OK);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(m_D3D->GetAdapterDisplayMode(0, &mode), D3D_OK);
    const D3DDISPLAYMODE expected = {640, 480, 60, D3DFMT_R5G6B5};
    EXPECT_EQ(std::memcmp(&mode, &expected, sizeof mode), 0);
    RECT desktop;
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &desktop));
    EXPECT_EQ(desktop.right - desktop.left, 640);
    // Presenting replaces the whole front buffer.
    ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    ASSERT_EQ(m_Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    orvd3d8::Image front = orvd3d8::DesktopImage(0);
    ASSERT_EQ(front.width, 640);
    EXPECT_EQ(front.At(0, 0), 0xFF00FF00u);
    EXPECT_EQ(front.At(639, 479), 0xFF00FF00u);

    EXPECT_EQ(m_Device->Release(), 0u);
    m_Device = nullptr;
    ASSERT_EQ(m_D3D->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 1024u);
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &desktop));
    EXPECT_EQ(desktop.right - desktop.left, 1024);
}

TEST_F(D3D8Runtime, InjectedCreateDeviceFailureMakesNoDeviceAndIsJournaled) {
    orvplatform::FailNthCall("IDirect3D8::CreateDevice", 2, D3DERR_DEVICELOST);
    for (HRESULT result : {D3D_OK, D3DERR_DEVICELOST, D3D_OK}) {
        EXPECT_EQ(Create(Windowed()), result);
        EXPECT_EQ(m_Device ? m_Device->Release() : 0u, 0u);
        m_Device = nullptr;
    }
    std::vector<orvplatform::Call> calls = orvplatform::CallsOf("IDirect3D8::CreateDevice");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[1].injected);
    ASSERT_EQ(calls[0].args.size(), 6u);
    EXPECT_EQ(std::vector<uint64_t>(calls[0].args.begin(), calls[0].args.begin() + 4),
              (std::vector<uint64_t>{0, D3DDEVTYPE_HAL, orvplatform::Arg(m_Window),
                                     D3DCREATE_HARDWARE_VERTEXPROCESSING}));

    orvplatform::FailEveryCall("IDirect3D8::GetAdapterCount", E_FAIL);
    EXPECT_EQ(m_D3D->GetAdapterCount(), 0u);
}

}  // namespace

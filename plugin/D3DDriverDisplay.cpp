// Adapters, display modes, device creation and the driver's starting state.
#include <new>

#include "device/ResultName.h"
#include "host/Kernel.h"
#include "host/Window.h"
#include "plugin/D3DDriver.h"
#include "plugin/DisplayFormat.h"
#include "state/RenderStateTranslator.h"
#include "texture/SupportedTextureFormats.h"

namespace {

const char kRule[] = "--------------------------------------";

// Vertex processing in order of preference, with the line that reports it.
struct Behaviour {
    DWORD flags;
    const char* message;
};
constexpr Behaviour kBehaviours[] = {
    {D3DCREATE_HARDWARE_VERTEXPROCESSING, "Hardware vertex processing."},
    {D3DCREATE_MIXED_VERTEXPROCESSING, "Mixed vertex processing."},
    {D3DCREATE_SOFTWARE_VERTEXPROCESSING, "Software vertex processing."},
};
static_assert(sizeof kBehaviours / sizeof kBehaviours[0] == 3, "three kinds of vertex processing");

// Thirty degrees, as the default projection's vertical field of view.
constexpr float kDefaultFovY = 0.5235988f;

}  // namespace

unsigned D3DDriver::GetAdapterCount() { return m_pDirect3D->GetAdapterCount(); }

bool D3DDriver::GetAdapterInfo(unsigned adapter, AdapterInfo* info) {
    if (RefusesNull(info, "GetAdapterInfo", "adapter info")) return false;
    D3DADAPTER_IDENTIFIER8 identifier;
    HRESULT hr = m_pDirect3D->GetAdapterIdentifier(adapter, 0, &identifier);
    if (FAILED(hr)) {
        m_pKernel->LogMessage(
            "D3DDriver::Initialize: m_pDirect3D->GetAdapterIdentifier failed for adapter %d. "
            "(HR:%s)",
            adapter, ResultName(hr));
        return false;
    }
    info->adapter = adapter;
    info->description = identifier.Description;
    return true;
}

unsigned D3DDriver::GetDisplayModeCount(unsigned adapter) {
    return m_pDirect3D->GetAdapterModeCount(adapter);
}

bool D3DDriver::GetDisplayModeInfo(unsigned adapter, unsigned index, DisplayMode* mode) {
    if (RefusesNull(mode, "GetDisplayModeInfo", "display mode")) return false;
    D3DDISPLAYMODE d3dMode;
    if (FAILED(m_pDirect3D->EnumAdapterModes(adapter, index, &d3dMode))) return false;
    mode->adapter = adapter;
    mode->width = d3dMode.Width;
    mode->height = d3dMode.Height;
    mode->refreshRate = d3dMode.RefreshRate;
    mode->bitsPerPixel = display::BitsPerPixelFromFormat(d3dMode.Format);
    mode->windowed = false;
    return true;
}

bool D3DDriver::ValidateDisplayMode(const DisplayMode*) { return true; }

bool D3DDriver::SetDisplayMode(unsigned width, unsigned height, unsigned bitsPerPixel,
                               unsigned refreshRate, unsigned adapter, bool windowed) {
    DisplayMode mode = {};
    mode.adapter = adapter;
    mode.width = width;
    mode.height = height;
    mode.refreshRate = refreshRate;
    mode.bitsPerPixel = bitsPerPixel;
    mode.windowed = windowed;
    return SetDisplayMode(&mode);
}

bool D3DDriver::SetDisplayMode(const DisplayMode* mode) {
    // Refused before anything is closed: the display the host has stays.
    if (RefusesNull(mode, "SetDisplayMode", "display mode")) return false;
    if (m_bInitialised) CloseDisplay();

    m_DisplayMode = *mode;
    m_PresentParams = D3DPRESENT_PARAMETERS();
    const UINT adapter = m_DisplayMode.adapter;
    const bool windowed = m_DisplayMode.windowed;
    Window* window = m_pKernel->m_pWindow;

    D3DFORMAT format;
    if (windowed) {
        window->Resize(m_DisplayMode.width, m_DisplayMode.height);
        // Centred on the desktop; a window larger than the desktop starts
        // left of or above it.
        RECT desktop;
        GetWindowRect(GetDesktopWindow(), &desktop);
        const long x = desktop.right / 2 - static_cast<long>(m_DisplayMode.width) / 2;
        const long y = desktop.bottom / 2 - static_cast<long>(m_DisplayMode.height) / 2;
        window->Reposition(static_cast<unsigned long>(x), static_cast<unsigned long>(y));

        D3DDISPLAYMODE desktopMode;
        HRESULT hr = m_pDirect3D->GetAdapterDisplayMode(adapter, &desktopMode);
        if (FAILED(hr)) {
            m_pKernel->LogMessage(
                "D3DDriver::SetDisplayMode: m_pDirect3D->GetAdapterDisplayMode failed for "
                "adapter %d. (HR:%s)",
                adapter, ResultName(hr));
            return false;
        }
        format = desktopMode.Format;
    } else {
        format = display::FormatFromBitsPerPixel(m_DisplayMode.bitsPerPixel);
    }

    m_PresentParams.BackBufferWidth = m_DisplayMode.width;
    m_PresentParams.BackBufferHeight = m_DisplayMode.height;
    m_PresentParams.BackBufferFormat = format;
    m_PresentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_PresentParams.Windowed = windowed ? TRUE : FALSE;
    m_PresentParams.EnableAutoDepthStencil = TRUE;
    m_PresentParams.AutoDepthStencilFormat = D3DFMT_D16;
    m_PresentParams.FullScreen_RefreshRateInHz = windowed ? 0 : m_DisplayMode.refreshRate;

    m_pKernel->LogMessage("%s", "");
    m_pKernel->LogMessage("%s", kRule);
    m_pKernel->LogMessage(
        "D3D driver - Attempting display switch: Windowed: %d, Width: %d, Height %d, BPP: %d",
        windowed ? 1 : 0, m_DisplayMode.width, m_DisplayMode.height, m_DisplayMode.bitsPerPixel);

    ShowWindow(window->GetHWND(), SW_SHOW);
    SetWindowPos(window->GetHWND(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);

    const D3DDEVTYPE type =
        SUCCEEDED(m_pDirect3D->CheckDeviceType(adapter, D3DDEVTYPE_HAL, format, format, windowed))
            ? D3DDEVTYPE_HAL
            : D3DDEVTYPE_REF;
    if (!CreateDevice(adapter, type)) return false;
    // The process-wide texture-format lists describe the device in use.
    SupportedTextureFormats::Get().Forget();
    m_pKernel->LogMessage(type == D3DDEVTYPE_HAL ? "Using HAL device!" : "Using REF device!");
    m_pKernel->LogMessage("Display initialized.");
    m_pKernel->LogMessage("%s", kRule);
    m_pKernel->LogMessage("%s", "");

    m_pStateTranslator = new (std::nothrow) RenderStateTranslator(m_pDevice);
    if (!m_pStateTranslator) {
        m_pKernel->LogMessage("D3DDriver::SetDisplayMode: Out of memory for the state translator.");
        CloseDisplay();
        return false;
    }
    SetDefaultStates();
    m_pDevice->SetVertexShader(kVertexFVF);
    Clear(true, true, false);

    m_pDebugFont = CreateTextFont("Arial", 12, true, false);
    if (!m_pDebugFont) {
        m_pKernel->LogMessage("Failed to create debug font.");
        CloseDisplay();
        return false;
    }
    m_bInitialised = true;
    SetTextureFilter(m_TextureFilter);
    SetMaterial(nullptr);

    D3DCAPS8 caps = {};
    m_pDevice->GetDeviceCaps(&caps);
    m_MaxSimultaneousTextures = caps.MaxSimultaneousTextures;
    m_MaxActiveLights = caps.MaxActiveLights;
    m_MaxTextureWidth = caps.MaxTextureWidth;
    m_MaxTextureHeight = caps.MaxTextureHeight;
    return true;
}

bool D3DDriver::CreateDevice(UINT adapter, D3DDEVTYPE type) {
    HWND focus = m_pKernel->m_pWindow->GetHWND();
    HRESULT hr = D3DERR_NOTAVAILABLE;
    for (const Behaviour& behaviour : kBehaviours) {
        hr = m_pDirect3D->CreateDevice(adapter, type, focus, behaviour.flags, &m_PresentParams,
                                       &m_pDevice);
        if (SUCCEEDED(hr)) {
            m_pKernel->LogMessage("%s", behaviour.message);
            return true;
        }
        m_pDevice = nullptr;
    }
    m_pKernel->LogMessage("Display switch failed (HR:%s)", ResultName(hr));
    return false;
}

bool D3DDriver::CloseDisplay() {
    if (m_pDebugFont) {
        DestroyTextFont(m_pDebugFont);
        m_pDebugFont = nullptr;
    }
    delete m_pStateTranslator;
    m_pStateTranslator = nullptr;
    if (m_pDevice) {
        m_pDevice->Release();
        m_pDevice = nullptr;
    }
    m_bInitialised = false;
    return true;
}

DisplayMode* D3DDriver::GetDisplayMode(DisplayMode* mode) {
    if (RefusesNull(mode, "GetDisplayMode", "display mode")) return nullptr;
    *mode = m_DisplayMode;
    return mode;
}

void D3DDriver::SetDefaultStates() {
    SetClearColor(ToD3DColor(Color(0.0f, 0.0f, 0.0f, 1.0f)));
    SetClearDepth(1.0f);
    SetClearStencil(0);
    SetLighting(false);
    SetAlphaBlendEnable(true);
    SetZEnable(true);
    SetZFunc(COMPARE_LESSEQUAL);
    SetRenderState(RENDERSTATE_SRCBLEND, BLEND_SRCALPHA);
    SetRenderState(RENDERSTATE_DESTBLEND, BLEND_INVSRCALPHA);
    SetTextureStageState(0, TEXTURESTATE_COLOROP, TEXTUREOP_MODULATE);
    SetTextureStageState(0, TEXTURESTATE_COLORARG1, TEXTUREARG_TEXTURE);
    SetTextureStageState(0, TEXTURESTATE_COLORARG2, TEXTUREARG_DIFFUSE);
    SetTextureStageState(0, TEXTURESTATE_ALPHAOP, TEXTUREOP_SELECTARG1);
    SetTexture(0, nullptr);
    SetShadeMode(SHADE_GOURAUD);
    SetFillMode(FILL_SOLID);
    const float aspect =
        static_cast<float>(m_DisplayMode.width) / static_cast<float>(m_DisplayMode.height);
    Matrix3D projection = BuildPerspectiveMatrix(kDefaultFovY, aspect);
    SetProjectionMatrix(&projection);
    Matrix3D identity;
    SetWorldMatrix(&identity);
    SetViewMatrix(&identity);
}

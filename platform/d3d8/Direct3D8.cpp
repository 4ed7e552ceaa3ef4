#include "Direct3D8.h"

#include <algorithm>
#include <cstring>

#include "ComSupport.h"
#include "DefaultStates.h"
#include "Device8.h"
#include "Journal.h"
#include "PixelFormat.h"
#include "Runtime.h"

namespace orvd3d8 {
namespace {

bool Contains(const std::vector<D3DFORMAT>& formats, D3DFORMAT format) {
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

bool HasModeIn(const AdapterConfig& config, D3DFORMAT format) {
    return std::any_of(config.modes.begin(), config.modes.end(),
                       [format](const D3DDISPLAYMODE& mode) { return mode.Format == format; });
}

// A back buffer may carry alpha the display format lacks, nothing more.
bool BackBufferMatches(D3DFORMAT display, D3DFORMAT backBuffer) {
    return backBuffer == display || (display == D3DFMT_X8R8G8B8 && backBuffer == D3DFMT_A8R8G8B8) ||
           (display == D3DFMT_X1R5G5B5 && backBuffer == D3DFMT_A1R5G5B5);
}

// The vertex-processing behaviour flags and whether the adapter offers each.
struct Behaviour {
    DWORD flag;
    bool AdapterConfig::*available;
};
constexpr Behaviour kBehaviours[] = {
    {D3DCREATE_HARDWARE_VERTEXPROCESSING, &AdapterConfig::hardwareVertexProcessing},
    {D3DCREATE_MIXED_VERTEXPROCESSING, &AdapterConfig::mixedVertexProcessing},
    {D3DCREATE_SOFTWARE_VERTEXPROCESSING, &AdapterConfig::softwareVertexProcessing},
};
static_assert(std::size(kBehaviours) == 3, "hardware, mixed and software vertex processing");

HRESULT CheckBehaviour(const AdapterConfig& config, DWORD behaviour) {
    const Behaviour* chosen = nullptr;
    for (const Behaviour& candidate : kBehaviours)
        if (behaviour & candidate.flag) {
            if (chosen) return D3DERR_INVALIDCALL;  // more than one
            chosen = &candidate;
        }
    if (!chosen) return D3DERR_INVALIDCALL;
    if ((behaviour & D3DCREATE_PUREDEVICE) && chosen->flag != D3DCREATE_HARDWARE_VERTEXPROCESSING)
        return D3DERR_INVALIDCALL;
    return config.*(chosen->available) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

void CopyString(char* destination, const std::string& source) {
    size_t length = std::min(source.size(), size_t{MAX_DEVICE_IDENTIFIER_STRING - 1});
    std::memcpy(destination, source.data(), length);
    destination[length] = '\0';
}

}  // namespace

Direct3D8::Direct3D8() { StartLife(); }

HRESULT Direct3D8::CheckType(const AdapterConfig& config, D3DDEVTYPE type) {
    switch (type) {
        case D3DDEVTYPE_HAL: return config.halAvailable ? D3D_OK : D3DERR_NOTAVAILABLE;
        case D3DDEVTYPE_REF: return config.refAvailable ? D3D_OK : D3DERR_NOTAVAILABLE;
        default: return D3DERR_NOTAVAILABLE;  // no software device is ever registered
    }
}

D3DCAPS8 Direct3D8::Caps(UINT adapter, D3DDEVTYPE type, const AdapterConfig& config) {
    D3DCAPS8 caps = {};
    caps.DeviceType = type;
    caps.AdapterOrdinal = adapter;
    caps.Caps2 = D3DCAPS2_CANRENDERWINDOWED | D3DCAPS2_FULLSCREENGAMMA | D3DCAPS2_DYNAMICTEXTURES;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    caps.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_EXECUTEVIDEOMEMORY |
                   D3DDEVCAPS_TLVERTEXSYSTEMMEMORY | D3DDEVCAPS_TLVERTEXVIDEOMEMORY |
                   D3DDEVCAPS_TEXTURESYSTEMMEMORY | D3DDEVCAPS_TEXTUREVIDEOMEMORY |
                   D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP |
                   D3DDEVCAPS_DRAWPRIMITIVES2 | D3DDEVCAPS_DRAWPRIMITIVES2EX |
                   D3DDEVCAPS_HWRASTERIZATION;
    if (config.hardwareVertexProcessing)
        caps.DevCaps |= D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
    caps.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                             D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE |
                             D3DPMISCCAPS_BLENDOP;
    caps.RasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX |
                      D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_MIPMAPLODBIAS |
                      D3DPRASTERCAPS_ZBIAS | D3DPRASTERCAPS_FOGRANGE | D3DPRASTERCAPS_ANISOTROPY |
                      D3DPRASTERCAPS_WFOG | D3DPRASTERCAPS_ZFOG;
    caps.ZCmpCaps = caps.AlphaCmpCaps = (D3DPCMPCAPS_ALWAYS << 1) - 1;
    caps.SrcBlendCaps = caps.DestBlendCaps = (D3DPBLENDCAPS_BOTHINVSRCALPHA << 1) - 1;
    caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                     D3DPSHADECAPS_ALPHAGOURAUDBLEND | D3DPSHADECAPS_FOGGOURAUD;
    // No cube or volume textures: CreateCubeTexture and CreateVolumeTexture refuse.
    caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA |
                       D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_PROJECTED |
                       D3DPTEXTURECAPS_TEXREPEATNOTSCALEDBYSIZE;
    caps.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                             D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MIPFPOINT |
                             D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT |
                             D3DPTFILTERCAPS_MAGFLINEAR | D3DPTFILTERCAPS_MAGFANISOTROPIC;
    caps.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR |
                              D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_BORDER |
                              D3DPTADDRESSCAPS_INDEPENDENTUV | D3DPTADDRESSCAPS_MIRRORONCE;
    caps.LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND |
                    D3DLINECAPS_ALPHACMP | D3DLINECAPS_FOG;
    caps.MaxTextureWidth = config.maxTextureWidth;
    caps.MaxTextureHeight = config.maxTextureHeight;
    caps.MaxTextureRepeat = 8192;
    caps.MaxTextureAspectRatio = std::max(config.maxTextureWidth, config.maxTextureHeight);
    caps.MaxAnisotropy = 16;
    caps.MaxVertexW = 1e10f;
    caps.GuardBandLeft = caps.GuardBandTop = -32768.0f;
    caps.GuardBandRight = caps.GuardBandBottom = 32768.0f;
    caps.StencilCaps = (D3DSTENCILCAPS_DECR << 1) - 1;
    caps.FVFCaps = D3DDP_MAXTEXCOORD;
    caps.TextureOpCaps = (D3DTEXOPCAPS_LERP << 1) - 1;
    caps.MaxTextureBlendStages = Device8::kMaxStages;
    caps.MaxSimultaneousTextures = config.maxSimultaneousTextures;
    caps.VertexProcessingCaps = D3DVTXPCAPS_TEXGEN | D3DVTXPCAPS_MATERIALSOURCE7 |
                                D3DVTXPCAPS_DIRECTIONALLIGHTS | D3DVTXPCAPS_POSITIONALLIGHTS |
                                D3DVTXPCAPS_LOCALVIEWER;
    caps.MaxActiveLights = config.maxActiveLights;
    caps.MaxUserClipPlanes = Device8::kMaxClipPlanes;
    caps.MaxVertexBlendMatrices = 4;
    caps.MaxPointSize = DefaultStates::kMaxPointSize;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFF;
    caps.MaxStreams = Device8::kMaxStreams;
    caps.MaxStreamStride = 255;
    // Fixed function only: no vertex or pixel shader versions.
    return caps;
}

HRESULT Direct3D8::ValidatePresentation(UINT adapter, HWND focusWindow,
                                        D3DPRESENT_PARAMETERS& parameters) {
    const AdapterConfig& config = Runtime::Get().AdapterOf(adapter);
    if (parameters.BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX) return D3DERR_INVALIDCALL;
    if (parameters.BackBufferCount == 0) parameters.BackBufferCount = 1;
    if (parameters.SwapEffect < D3DSWAPEFFECT_DISCARD ||
        parameters.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC)
        return D3DERR_INVALIDCALL;
    if (parameters.SwapEffect >= D3DSWAPEFFECT_COPY && parameters.BackBufferCount > 1)
        return D3DERR_INVALIDCALL;
    if (parameters.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
    HWND window = parameters.hDeviceWindow ? parameters.hDeviceWindow : focusWindow;
    if (!window) return D3DERR_INVALIDCALL;
    if (parameters.EnableAutoDepthStencil &&
        !Contains(config.depthFormats, parameters.AutoDepthStencilFormat))
        return D3DERR_INVALIDCALL;

    if (parameters.Windowed) {
        if (parameters.FullScreen_RefreshRateInHz != 0) return D3DERR_INVALIDCALL;
        if (parameters.BackBufferFormat == D3DFMT_UNKNOWN)
            parameters.BackBufferFormat = config.desktop.Format;
        if (!PixelFormat::IsDisplayable(parameters.BackBufferFormat)) return D3DERR_INVALIDCALL;
        // A zero size takes the window's client area.
        if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0) {
            RECT client = {0, 0, 0, 0};
            if (!GetClientRect(window, &client)) return D3DERR_INVALIDCALL;
            if (parameters.BackBufferWidth == 0)
                parameters.BackBufferWidth =
                    static_cast<UINT>(std::max(0, client.right - client.left));
            if (parameters.BackBufferHeight == 0)
                parameters.BackBufferHeight =
                    static_cast<UINT>(std::max(0, client.bottom - client.top));
        }
        if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0)
            return D3DERR_INVALIDCALL;
        return D3D_OK;
    }

    bool listed = std::any_of(
        config.modes.begin(), config.modes.end(), [&parameters](const D3DDISPLAYMODE& mode) {
            return mode.Width == parameters.BackBufferWidth &&
                   mode.Height == parameters.BackBufferHeight &&
                   mode.Format == parameters.BackBufferFormat &&
                   (parameters.FullScreen_RefreshRateInHz == 0 ||
                    mode.RefreshRate == parameters.FullScreen_RefreshRateInHz);
        });
    return listed ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Direct3D8::QueryInterface(REFIID riid, void** object) {
    return QueryAmong(this, riid, object, {&IID_IUnknown, &IID_IDirect3D8});
}

HRESULT Direct3D8::RegisterSoftwareDevice(void* initializeFunction) {
    ORV_CALL("IDirect3D8::RegisterSoftwareDevice", J(initializeFunction));
    return scope.Finish(D3DERR_NOTAVAILABLE);
}

UINT Direct3D8::GetAdapterCount() {
    ORV_CALL_OR(0, "IDirect3D8::GetAdapterCount");
    return static_cast<UINT>(Runtime::Get().Adapters().size());
}

HRESULT Direct3D8::GetAdapterIdentifier(UINT adapter, DWORD flags,
                                        D3DADAPTER_IDENTIFIER8* identifier) {
    ORV_CALL("IDirect3D8::GetAdapterIdentifier", J(adapter), J(flags), J(identifier));
    const AdapterConfig* config = Runtime::Get().FindAdapter(adapter);
    if (!config || !identifier) return scope.Finish(D3DERR_INVALIDCALL);
    *identifier = D3DADAPTER_IDENTIFIER8{};
    CopyString(identifier->Driver, config->driver);
    CopyString(identifier->Description, config->description);
    identifier->DriverVersion.QuadPart = 0x0004000800000001LL;
    identifier->DeviceId = adapter + 1;
    identifier->DeviceIdentifier.Data1 = 0x4F525644u + adapter;
    identifier->WHQLLevel = (flags & D3DENUM_NO_WHQL_LEVEL) ? 0 : 1;
    return scope.Finish(D3D_OK);
}

UINT Direct3D8::GetAdapterModeCount(UINT adapter) {
    ORV_CALL_OR(0, "IDirect3D8::GetAdapterModeCount", J(adapter));
    const AdapterConfig* config = Runtime::Get().FindAdapter(adapter);
    return config ? static_cast<UINT>(config->modes.size()) : 0;
}

HRESULT Direct3D8::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* modeOut) {
    ORV_CALL("IDirect3D8::EnumAdapterModes", J(adapter), J(mode), J(modeOut));
    const AdapterConfig* config = Runtime::Get().FindAdapter(adapter);
    if (!config || !modeOut || mode >= config->modes.size())
        return scope.Finish(D3DERR_INVALIDCALL);
    *modeOut = config->modes[mode];
    return scope.Finish(D3D_OK);
}

HRESULT Direct3D8::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    ORV_CALL("IDirect3D8::GetAdapterDisplayMode", J(adapter), J(mode));
    const AdapterConfig* config = Runtime::Get().FindAdapter(adapter);
    if (!config || !mode) return scope.Finish(D3DERR_INVALIDCALL);
    *mode = config->desktop;
    return scope.Finish(D3D_OK);
}

HRESULT Direct3D8::CheckDeviceType(UINT adapter, D3DDEVTYPE checkType, D3DFORMAT displayFormat,
                                   D3DFORMAT backBufferFormat, BOOL windowed) {
    ORV_CALL("IDirect3D8::CheckDeviceType", J(adapter), J(checkType), J(displayFormat),
             J(backBufferFormat), J(windowed));
    const AdapterConfig* config = Runtime::Get().FindAdapter(adapter);
    if (!config) return scope.Finish(D3DERR_INVALIDCALL);
    HRESULT type = CheckType(*config, checkType);
    if (FAILED(type)) return scope.Finish(type);
    if (displayFormat == D3DFMT_UNKNOWN || !HasModeIn(*config, displayFormat) ||
        !BackBufferMatches(displayFormat, backBufferFormat))
        return scope.Finish(D3DERR_NOTAVAILABLE);
    return scope.Finish(D3D_OK);
}

HRESULT Direct3D8::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                     DWORD usage, D3DRESOURCETYPE resourceType,
                                     D3DFORMAT checkFormat) {
    ORV_CALL("IDirect3D8::CheckDeviceFormat", J(adapter), J(deviceType), J(adapterFormat), J(usage),
             J(resourceType), J(checkFormat));
    const AdapterConfig* config = Runtime::Get().FindAdapter(adapter);
    if (!config) return scope.Finish(D3DERR_INVALIDCALL);
    HRESULT type = CheckType(*config, deviceType);
    if (FAILED(type)) return scope.Finish(type);
    if (!HasModeIn(*config, adapterFormat)) return scope.Finish(D3DERR_NOTAVAILABLE);

    bool supported = false;
    if (usage & D3DUSAGE_DEPTHSTENCIL) {
        supported = (resourceType == D3DRTYPE_SURFACE || resourceType == D3DRTYPE_TEXTURE) &&
                    Contains(config->depthFormats, checkFormat);
    } else if (usage & D3DUSAGE_RENDERTARGET) {
        supported = (resourceType == D3DRTYPE_SURFACE || resourceType == D3DRTYPE_TEXTURE) &&
                    PixelFormat::IsDisplayable(checkFormat);
    } else {
        switch (resourceType) {
            case D3DRTYPE_TEXTURE: supported = Contains(config->textureFormats, checkFormat); break;
            case D3DRTYPE_SURFACE:
                supported = Contains(config->textureFormats, checkFormat) ||
                            PixelFormat::IsDisplayable(checkFormat);
                break;
            case D3DRTYPE_VERTEXBUFFER: supported = checkFormat == D3DFMT_VERTEXDATA; break;
            case D3DRTYPE_INDEXBUFFER:
                supported = checkFormat == D3DFMT_INDEX16 || checkFormat == D3DFMT_INDEX32;
                break;
            default: break;  // no cube or volume textures
        }
    }
    return scope.Finish(supported ? D3D_OK : D3DERR_NOTAVAILABLE);
}

HRESULT Direct3D8::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                              D3DFORMAT surfaceFormat, BOOL windowed,
                                              D3DMULTISAMPLE_TYPE multiSampleType) {
    ORV_CALL("IDirect3D8::CheckDeviceMultiSampleType", J(adapter), J(deviceType), J(surfaceFormat),
             J(windowed), J(multiSampleType));
    const AdapterConfig* config = Runtime::Get().FindAdapter(adapter);
    if (!config) return scope.Finish(D3DERR_INVALIDCALL);
    HRESULT type = CheckType(*config, deviceType);
    if (FAILED(type)) return scope.Finish(type);
    return scope.Finish(multiSampleType == D3DMULTISAMPLE_NONE ? D3D_OK : D3DERR_NOTAVAILABLE);
}

HRESULT Direct3D8::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType,
                                          D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                          D3DFORMAT depthStencilFormat) {
    ORV_CALL("IDirect3D8::CheckDepthStencilMatch", J(adapter), J(deviceType), J(adapterFormat),
             J(renderTargetFormat), J(depthStencilFormat));
    const AdapterConfig* config = Runtime::Get().FindAdapter(adapter);
    if (!config) return scope.Finish(D3DERR_INVALIDCALL);
    HRESULT type = CheckType(*config, deviceType);
    if (FAILED(type)) return scope.Finish(type);
    bool match = HasModeIn(*config, adapterFormat) &&
                 PixelFormat::IsDisplayable(renderTargetFormat) &&
                 Contains(config->depthFormats, depthStencilFormat);
    return scope.Finish(match ? D3D_OK : D3DERR_NOTAVAILABLE);
}

HRESULT Direct3D8::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps) {
    ORV_CALL("IDirect3D8::GetDeviceCaps", J(adapter), J(deviceType), J(caps));
    const AdapterConfig* config = Runtime::Get().FindAdapter(adapter);
    if (!config || !caps) return scope.Finish(D3DERR_INVALIDCALL);
    HRESULT type = CheckType(*config, deviceType);
    if (FAILED(type)) return scope.Finish(type);
    *caps = Caps(adapter, deviceType, *config);
    return scope.Finish(D3D_OK);
}

HMONITOR Direct3D8::GetAdapterMonitor(UINT adapter) {
    ORV_CALL_OR(nullptr, "IDirect3D8::GetAdapterMonitor", J(adapter));
    if (!Runtime::Get().FindAdapter(adapter)) return nullptr;
    // A token only: nothing in the stand-ins looks monitors up.
    return reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(adapter) + 1);
}

HRESULT Direct3D8::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                DWORD behaviorFlags, D3DPRESENT_PARAMETERS* presentationParameters,
                                IDirect3DDevice8** returnedDevice) {
    ORV_CALL("IDirect3D8::CreateDevice", J(adapter), J(deviceType), J(focusWindow),
             J(behaviorFlags), J(presentationParameters), J(returnedDevice));
    if (!returnedDevice) return scope.Finish(D3DERR_INVALIDCALL);
    *returnedDevice = nullptr;
    const AdapterConfig* config = Runtime::Get().FindAdapter(adapter);
    if (!config || !presentationParameters) return scope.Finish(D3DERR_INVALIDCALL);
    HRESULT result = CheckType(*config, deviceType);
    if (SUCCEEDED(result)) result = CheckBehaviour(*config, behaviorFlags);
    D3DPRESENT_PARAMETERS parameters = *presentationParameters;
    if (SUCCEEDED(result)) result = ValidatePresentation(adapter, focusWindow, parameters);
    if (FAILED(result)) return scope.Finish(result);

    // Like the real runtime, hand back what was filled in.
    *presentationParameters = parameters;
    *returnedDevice =
        new Device8(this, adapter, deviceType, focusWindow, behaviorFlags, parameters);
    return scope.Finish(D3D_OK);
}

}  // namespace orvd3d8

extern "C" IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
    using orvd3d8::J;
    ORV_CALL_OR(nullptr, "Direct3DCreate8", J(sdkVersion));
    if (sdkVersion != D3D_SDK_VERSION || orvd3d8::Runtime::Get().CreateFails()) return nullptr;
    return new orvd3d8::Direct3D8();
}

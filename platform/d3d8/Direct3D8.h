// IDirect3D8: the adapters the tests configured, their modes, format checks,
// capabilities and device creation.
#pragma once

#include <orv/D3D8Control.h>

#include "LiveObject.h"

namespace orvd3d8 {

class Direct3D8 final : public IDirect3D8, public LiveObject {
public:
    Direct3D8();  // starts with one reference

    // What GetDeviceCaps reports for a device of `type` on `adapter`.
    static D3DCAPS8 Caps(UINT adapter, D3DDEVTYPE type, const AdapterConfig& config);
    std::string Describe() const override { return "IDirect3D8"; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddPublic(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleasePublic(); }

    HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void* initializeFunction) override;
    UINT STDMETHODCALLTYPE GetAdapterCount() override;
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags,
                                                   D3DADAPTER_IDENTIFIER8* identifier) override;
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter) override;
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, UINT mode,
                                               D3DDISPLAYMODE* modeOut) override;
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE checkType,
                                              D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                                              BOOL windowed) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType,
                                                D3DFORMAT adapterFormat, DWORD usage,
                                                D3DRESOURCETYPE resourceType,
                                                D3DFORMAT checkFormat) override;
    HRESULT STDMETHODCALLTYPE
    CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT surfaceFormat,
                               BOOL windowed, D3DMULTISAMPLE_TYPE multiSampleType) override;
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType,
                                                     D3DFORMAT adapterFormat,
                                                     D3DFORMAT renderTargetFormat,
                                                     D3DFORMAT depthStencilFormat) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType,
                                            D3DCAPS8* caps) override;
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override;
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                           DWORD behaviorFlags,
                                           D3DPRESENT_PARAMETERS* presentationParameters,
                                           IDirect3DDevice8** returnedDevice) override;

    // The checks CreateDevice and Reset share: completes `parameters` (back
    // buffer count, a windowed back buffer's size and format) or tells why
    // they cannot be used on `adapter`.
    static HRESULT ValidatePresentation(UINT adapter, HWND focusWindow,
                                        D3DPRESENT_PARAMETERS& parameters);

private:
    static HRESULT CheckType(const AdapterConfig& config, D3DDEVTYPE type);
};

}  // namespace orvd3d8

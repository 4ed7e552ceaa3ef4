// Direct3D 8 for the Linux build: the runtime's COM interfaces as abstract
// classes with the method order and signatures of the Windows SDK (so the
// virtual tables line up), the result codes, creation flags and the entry
// point. The stand-in runtime behind it lives in platform/d3d8.
#pragma once

#ifndef DIRECT3D_VERSION
#define DIRECT3D_VERSION 0x0800
#endif

#include <windows.h>

#include <d3d8types.h>
#include <d3d8caps.h>

#define ORV_D3D8_API __attribute__((visibility("default")))

#define D3D_SDK_VERSION 220

// ---- IDirect3D8::CreateDevice behaviour flags ---------------------------------
#define D3DCREATE_FPU_PRESERVE 0x00000002
#define D3DCREATE_MULTITHREADED 0x00000004
#define D3DCREATE_PUREDEVICE 0x00000010
#define D3DCREATE_SOFTWARE_VERTEXPROCESSING 0x00000020
#define D3DCREATE_HARDWARE_VERTEXPROCESSING 0x00000040
#define D3DCREATE_MIXED_VERTEXPROCESSING 0x00000080
#define D3DCREATE_DISABLE_DRIVER_MANAGEMENT 0x00000100

#define D3DADAPTER_DEFAULT 0
#define D3DENUM_NO_WHQL_LEVEL 0x00000002
#define D3DCURRENT_DISPLAY_MODE 0x00EFFFFF
#define D3DSPD_IUNKNOWN 0x00000001
#define D3DSGR_NO_CALIBRATION 0x00000000
#define D3DSGR_CALIBRATE 0x00000001
#define D3DCURSOR_IMMEDIATE_UPDATE 0x00000001

// ---- Result codes ----------------------------------------------------------------
#define _FACD3D 0x876
#define MAKE_D3DHRESULT(code) MAKE_HRESULT(1, _FACD3D, code)
#define MAKE_D3DSTATUS(code) MAKE_HRESULT(0, _FACD3D, code)

#define D3D_OK S_OK
#define D3DERR_OUTOFVIDEOMEMORY MAKE_D3DHRESULT(380)
#define D3DERR_WRONGTEXTUREFORMAT MAKE_D3DHRESULT(2072)
#define D3DERR_UNSUPPORTEDCOLOROPERATION MAKE_D3DHRESULT(2073)
#define D3DERR_UNSUPPORTEDCOLORARG MAKE_D3DHRESULT(2074)
#define D3DERR_UNSUPPORTEDALPHAOPERATION MAKE_D3DHRESULT(2075)
#define D3DERR_UNSUPPORTEDALPHAARG MAKE_D3DHRESULT(2076)
#define D3DERR_TOOMANYOPERATIONS MAKE_D3DHRESULT(2077)
#define D3DERR_CONFLICTINGTEXTUREFILTER MAKE_D3DHRESULT(2078)
#define D3DERR_UNSUPPORTEDFACTORVALUE MAKE_D3DHRESULT(2079)
#define D3DERR_CONFLICTINGRENDERSTATE MAKE_D3DHRESULT(2081)
#define D3DERR_UNSUPPORTEDTEXTUREFILTER MAKE_D3DHRESULT(2082)
#define D3DERR_CONFLICTINGTEXTUREPALETTE MAKE_D3DHRESULT(2086)
#define D3DERR_DRIVERINTERNALERROR MAKE_D3DHRESULT(2087)
#define D3DERR_NOTFOUND MAKE_D3DHRESULT(2150)
#define D3DERR_MOREDATA MAKE_D3DHRESULT(2151)
#define D3DERR_DEVICELOST MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE MAKE_D3DHRESULT(2154)
#define D3DERR_INVALIDDEVICE MAKE_D3DHRESULT(2155)
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)
#define D3DERR_DRIVERINVALIDCALL MAKE_D3DHRESULT(2157)

static_assert(D3DERR_INVALIDCALL == (HRESULT)0x8876086C, "facility 0x876, code 2156");
static_assert(D3DERR_DEVICELOST == (HRESULT)0x88760868, "facility 0x876, code 2152");

// ---- Interface identifiers ---------------------------------------------------------
inline const IID IID_IDirect3D8 = {0x1DD9E8DA, 0x1C77, 0x4D40, {0xB0, 0xCF, 0x98, 0xFE, 0xFD, 0xFF, 0x95, 0x12}};
inline const IID IID_IDirect3DDevice8 = {0x7385E5DF, 0x8FE8, 0x41D5, {0x86, 0xB6, 0xD7, 0xB4, 0x85, 0x47, 0xB6, 0xCF}};
inline const IID IID_IDirect3DResource8 = {0x1B36BB7B, 0x09B7, 0x410A, {0xB4, 0x45, 0x7D, 0x14, 0x30, 0xD7, 0xB3, 0x3F}};
inline const IID IID_IDirect3DBaseTexture8 = {0xB4211CFA, 0x51B9, 0x4A9F, {0xAB, 0x78, 0xDB, 0x99, 0xB2, 0xBB, 0x67, 0x8E}};
inline const IID IID_IDirect3DTexture8 = {0xE4CDD575, 0x2866, 0x4F01, {0xB1, 0x2E, 0x7E, 0xEC, 0xE1, 0xEC, 0x93, 0x58}};
inline const IID IID_IDirect3DCubeTexture8 = {0x3EE5B968, 0x2ACA, 0x4C34, {0x8B, 0xB5, 0x7E, 0x0C, 0x3D, 0x19, 0xB7, 0x50}};
inline const IID IID_IDirect3DVolumeTexture8 = {0x4B8AAAFA, 0x140F, 0x42BA, {0x91, 0x31, 0x59, 0x7E, 0xAF, 0xAA, 0x2E, 0xAD}};
inline const IID IID_IDirect3DVertexBuffer8 = {0x8AEEEAC7, 0x05F9, 0x44D4, {0xB5, 0x91, 0x00, 0x0B, 0x0D, 0xF1, 0xCB, 0x95}};
inline const IID IID_IDirect3DIndexBuffer8 = {0x0E689C9A, 0x053D, 0x44A0, {0x9D, 0x92, 0xDB, 0x0E, 0x3D, 0x75, 0x0F, 0x86}};
inline const IID IID_IDirect3DSurface8 = {0xB96EEBCA, 0xB326, 0x4EA5, {0x88, 0x2F, 0x2F, 0xF5, 0xBA, 0xE0, 0x21, 0xDD}};
inline const IID IID_IDirect3DVolume8 = {0xBD7349F5, 0x14F1, 0x42E4, {0x9C, 0x79, 0x97, 0x23, 0x80, 0xDB, 0x40, 0xC0}};
inline const IID IID_IDirect3DSwapChain8 = {0x928C088B, 0x76B9, 0x4C6B, {0xA5, 0x36, 0xA5, 0x90, 0x85, 0x38, 0x76, 0xCD}};

struct IDirect3D8;
struct IDirect3DDevice8;
struct IDirect3DResource8;
struct IDirect3DBaseTexture8;
struct IDirect3DTexture8;
struct IDirect3DCubeTexture8;
struct IDirect3DVolumeTexture8;
struct IDirect3DVertexBuffer8;
struct IDirect3DIndexBuffer8;
struct IDirect3DSurface8;
struct IDirect3DVolume8;
struct IDirect3DSwapChain8;

typedef IDirect3D8 *LPDIRECT3D8, *PDIRECT3D8;
typedef IDirect3DDevice8 *LPDIRECT3DDEVICE8, *PDIRECT3DDEVICE8;
typedef IDirect3DResource8 *LPDIRECT3DRESOURCE8, *PDIRECT3DRESOURCE8;
typedef IDirect3DBaseTexture8 *LPDIRECT3DBASETEXTURE8, *PDIRECT3DBASETEXTURE8;
typedef IDirect3DTexture8 *LPDIRECT3DTEXTURE8, *PDIRECT3DTEXTURE8;
typedef IDirect3DCubeTexture8 *LPDIRECT3DCUBETEXTURE8, *PDIRECT3DCUBETEXTURE8;
typedef IDirect3DVolumeTexture8 *LPDIRECT3DVOLUMETEXTURE8, *PDIRECT3DVOLUMETEXTURE8;
typedef IDirect3DVertexBuffer8 *LPDIRECT3DVERTEXBUFFER8, *PDIRECT3DVERTEXBUFFER8;
typedef IDirect3DIndexBuffer8 *LPDIRECT3DINDEXBUFFER8, *PDIRECT3DINDEXBUFFER8;
typedef IDirect3DSurface8 *LPDIRECT3DSURFACE8, *PDIRECT3DSURFACE8;
typedef IDirect3DVolume8 *LPDIRECT3DVOLUME8, *PDIRECT3DVOLUME8;
typedef IDirect3DSwapChain8 *LPDIRECT3DSWAPCHAIN8, *PDIRECT3DSWAPCHAIN8;

// Each interface lists IUnknown's three methods through inheritance, then its
// own in the order of the virtual table.
struct IDirect3D8 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void* initializeFunction) = 0;
    virtual UINT STDMETHODCALLTYPE GetAdapterCount() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags,
                                                           D3DADAPTER_IDENTIFIER8* identifier) = 0;
    virtual UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, UINT mode,
                                                       D3DDISPLAYMODE* modeOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE checkType,
                                                      D3DFORMAT displayFormat,
                                                      D3DFORMAT backBufferFormat,
                                                      BOOL windowed) = 0;
    virtual HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType,
                                                        D3DFORMAT adapterFormat, DWORD usage,
                                                        D3DRESOURCETYPE resourceType,
                                                        D3DFORMAT checkFormat) = 0;
    virtual HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(
        UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT surfaceFormat, BOOL windowed,
        D3DMULTISAMPLE_TYPE multiSampleType) = 0;
    virtual HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType,
                                                             D3DFORMAT adapterFormat,
                                                             D3DFORMAT renderTargetFormat,
                                                             D3DFORMAT depthStencilFormat) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType,
                                                    D3DCAPS8* caps) = 0;
    virtual HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE deviceType,
                                                   HWND focusWindow, DWORD behaviorFlags,
                                                   D3DPRESENT_PARAMETERS* presentationParameters,
                                                   IDirect3DDevice8** returnedDevice) = 0;
};

struct IDirect3DResource8 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID guid, const void* data,
                                                     DWORD sizeOfData, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID guid, void* data,
                                                     DWORD* sizeOfData) = 0;
    virtual HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID guid) = 0;
    virtual DWORD STDMETHODCALLTYPE SetPriority(DWORD priorityNew) = 0;
    virtual DWORD STDMETHODCALLTYPE GetPriority() = 0;
    virtual void STDMETHODCALLTYPE PreLoad() = 0;
    virtual D3DRESOURCETYPE STDMETHODCALLTYPE GetType() = 0;
};

struct IDirect3DBaseTexture8 : public IDirect3DResource8 {
    virtual DWORD STDMETHODCALLTYPE SetLOD(DWORD lodNew) = 0;
    virtual DWORD STDMETHODCALLTYPE GetLOD() = 0;
    virtual DWORD STDMETHODCALLTYPE GetLevelCount() = 0;
};

struct IDirect3DTexture8 : public IDirect3DBaseTexture8 {
    virtual HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* lockedRect,
                                               const RECT* rect, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT* dirtyRect) = 0;
};

struct IDirect3DCubeTexture8 : public IDirect3DBaseTexture8 {
    virtual HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level,
                                                        IDirect3DSurface8** surface) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockRect(D3DCUBEMAP_FACES face, UINT level,
                                               D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                               DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockRect(D3DCUBEMAP_FACES face, UINT level) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddDirtyRect(D3DCUBEMAP_FACES face,
                                                   const RECT* dirtyRect) = 0;
};

struct IDirect3DVolumeTexture8 : public IDirect3DBaseTexture8 {
    virtual HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVolumeLevel(UINT level, IDirect3DVolume8** volume) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockBox(UINT level, D3DLOCKED_BOX* lockedVolume,
                                              const D3DBOX* box, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockBox(UINT level) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddDirtyBox(const D3DBOX* dirtyBox) = 0;
};

struct IDirect3DVertexBuffer8 : public IDirect3DResource8 {
    virtual HRESULT STDMETHODCALLTYPE Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data,
                                           DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unlock() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) = 0;
};

struct IDirect3DIndexBuffer8 : public IDirect3DResource8 {
    virtual HRESULT STDMETHODCALLTYPE Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data,
                                           DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unlock() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDesc(D3DINDEXBUFFER_DESC* desc) = 0;
};

// Surfaces and volumes are not resources: they have no priority or type.
struct IDirect3DSurface8 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID guid, const void* data,
                                                     DWORD sizeOfData, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID guid, void* data,
                                                     DWORD* sizeOfData) = 0;
    virtual HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID guid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                               DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockRect() = 0;
};

struct IDirect3DVolume8 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID guid, const void* data,
                                                     DWORD sizeOfData, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID guid, void* data,
                                                     DWORD* sizeOfData) = 0;
    virtual HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID guid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDesc(D3DVOLUME_DESC* desc) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockBox(D3DLOCKED_BOX* lockedVolume, const D3DBOX* box,
                                              DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockBox() = 0;
};

struct IDirect3DSwapChain8 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Present(const RECT* sourceRect, const RECT* destRect,
                                              HWND destWindowOverride,
                                              const RGNDATA* dirtyRegion) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                                    IDirect3DSurface8** surface) = 0;
};

struct IDirect3DDevice8 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE TestCooperativeLevel() = 0;
    virtual UINT STDMETHODCALLTYPE GetAvailableTextureMem() = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceManagerDiscardBytes(DWORD bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D8** d3d) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS8* caps) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDisplayMode(D3DDISPLAYMODE* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCreationParameters(
        D3DDEVICE_CREATION_PARAMETERS* parameters) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT xHotSpot, UINT yHotSpot,
                                                          IDirect3DSurface8* cursorBitmap) = 0;
    virtual void STDMETHODCALLTYPE SetCursorPosition(UINT xScreenSpace, UINT yScreenSpace,
                                                     DWORD flags) = 0;
    virtual BOOL STDMETHODCALLTYPE ShowCursor(BOOL show) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAdditionalSwapChain(
        D3DPRESENT_PARAMETERS* presentationParameters, IDirect3DSwapChain8** swapChain) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* presentationParameters) = 0;
    virtual HRESULT STDMETHODCALLTYPE Present(const RECT* sourceRect, const RECT* destRect,
                                              HWND destWindowOverride,
                                              const RGNDATA* dirtyRegion) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                                    IDirect3DSurface8** surface) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRasterStatus(D3DRASTER_STATUS* rasterStatus) = 0;
    virtual void STDMETHODCALLTYPE SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp) = 0;
    virtual void STDMETHODCALLTYPE GetGammaRamp(D3DGAMMARAMP* ramp) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels,
                                                    DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                    IDirect3DTexture8** texture) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT width, UINT height, UINT depth,
                                                          UINT levels, DWORD usage,
                                                          D3DFORMAT format, D3DPOOL pool,
                                                          IDirect3DVolumeTexture8** texture) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage,
                                                        D3DFORMAT format, D3DPOOL pool,
                                                        IDirect3DCubeTexture8** texture) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf,
                                                         D3DPOOL pool,
                                                         IDirect3DVertexBuffer8** buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage,
                                                        D3DFORMAT format, D3DPOOL pool,
                                                        IDirect3DIndexBuffer8** buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT width, UINT height,
                                                         D3DFORMAT format,
                                                         D3DMULTISAMPLE_TYPE multiSample,
                                                         BOOL lockable,
                                                         IDirect3DSurface8** surface) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT width, UINT height,
                                                                D3DFORMAT format,
                                                                D3DMULTISAMPLE_TYPE multiSample,
                                                                IDirect3DSurface8** surface) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateImageSurface(UINT width, UINT height,
                                                         D3DFORMAT format,
                                                         IDirect3DSurface8** surface) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyRects(IDirect3DSurface8* sourceSurface,
                                                const RECT* sourceRects, UINT rectCount,
                                                IDirect3DSurface8* destSurface,
                                                const POINT* destPoints) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture8* sourceTexture,
                                                    IDirect3DBaseTexture8* destTexture) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFrontBuffer(IDirect3DSurface8* destSurface) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRenderTarget(IDirect3DSurface8* renderTarget,
                                                      IDirect3DSurface8* newZStencil) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRenderTarget(IDirect3DSurface8** renderTarget) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface8** zStencil) = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginScene() = 0;
    virtual HRESULT STDMETHODCALLTYPE EndScene() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags,
                                            D3DCOLOR color, float z, DWORD stencil) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state,
                                                   const D3DMATRIX* matrix) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state,
                                                   D3DMATRIX* matrix) = 0;
    virtual HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE state,
                                                        const D3DMATRIX* matrix) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT8* viewport) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT8* viewport) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL8* material) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL8* material) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT8* light) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLight(DWORD index, D3DLIGHT8* light) = 0;
    virtual HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD index, BOOL* enable) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetClipPlane(DWORD index, const float* plane) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClipPlane(DWORD index, float* plane) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginStateBlock() = 0;
    virtual HRESULT STDMETHODCALLTYPE EndStateBlock(DWORD* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE ApplyStateBlock(DWORD token) = 0;
    virtual HRESULT STDMETHODCALLTYPE CaptureStateBlock(DWORD token) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteStateBlock(DWORD token) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetClipStatus(const D3DCLIPSTATUS8* clipStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClipStatus(D3DCLIPSTATUS8* clipStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD stage,
                                                           D3DTEXTURESTAGESTATETYPE type,
                                                           DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage,
                                                           D3DTEXTURESTAGESTATETYPE type,
                                                           DWORD value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ValidateDevice(DWORD* numPasses) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInfo(DWORD devInfoId, void* devInfoStruct,
                                              DWORD devInfoStructSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT paletteNumber,
                                                        const PALETTEENTRY* entries) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPaletteEntries(UINT paletteNumber,
                                                        PALETTEENTRY* entries) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT paletteNumber) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentTexturePalette(UINT* paletteNumber) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE primitiveType,
                                                    UINT startVertex, UINT primitiveCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE primitiveType,
                                                           UINT minIndex, UINT numVertices,
                                                           UINT startIndex,
                                                           UINT primitiveCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType,
                                                      UINT primitiveCount,
                                                      const void* vertexStreamZeroData,
                                                      UINT vertexStreamZeroStride) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(
        D3DPRIMITIVETYPE primitiveType, UINT minVertexIndex, UINT numVertexIndices,
        UINT primitiveCount, const void* indexData, D3DFORMAT indexDataFormat,
        const void* vertexStreamZeroData, UINT vertexStreamZeroStride) = 0;
    virtual HRESULT STDMETHODCALLTYPE ProcessVertices(UINT srcStartIndex, UINT destIndex,
                                                      UINT vertexCount,
                                                      IDirect3DVertexBuffer8* destBuffer,
                                                      DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD* declaration,
                                                         const DWORD* function, DWORD* handle,
                                                         DWORD usage) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVertexShader(DWORD handle) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVertexShader(DWORD* handle) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteVertexShader(DWORD handle) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVertexShaderConstant(DWORD reg, const void* constantData,
                                                              DWORD constantCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVertexShaderConstant(DWORD reg, void* constantData,
                                                              DWORD constantCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVertexShaderDeclaration(DWORD handle, void* data,
                                                                 DWORD* sizeOfData) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVertexShaderFunction(DWORD handle, void* data,
                                                              DWORD* sizeOfData) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStreamSource(UINT streamNumber,
                                                      IDirect3DVertexBuffer8* streamData,
                                                      UINT stride) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStreamSource(UINT streamNumber,
                                                      IDirect3DVertexBuffer8** streamData,
                                                      UINT* stride) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer8* indexData,
                                                 UINT baseVertexIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer8** indexData,
                                                 UINT* baseVertexIndex) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD* function, DWORD* handle) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPixelShader(DWORD handle) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPixelShader(DWORD* handle) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeletePixelShader(DWORD handle) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPixelShaderConstant(DWORD reg, const void* constantData,
                                                             DWORD constantCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPixelShaderConstant(DWORD reg, void* constantData,
                                                             DWORD constantCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPixelShaderFunction(DWORD handle, void* data,
                                                             DWORD* sizeOfData) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrawRectPatch(UINT handle, const float* numSegs,
                                                    const D3DRECTPATCH_INFO* rectPatchInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrawTriPatch(UINT handle, const float* numSegs,
                                                   const D3DTRIPATCH_INFO* triPatchInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeletePatch(UINT handle) = 0;
};

extern "C" ORV_D3D8_API IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion);

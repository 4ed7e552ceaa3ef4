// IDirect3DDevice8: the device state with its getters, resources created on
// it, clears, scenes, presentation and draws that are validated, recorded and
// (for pre-transformed triangles) rasterised into the back buffer.
#pragma once

#include <orv/D3D8Control.h>

#include <array>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DefaultStates.h"
#include "LiveObject.h"

namespace orvd3d8 {

class Direct3D8;
struct DrawSource;
class IndexBuffer8;
class Surface8;
class Texture8;
class VertexBuffer8;

class Device8 final : public IDirect3DDevice8, public LiveObject {
public:
    static constexpr DWORD kMaxStages = 8;
    static constexpr UINT kMaxStreams = 16;
    static constexpr DWORD kMaxClipPlanes = 6;
    static constexpr DWORD kTransformCount = 512;  // world matrices end at 511

    // `parameters` has been validated and completed by Direct3D8::CreateDevice.
    Device8(Direct3D8* direct3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behavior,
            const D3DPRESENT_PARAMETERS& parameters);
    ~Device8() override;

    // ---- Runtime-side access ---------------------------------------------
    const D3DPRESENT_PARAMETERS& PresentParameters() const { return m_Present; }
    UINT AdapterOrdinal() const { return m_Adapter; }
    Surface8* BackBuffer() const;
    Surface8* DepthStencil() const { return m_DepthStencil.get(); }
    void SetLost(bool lost) { m_Lost = lost; }
    std::vector<DrawRecord> Draws() const { return {m_Draws.begin(), m_Draws.end()}; }
    void ClearDraws() { m_Draws.clear(); }
    std::string Describe() const override;

    // ---- IUnknown ----------------------------------------------------------
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddPublic(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleasePublic(); }

    // ---- Device, display and presentation (Device8.cpp) --------------------
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    UINT STDMETHODCALLTYPE GetAvailableTextureMem() override;
    HRESULT STDMETHODCALLTYPE ResourceManagerDiscardBytes(DWORD bytes) override;
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D8** d3d) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE
    GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT xHotSpot, UINT yHotSpot,
                                                  IDirect3DSurface8* cursorBitmap) override;
    void STDMETHODCALLTYPE SetCursorPosition(UINT x, UINT y, DWORD flags) override;
    BOOL STDMETHODCALLTYPE ShowCursor(BOOL show) override;
    HRESULT STDMETHODCALLTYPE CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* parameters,
                                                        IDirect3DSwapChain8** swapChain) override;
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* sourceRect, const RECT* destRect,
                                      HWND destWindowOverride, const RGNDATA* dirtyRegion) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                            IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE GetRasterStatus(D3DRASTER_STATUS* status) override;
    void STDMETHODCALLTYPE SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp) override;
    void STDMETHODCALLTYPE GetGammaRamp(D3DGAMMARAMP* ramp) override;
    HRESULT STDMETHODCALLTYPE GetFrontBuffer(IDirect3DSurface8* destSurface) override;
    HRESULT STDMETHODCALLTYPE SetRenderTarget(IDirect3DSurface8* renderTarget,
                                              IDirect3DSurface8* newZStencil) override;
    HRESULT STDMETHODCALLTYPE GetRenderTarget(IDirect3DSurface8** renderTarget) override;
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface8** zStencil) override;
    HRESULT STDMETHODCALLTYPE GetInfo(DWORD devInfoId, void* devInfoStruct,
                                      DWORD devInfoStructSize) override;

    // ---- Resources (Device8Resources.cpp) ------------------------------------
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DTexture8** texture) override;
    HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels,
                                                  DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                  IDirect3DVolumeTexture8** texture) override;
    HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage,
                                                D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DCubeTexture8** texture) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                 IDirect3DVertexBuffer8** buffer) override;
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                                D3DPOOL pool,
                                                IDirect3DIndexBuffer8** buffer) override;
    HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                                 D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                                                 IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                        D3DMULTISAMPLE_TYPE multiSample,
                                                        IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                                 IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE CopyRects(IDirect3DSurface8* sourceSurface, const RECT* sourceRects,
                                        UINT rectCount, IDirect3DSurface8* destSurface,
                                        const POINT* destPoints) override;
    HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture8* sourceTexture,
                                            IDirect3DBaseTexture8* destTexture) override;

    // ---- Fixed-function and binding state (Device8State.cpp) ---------------------
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state,
                                           const D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE state,
                                                const D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL8* material) override;
    HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL8* material) override;
    HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT8* light) override;
    HRESULT STDMETHODCALLTYPE GetLight(DWORD index, D3DLIGHT8* light) override;
    HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, BOOL enable) override;
    HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT STDMETHODCALLTYPE SetClipPlane(DWORD index, const float* plane) override;
    HRESULT STDMETHODCALLTYPE GetClipPlane(DWORD index, float* plane) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE BeginStateBlock() override;
    HRESULT STDMETHODCALLTYPE EndStateBlock(DWORD* token) override;
    HRESULT STDMETHODCALLTYPE ApplyStateBlock(DWORD token) override;
    HRESULT STDMETHODCALLTYPE CaptureStateBlock(DWORD token) override;
    HRESULT STDMETHODCALLTYPE DeleteStateBlock(DWORD token) override;
    HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* token) override;
    HRESULT STDMETHODCALLTYPE SetClipStatus(const D3DCLIPSTATUS8* clipStatus) override;
    HRESULT STDMETHODCALLTYPE GetClipStatus(D3DCLIPSTATUS8* clipStatus) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                   DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                   DWORD value) override;
    HRESULT STDMETHODCALLTYPE ValidateDevice(DWORD* numPasses) override;
    HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT paletteNumber,
                                                const PALETTEENTRY* entries) override;
    HRESULT STDMETHODCALLTYPE GetPaletteEntries(UINT paletteNumber, PALETTEENTRY* entries) override;
    HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT paletteNumber) override;
    HRESULT STDMETHODCALLTYPE GetCurrentTexturePalette(UINT* paletteNumber) override;
    HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD* declaration, const DWORD* function,
                                                 DWORD* handle, DWORD usage) override;
    HRESULT STDMETHODCALLTYPE SetVertexShader(DWORD handle) override;
    HRESULT STDMETHODCALLTYPE GetVertexShader(DWORD* handle) override;
    HRESULT STDMETHODCALLTYPE DeleteVertexShader(DWORD handle) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstant(DWORD reg, const void* constantData,
                                                      DWORD constantCount) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstant(DWORD reg, void* constantData,
                                                      DWORD constantCount) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderDeclaration(DWORD handle, void* data,
                                                         DWORD* sizeOfData) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderFunction(DWORD handle, void* data,
                                                      DWORD* sizeOfData) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData,
                                              UINT stride) override;
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT streamNumber,
                                              IDirect3DVertexBuffer8** streamData,
                                              UINT* stride) override;
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer8* indexData,
                                         UINT baseVertexIndex) override;
    HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer8** indexData,
                                         UINT* baseVertexIndex) override;
    HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD* function, DWORD* handle) override;
    HRESULT STDMETHODCALLTYPE SetPixelShader(DWORD handle) override;
    HRESULT STDMETHODCALLTYPE GetPixelShader(DWORD* handle) override;
    HRESULT STDMETHODCALLTYPE DeletePixelShader(DWORD handle) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstant(DWORD reg, const void* constantData,
                                                     DWORD constantCount) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstant(DWORD reg, void* constantData,
                                                     DWORD constantCount) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderFunction(DWORD handle, void* data,
                                                     DWORD* sizeOfData) override;

    // ---- Scenes, clears and draws (Device8Draw.cpp) -------------------------
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color,
                                    float z, DWORD stencil) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                                            UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE primitiveType, UINT minIndex,
                                                   UINT numVertices, UINT startIndex,
                                                   UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                                              const void* vertexStreamZeroData,
                                              UINT vertexStreamZeroStride) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE primitiveType,
                                                     UINT minVertexIndex, UINT numVertexIndices,
                                                     UINT primitiveCount, const void* indexData,
                                                     D3DFORMAT indexDataFormat,
                                                     const void* vertexStreamZeroData,
                                                     UINT vertexStreamZeroStride) override;
    HRESULT STDMETHODCALLTYPE ProcessVertices(UINT srcStartIndex, UINT destIndex, UINT vertexCount,
                                              IDirect3DVertexBuffer8* destBuffer,
                                              DWORD flags) override;
    HRESULT STDMETHODCALLTYPE DrawRectPatch(UINT handle, const float* numSegs,
                                            const D3DRECTPATCH_INFO* rectPatchInfo) override;
    HRESULT STDMETHODCALLTYPE DrawTriPatch(UINT handle, const float* numSegs,
                                           const D3DTRIPATCH_INFO* triPatchInfo) override;
    HRESULT STDMETHODCALLTYPE DeletePatch(UINT handle) override;

    // The state the rasteriser reads.
    DWORD RenderState(D3DRENDERSTATETYPE state) const { return m_RenderStates[state]; }
    DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
        return m_StageStates[stage][type];
    }
    Texture8* BoundTexture(DWORD stage) const { return m_Textures[stage]; }
    DWORD VertexShaderHandle() const { return m_VertexShader; }
    const D3DVIEWPORT8& Viewport() const { return m_Viewport; }

private:
    struct Light {
        D3DLIGHT8 light;
        bool enabled;
    };
    struct Stream {
        VertexBuffer8* buffer = nullptr;
        UINT stride = 0;
    };

    void OnFirstReference() override;
    void OnLastReference() override;

    void CreateSwapBuffers();
    void ResetState();
    void Unbind();
    void BindStream(UINT stream, VertexBuffer8* buffer, UINT stride);
    void BindIndices(IndexBuffer8* buffer, UINT baseVertexIndex);
    void BindTexture(DWORD stage, Texture8* texture);
    void PresentWindowed(const RECT* sourceRect, const RECT* destRect, HWND window);
    HRESULT ValidateDrawState(D3DPRIMITIVETYPE type) const;
    void Record(DrawKind kind, D3DPRIMITIVETYPE type, UINT primitiveCount, UINT firstVertex,
                UINT vertexCount, UINT indexCount, UINT minIndex, UINT startIndex,
                const DrawSource& source);

    Direct3D8* m_Direct3D;
    UINT m_Adapter;
    D3DDEVTYPE m_Type;
    HWND m_FocusWindow;
    DWORD m_Behavior;
    D3DPRESENT_PARAMETERS m_Present;
    // A full-screen device switched the adapter to its mode; this is the mode
    // to go back to when it goes.
    D3DDISPLAYMODE m_SavedDesktop = {};
    uint32_t m_Presents = 0;  // discarding Presents so far, to vary the scramble
    bool m_Lost = false;
    bool m_InScene = false;

    std::vector<std::unique_ptr<Surface8>> m_BackBuffers;
    std::unique_ptr<Surface8> m_DepthStencil;

    std::array<DWORD, DefaultStates::kRenderStateCount> m_RenderStates = {};
    std::array<std::array<DWORD, DefaultStates::kStageStateCount>, kMaxStages> m_StageStates = {};
    std::vector<D3DMATRIX> m_Transforms;
    std::map<DWORD, Light> m_Lights;
    D3DVIEWPORT8 m_Viewport = {};
    D3DMATERIAL8 m_Material = {};
    std::array<std::array<float, 4>, kMaxClipPlanes> m_ClipPlanes = {};
    D3DCLIPSTATUS8 m_ClipStatus = {};
    D3DGAMMARAMP m_Gamma = {};
    BOOL m_CursorShown = FALSE;
    DWORD m_VertexShader = 0;
    std::array<Stream, kMaxStreams> m_Streams = {};
    IndexBuffer8* m_Indices = nullptr;
    UINT m_BaseVertexIndex = 0;
    std::array<Texture8*, kMaxStages> m_Textures = {};
    std::deque<DrawRecord> m_Draws;
};

}  // namespace orvd3d8

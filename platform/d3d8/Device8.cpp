// Device8: lifetime, display, presentation and the front buffer.
#include "Device8.h"

#include <algorithm>
#include <iterator>

#include "ComSupport.h"
#include "Direct3D8.h"
#include "IndexBuffer8.h"
#include "Journal.h"
#include "PixelFormat.h"
#include "Runtime.h"
#include "Surface8.h"
#include "Texture8.h"
#include "VertexBuffer8.h"

namespace orvd3d8 {
namespace {

constexpr UINT kTextureMemory = 64u << 20;

// By D3DDEVTYPE.
constexpr const char* kTypeNames[] = {"?", "HAL", "REF", "SW"};
static_assert(std::size(kTypeNames) == D3DDEVTYPE_SW + 1, "one name per device type");

// The desktop has no alpha: what reaches it is opaque.
constexpr uint32_t kOpaque = 0xFF000000u;

D3DDISPLAYMODE FullScreenMode(const AdapterConfig& config, const D3DPRESENT_PARAMETERS& pp) {
    D3DDISPLAYMODE mode = {pp.BackBufferWidth, pp.BackBufferHeight, pp.FullScreen_RefreshRateInHz,
                           pp.BackBufferFormat};
    for (const D3DDISPLAYMODE& listed : config.modes)
        if (mode.RefreshRate == 0 && listed.Width == mode.Width && listed.Height == mode.Height &&
            listed.Format == mode.Format)
            mode.RefreshRate = listed.RefreshRate;
    return mode;
}

// Swap effects other than copy leave the whole back buffer to Present.
bool TakesRectangles(D3DSWAPEFFECT effect) {
    return effect == D3DSWAPEFFECT_COPY || effect == D3DSWAPEFFECT_COPY_VSYNC;
}

// After a discarding Present the back buffer's contents are undefined (a real
// runtime may hand back zeros, an older frame or garbage). Fill it with a
// pattern that changes every frame, so that nothing can rely on them.
void ScrambleBackBuffer(Surface8& back, uint32_t frame) {
    const Surface8::Desc& desc = back.Description();
    const UINT bytes = PixelFormat::Find(desc.format)->bytesPerPixel;
    uint32_t state = 0x9E3779B9u * (frame + 1);
    for (UINT y = 0; y < desc.height; ++y) {
        uint8_t* row = back.PixelAt(0, y);
        for (UINT x = 0; x < desc.width; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            PixelFormat::FromArgb(desc.format, state, row + size_t{x} * bytes);
        }
    }
}

}  // namespace

Device8::Device8(Direct3D8* direct3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                 DWORD behavior, const D3DPRESENT_PARAMETERS& parameters)
    : m_Direct3D(direct3d),
      m_Adapter(adapter),
      m_Type(type),
      m_FocusWindow(focusWindow),
      m_Behavior(behavior),
      m_Present(parameters) {
    Runtime& runtime = Runtime::Get();
    if (!m_Present.Windowed) {
        m_SavedDesktop = runtime.AdapterOf(adapter).desktop;
        runtime.SetDisplayMode(adapter, FullScreenMode(runtime.AdapterOf(adapter), m_Present));
    }
    CreateSwapBuffers();
    ResetState();
    runtime.AddDevice(this);
    StartLife();
}

Device8::~Device8() = default;

void Device8::OnFirstReference() { m_Direct3D->AddPublic(); }

void Device8::OnLastReference() {
    Unbind();
    Runtime& runtime = Runtime::Get();
    runtime.RemoveDevice(this);
    if (!m_Present.Windowed) runtime.SetDisplayMode(m_Adapter, m_SavedDesktop);
    m_Direct3D->ReleasePublic();
}

void Device8::CreateSwapBuffers() {
    Surface8::Desc back;
    back.width = m_Present.BackBufferWidth;
    back.height = m_Present.BackBufferHeight;
    back.format = m_Present.BackBufferFormat;
    back.usage = D3DUSAGE_RENDERTARGET;
    back.lockable = (m_Present.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0;
    m_BackBuffers.clear();
    for (UINT i = 0; i < m_Present.BackBufferCount; ++i)
        m_BackBuffers.push_back(std::make_unique<Surface8>(this, back, this, this));

    m_DepthStencil.reset();
    if (m_Present.EnableAutoDepthStencil) {
        Surface8::Desc depth = back;
        depth.format = m_Present.AutoDepthStencilFormat;
        depth.usage = D3DUSAGE_DEPTHSTENCIL;
        depth.lockable = depth.format == D3DFMT_D16_LOCKABLE;
        m_DepthStencil = std::make_unique<Surface8>(this, depth, this, this);
    }
}

void Device8::ResetState() {
    DefaultStates::FillRenderStates(m_RenderStates.data(), m_Present, m_Behavior);
    for (DWORD stage = 0; stage < kMaxStages; ++stage)
        DefaultStates::FillStageStates(m_StageStates[stage].data(), stage);
    D3DMATRIX identity = {};
    for (int i = 0; i < 4; ++i) identity.m[i][i] = 1.0f;
    m_Transforms.assign(kTransformCount, identity);
    m_Lights.clear();
    m_Viewport = {0, 0, m_Present.BackBufferWidth, m_Present.BackBufferHeight, 0.0f, 1.0f};
    m_Material = {};
    m_ClipPlanes = {};
    m_ClipStatus = {};
    for (int i = 0; i < 256; ++i)
        m_Gamma.red[i] = m_Gamma.green[i] = m_Gamma.blue[i] = static_cast<WORD>(i * 257);
    m_VertexShader = 0;
    m_InScene = false;
    Unbind();
}

void Device8::Unbind() {
    for (UINT stream = 0; stream < kMaxStreams; ++stream) BindStream(stream, nullptr, 0);
    BindIndices(nullptr, 0);
    for (DWORD stage = 0; stage < kMaxStages; ++stage) BindTexture(stage, nullptr);
}

// Bindings hold what they bind; the new object is held before the old one is
// let go, so binding the same object again is safe.
void Device8::BindStream(UINT stream, VertexBuffer8* buffer, UINT stride) {
    Stream& slot = m_Streams[stream];
    if (buffer) buffer->Hold();
    if (slot.buffer) slot.buffer->Unhold();
    slot.buffer = buffer;
    slot.stride = stride;
}

void Device8::BindIndices(IndexBuffer8* buffer, UINT baseVertexIndex) {
    if (buffer) buffer->Hold();
    if (m_Indices) m_Indices->Unhold();
    m_Indices = buffer;
    m_BaseVertexIndex = baseVertexIndex;
}

void Device8::BindTexture(DWORD stage, Texture8* texture) {
    if (texture) texture->Hold();
    if (m_Textures[stage]) m_Textures[stage]->Unhold();
    m_Textures[stage] = texture;
}

Surface8* Device8::BackBuffer() const {
    return m_BackBuffers.empty() ? nullptr : m_BackBuffers.front().get();
}

std::string Device8::Describe() const {
    const char* type = m_Type <= D3DDEVTYPE_SW ? kTypeNames[m_Type] : "?";
    return std::string("IDirect3DDevice8 ") + type + " " +
           std::to_string(m_Present.BackBufferWidth) + "x" +
           std::to_string(m_Present.BackBufferHeight) +
           (m_Present.Windowed ? " windowed" : " full-screen");
}

HRESULT Device8::QueryInterface(REFIID riid, void** object) {
    return QueryAmong(this, riid, object, {&IID_IUnknown, &IID_IDirect3DDevice8});
}

HRESULT Device8::TestCooperativeLevel() {
    ORV_CALL("IDirect3DDevice8::TestCooperativeLevel");
    return scope.Finish(m_Lost ? D3DERR_DEVICENOTRESET : D3D_OK);
}

UINT Device8::GetAvailableTextureMem() {
    ORV_CALL_OR(0, "IDirect3DDevice8::GetAvailableTextureMem");
    return kTextureMemory;
}

HRESULT Device8::ResourceManagerDiscardBytes(DWORD bytes) {
    ORV_CALL("IDirect3DDevice8::ResourceManagerDiscardBytes", J(bytes));
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetDirect3D(IDirect3D8** d3d) {
    ORV_CALL("IDirect3DDevice8::GetDirect3D", J(d3d));
    if (!d3d) return scope.Finish(D3DERR_INVALIDCALL);
    m_Direct3D->AddRef();
    *d3d = m_Direct3D;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetDeviceCaps(D3DCAPS8* caps) {
    ORV_CALL("IDirect3DDevice8::GetDeviceCaps", J(caps));
    if (!caps) return scope.Finish(D3DERR_INVALIDCALL);
    *caps = Direct3D8::Caps(m_Adapter, m_Type, Runtime::Get().AdapterOf(m_Adapter));
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetDisplayMode(D3DDISPLAYMODE* mode) {
    ORV_CALL("IDirect3DDevice8::GetDisplayMode", J(mode));
    if (!mode) return scope.Finish(D3DERR_INVALIDCALL);
    *mode = Runtime::Get().AdapterOf(m_Adapter).desktop;
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
    ORV_CALL("IDirect3DDevice8::GetCreationParameters", J(parameters));
    if (!parameters) return scope.Finish(D3DERR_INVALIDCALL);
    *parameters = {m_Adapter, m_Type, m_FocusWindow, m_Behavior};
    return scope.Finish(D3D_OK);
}

HRESULT Device8::SetCursorProperties(UINT xHotSpot, UINT yHotSpot,
                                     IDirect3DSurface8* cursorBitmap) {
    ORV_CALL("IDirect3DDevice8::SetCursorProperties", J(xHotSpot), J(yHotSpot), J(cursorBitmap));
    return scope.Finish(cursorBitmap ? D3D_OK : D3DERR_INVALIDCALL);
}

void Device8::SetCursorPosition(UINT x, UINT y, DWORD flags) {
    ORV_CALL_VOID("IDirect3DDevice8::SetCursorPosition", J(x), J(y), J(flags));
}

BOOL Device8::ShowCursor(BOOL show) {
    ORV_CALL_OR(FALSE, "IDirect3DDevice8::ShowCursor", J(show));
    BOOL previous = m_CursorShown;
    m_CursorShown = show ? TRUE : FALSE;
    return previous;
}

HRESULT Device8::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* parameters,
                                           IDirect3DSwapChain8** swapChain) {
    ORV_CALL("IDirect3DDevice8::CreateAdditionalSwapChain", J(parameters), J(swapChain));
    if (swapChain) *swapChain = nullptr;
    return scope.Finish(E_NOTIMPL);
}

HRESULT Device8::Reset(D3DPRESENT_PARAMETERS* parameters) {
    ORV_CALL("IDirect3DDevice8::Reset", J(parameters));
    if (!parameters) return scope.Finish(D3DERR_INVALIDCALL);
    // Default-pool resources still referenced keep the old video memory in use.
    for (LiveObject* object : Runtime::Get().Objects())
        if (object->PublicRefs() > 0 && object->DefaultPoolDevice() == this)
            return scope.Finish(D3DERR_INVALIDCALL);
    D3DPRESENT_PARAMETERS accepted = *parameters;
    HRESULT valid = Direct3D8::ValidatePresentation(m_Adapter, m_FocusWindow, accepted);
    if (FAILED(valid)) return scope.Finish(valid);

    Runtime& runtime = Runtime::Get();
    if (m_Present.Windowed && !accepted.Windowed)
        m_SavedDesktop = runtime.AdapterOf(m_Adapter).desktop;
    if (!accepted.Windowed)
        runtime.SetDisplayMode(m_Adapter,
                               FullScreenMode(runtime.AdapterOf(m_Adapter), accepted));
    else if (!m_Present.Windowed)
        runtime.SetDisplayMode(m_Adapter, m_SavedDesktop);
    *parameters = accepted;
    m_Present = accepted;
    CreateSwapBuffers();
    ResetState();
    m_Lost = false;
    return scope.Finish(D3D_OK);
}

void Device8::PresentWindowed(const RECT* sourceRect, const RECT* destRect, HWND window) {
    RECT client = {0, 0, 0, 0};
    POINT origin = {0, 0};
    if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin)) return;
    const Surface8& back = *BackBuffer();
    const RECT source = sourceRect ? *sourceRect
                                   : RECT{0, 0, static_cast<LONG>(back.Description().width),
                                          static_cast<LONG>(back.Description().height)};
    const RECT dest = destRect ? *destRect : client;
    const LONG sourceWidth = source.right - source.left, sourceHeight = source.bottom - source.top;
    const LONG destWidth = dest.right - dest.left, destHeight = dest.bottom - dest.top;
    if (destWidth <= 0 || destHeight <= 0) return;

    Image& desktop = Runtime::Get().Desktop(m_Adapter);
    const D3DFORMAT format = back.Description().format;
    const size_t bytes = PixelFormat::Find(format)->bytesPerPixel;
    // Stretch by nearest pixel; clip to the client area and to the desktop.
    const LONG top = std::max({dest.top, client.top, -origin.y});
    const LONG bottom = std::min({dest.bottom, client.bottom, desktop.height - origin.y});
    const LONG left = std::max({dest.left, client.left, -origin.x});
    const LONG right = std::min({dest.right, client.right, desktop.width - origin.x});
    for (LONG y = top; y < bottom; ++y) {
        const LONG sourceY = source.top + (y - dest.top) * sourceHeight / destHeight;
        const uint8_t* row = back.PixelAt(0, static_cast<UINT>(sourceY));
        uint32_t* screen =
            &desktop.pixels[static_cast<size_t>(origin.y + y) * static_cast<size_t>(desktop.width)];
        for (LONG x = left; x < right; ++x) {
            const LONG sourceX = source.left + (x - dest.left) * sourceWidth / destWidth;
            screen[origin.x + x] =
                kOpaque | PixelFormat::ToArgb(format, row + static_cast<size_t>(sourceX) * bytes);
        }
    }
}

HRESULT Device8::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                         const RGNDATA* dirtyRegion) {
    ORV_CALL("IDirect3DDevice8::Present", J(sourceRect), J(destRect), J(destWindowOverride),
             J(dirtyRegion));
    if (m_Lost) return scope.Finish(D3DERR_DEVICELOST);
    if ((sourceRect || destRect) && !TakesRectangles(m_Present.SwapEffect))
        return scope.Finish(D3DERR_INVALIDCALL);
    if (sourceRect && !BackBuffer()->ValidRect(*sourceRect))
        return scope.Finish(D3DERR_INVALIDCALL);

    if (m_Present.Windowed) {
        HWND window = destWindowOverride        ? destWindowOverride
                      : m_Present.hDeviceWindow ? m_Present.hDeviceWindow
                                                : m_FocusWindow;
        PresentWindowed(sourceRect, destRect, window);
    } else {
        // Full screen: the back buffer becomes the adapter's front buffer.
        Image& front = Runtime::Get().Desktop(m_Adapter);
        const Surface8& back = *BackBuffer();
        const UINT width = std::min<UINT>(back.Description().width, static_cast<UINT>(front.width));
        const UINT height =
            std::min<UINT>(back.Description().height, static_cast<UINT>(front.height));
        const D3DFORMAT format = back.Description().format;
        const size_t bytes = PixelFormat::Find(format)->bytesPerPixel;
        for (UINT y = 0; y < height; ++y) {
            const uint8_t* row = back.PixelAt(0, y);
            uint32_t* screen =
                &front.pixels[static_cast<size_t>(y) * static_cast<size_t>(front.width)];
            for (UINT x = 0; x < width; ++x)
                screen[x] = kOpaque | PixelFormat::ToArgb(format, row + x * bytes);
        }
    }
    if (m_Present.SwapEffect == D3DSWAPEFFECT_DISCARD)
        ScrambleBackBuffer(*BackBuffer(), m_Presents++);
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type,
                               IDirect3DSurface8** surface) {
    ORV_CALL("IDirect3DDevice8::GetBackBuffer", J(backBuffer), J(type), J(surface));
    if (!surface) return scope.Finish(D3DERR_INVALIDCALL);
    *surface = nullptr;
    if (backBuffer >= m_BackBuffers.size()) return scope.Finish(D3DERR_INVALIDCALL);
    m_BackBuffers[backBuffer]->AddRef();
    *surface = m_BackBuffers[backBuffer].get();
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetRasterStatus(D3DRASTER_STATUS* status) {
    ORV_CALL("IDirect3DDevice8::GetRasterStatus", J(status));
    // The caps do not offer D3DCAPS_READ_SCANLINE.
    return scope.Finish(D3DERR_INVALIDCALL);
}

void Device8::SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp) {
    ORV_CALL_VOID("IDirect3DDevice8::SetGammaRamp", J(flags), J(ramp));
    if (ramp) m_Gamma = *ramp;
}

void Device8::GetGammaRamp(D3DGAMMARAMP* ramp) {
    ORV_CALL_VOID("IDirect3DDevice8::GetGammaRamp", J(ramp));
    if (ramp) *ramp = m_Gamma;
}

HRESULT Device8::GetFrontBuffer(IDirect3DSurface8* destSurface) {
    ORV_CALL("IDirect3DDevice8::GetFrontBuffer", J(destSurface));
    if (!destSurface) return scope.Finish(D3DERR_INVALIDCALL);
    Surface8& dest = *static_cast<Surface8*>(destSurface);
    const Surface8::Desc& desc = dest.Description();
    // The whole front buffer is copied, so the destination must have the
    // size of the display mode (the front buffer's), whatever the window's.
    const Image& front = Runtime::Get().Desktop(m_Adapter);
    if (desc.format != D3DFMT_A8R8G8B8 || desc.pool != D3DPOOL_SYSTEMMEM ||
        desc.width != static_cast<UINT>(front.width) ||
        desc.height != static_cast<UINT>(front.height) || dest.Locked())
        return scope.Finish(D3DERR_INVALIDCALL);
    const size_t bytes = PixelFormat::Find(desc.format)->bytesPerPixel;
    for (UINT y = 0; y < desc.height; ++y) {
        uint8_t* row = dest.PixelAt(0, y);
        for (UINT x = 0; x < desc.width; ++x)
            PixelFormat::FromArgb(desc.format, front.At(static_cast<int>(x), static_cast<int>(y)),
                                  row + x * bytes);
    }
    return scope.Finish(D3D_OK);
}

HRESULT Device8::SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* newZStencil) {
    ORV_CALL("IDirect3DDevice8::SetRenderTarget", J(renderTarget), J(newZStencil));
    // Only the device's own buffers can be targets.
    bool sameTarget = !renderTarget || renderTarget == BackBuffer();
    bool sameDepth = newZStencil == m_DepthStencil.get();
    return scope.Finish(sameTarget && sameDepth ? D3D_OK : D3DERR_INVALIDCALL);
}

HRESULT Device8::GetRenderTarget(IDirect3DSurface8** renderTarget) {
    ORV_CALL("IDirect3DDevice8::GetRenderTarget", J(renderTarget));
    if (!renderTarget) return scope.Finish(D3DERR_INVALIDCALL);
    BackBuffer()->AddRef();
    *renderTarget = BackBuffer();
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetDepthStencilSurface(IDirect3DSurface8** zStencil) {
    ORV_CALL("IDirect3DDevice8::GetDepthStencilSurface", J(zStencil));
    if (!zStencil) return scope.Finish(D3DERR_INVALIDCALL);
    *zStencil = m_DepthStencil.get();
    if (!m_DepthStencil) return scope.Finish(D3DERR_NOTFOUND);
    m_DepthStencil->AddRef();
    return scope.Finish(D3D_OK);
}

HRESULT Device8::GetInfo(DWORD devInfoId, void* devInfoStruct, DWORD devInfoStructSize) {
    ORV_CALL("IDirect3DDevice8::GetInfo", J(devInfoId), J(devInfoStruct), J(devInfoStructSize));
    // S_FALSE: the runtime gathers no statistics.
    return scope.Finish(S_FALSE);
}

}  // namespace orvd3d8

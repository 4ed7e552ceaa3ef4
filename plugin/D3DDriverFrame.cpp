// The frame cycle, the text queue, screenshots and rebuilding the device.
#include <cstdarg>
#include <cstdio>
#include <new>

#include <d3dx8.h>

#include "device/ResultName.h"
#include "host/Font.h"
#include "host/Kernel.h"
#include "host/Window.h"
#include "plugin/D3DDriver.h"

namespace {

// Longest text one PrintText call queues; longer text is cut.
constexpr size_t kMaxTextLine = 2047;

}  // namespace

// The frame operations need a display; without one they refuse.

bool D3DDriver::BeginScene() {
    if (!m_pDevice) return false;
    HRESULT hr = m_pDevice->BeginScene();
    if (FAILED(hr)) {
        m_pKernel->LogMessage("D3DDriver: BeginScene failed (HR:%s).", ResultName(hr));
        return false;
    }
    m_TriangleCount = 0;
    return true;
}

bool D3DDriver::EndScene() {
    if (!m_pDevice) return false;  // the queued text waits for a display
    if (m_TextLines.Count() > 0) {
        const unsigned long white = ToD3DColor(Color(1.0f, 1.0f, 1.0f, 1.0f));
        for (void* item = m_TextLines.Rewind(); item; item = m_TextLines.Next()) {
            TextLine* line = static_cast<TextLine*>(item);
            // The text was formatted when it was queued: draw it verbatim.
            if (m_pDebugFont)
                m_pDebugFont->Print(line->x, line->y, static_cast<uint32_t>(white), "%s",
                                    line->text.c_str());
            delete line;
        }
        m_TextLines.Reset();
    }

    HRESULT hr = m_pDevice->EndScene();
    if (FAILED(hr)) {
        m_pKernel->LogMessage("D3DDriver: EndScene failed (HR:%s).", ResultName(hr));
        return false;
    }
    hr = m_pDevice->Present(nullptr, nullptr, nullptr, nullptr);
    if (FAILED(hr)) {
        m_pKernel->LogMessage("D3DDriver: Present failed (HR:%s).", ResultName(hr));
        return false;
    }
    return true;
}

bool D3DDriver::Clear(bool colour, bool depth, bool stencil) {
    if (!m_pDevice) return false;
    DWORD flags = 0;
    if (colour) flags |= D3DCLEAR_TARGET;
    if (depth) flags |= D3DCLEAR_ZBUFFER;
    if (stencil) flags |= D3DCLEAR_STENCIL;
    HRESULT hr = m_pDevice->Clear(0, nullptr, flags, m_ClearColor, m_ClearDepth, m_ClearStencil);
    if (FAILED(hr)) {
        m_pKernel->LogMessage("D3DDriver: Clear failed. (HR:%s)", ResultName(hr));
        return false;
    }
    return true;
}

void D3DDriver::SetClearColor(unsigned long argb) { m_ClearColor = static_cast<D3DCOLOR>(argb); }
void D3DDriver::SetClearDepth(float depth) { m_ClearDepth = depth; }
void D3DDriver::SetClearStencil(unsigned long stencil) {
    m_ClearStencil = static_cast<DWORD>(stencil);
}

bool D3DDriver::PrintText(int x, int y, const char* format, ...) {
    if (RefusesNull(format, "PrintText", "text")) return false;
    char text[kMaxTextLine + 1];
    va_list arguments;
    va_start(arguments, format);
    int written = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (written < 0) text[0] = '\0';

    TextLine* line = new (std::nothrow) TextLine{String(text), x, y};
    if (!line) return false;
    m_TextLines.PushEnd(line);
    return true;
}

bool D3DDriver::SaveScreenShot(const char* fileName) {
    if (!m_pDevice) return false;
    return CaptureFrontBuffer(fileName);
}

bool D3DDriver::CaptureFrontBuffer(const char* fileName) {
    // The front buffer a device copies out is the whole adapter output, so in
    // windowed mode the surface must be the size of the desktop and the
    // window's client area is cut out of it when saving.
    UINT surfaceWidth = m_DisplayMode.width;
    UINT surfaceHeight = m_DisplayMode.height;
    RECT area = {0, 0, static_cast<LONG>(m_DisplayMode.width),
                 static_cast<LONG>(m_DisplayMode.height)};
    if (m_DisplayMode.windowed) {
        D3DDISPLAYMODE desktop;
        if (FAILED(m_pDirect3D->GetAdapterDisplayMode(m_DisplayMode.adapter, &desktop)))
            return false;
        surfaceWidth = desktop.Width;
        surfaceHeight = desktop.Height;
        POINT origin = {0, 0};
        ClientToScreen(m_pKernel->m_pWindow->GetHWND(), &origin);
        area.left = origin.x;
        area.top = origin.y;
        area.right = origin.x + static_cast<LONG>(m_DisplayMode.width);
        area.bottom = origin.y + static_cast<LONG>(m_DisplayMode.height);
        // Only the part of the window that is on the desktop was captured.
        if (area.left < 0) area.left = 0;
        if (area.top < 0) area.top = 0;
        if (area.right > static_cast<LONG>(surfaceWidth)) area.right = surfaceWidth;
        if (area.bottom > static_cast<LONG>(surfaceHeight)) area.bottom = surfaceHeight;
    }

    IDirect3DSurface8* surface = nullptr;
    if (FAILED(m_pDevice->CreateImageSurface(surfaceWidth, surfaceHeight, D3DFMT_A8R8G8B8,
                                             &surface)))
        return false;
    HRESULT hr = m_pDevice->GetFrontBuffer(surface);
    if (FAILED(hr)) {
        m_pKernel->LogMessage("SaveScreenShot: Failed to get front buffer (HR:%s)",
                              ResultName(hr));
        surface->Release();
        return false;
    }
    if (area.right > area.left && area.bottom > area.top)
        D3DXSaveSurfaceToFileA(fileName, D3DXIFF_BMP, surface, nullptr,
                               m_DisplayMode.windowed ? &area : nullptr);
    surface->Release();
    return true;
}

bool D3DDriver::ResetDevice() {
    if (!m_bInitialised) return false;

    ReleaseTextureResources();
    DisplayMode mode;
    GetDisplayMode(&mode);
    CloseDisplay();
    if (!SetDisplayMode(&mode)) {
        DestroyAllMaterials();
        DestroyAllTextures();
        return false;
    }
    if (!ReloadTextures()) {
        m_pKernel->LogMessage("D3DDriver::ResetDevice - Failed to reload texture.");
        DestroyAllMaterials();
        DestroyAllTextures();
        CloseDisplay();
        return false;
    }
    return true;
}

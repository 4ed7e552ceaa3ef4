// Construction, destruction, the stored options and fonts.
#include "plugin/D3DDriver.h"

#include <cstring>
#include <new>

#include "host/Kernel.h"
#include "text/D3DFont.h"

D3DDriver::D3DDriver(Kernel* kernel)
    : DriverServices(kernel),
      m_bInitialised(false),
      m_ClearColor(0),
      m_ClearDepth(0.0f),
      m_ClearStencil(0),
      m_pVertexBuffer(nullptr),
      m_pIndexBuffer(nullptr),
      m_pMaterial(nullptr),
      m_pMaterialPasses(nullptr),
      m_TextureBitDepth(16),
      m_TextureFilter(D3DTEXF_FLATCUBIC),
      m_OptionB(1),
      m_OptionA(false),
      m_OptionC(false),
      m_MaxActiveLights(0),
      m_pDebugFont(nullptr),
      m_TriangleCount(0) {
    std::memset(&m_DisplayMode, 0, sizeof m_DisplayMode);
    std::memset(&m_PresentParams, 0, sizeof m_PresentParams);
}

D3DDriver::~D3DDriver() {
    Shutdown();
    for (void* line = m_TextLines.Rewind(); line; line = m_TextLines.Next())
        delete static_cast<TextLine*>(line);
    m_TextLines.Reset();
}

bool D3DDriver::RefusesNull(const void* record, const char* operation, const char* what) {
    if (record) return false;
    m_pKernel->LogMessage("D3DDriver::%s: no %s.", operation, what);
    return true;
}

bool D3DDriver::Initialize() {
    m_pDirect3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (!m_pDirect3D) {
        m_pKernel->LogMessage("D3DDriver::Initialize: Failed to create a Direct3D object.");
        return false;
    }
    return true;
}

bool D3DDriver::Shutdown() {
    DestroyAllMaterials();
    DestroyAllTextures();
    CloseDisplay();
    if (m_pDirect3D) {
        m_pDirect3D->Release();
        m_pDirect3D = nullptr;
    }
    return true;
}

// ---- Stored settings --------------------------------------------------------

void D3DDriver::SetTextureBitDepth(unsigned bits) { m_TextureBitDepth = bits; }
unsigned D3DDriver::GetTextureBitDepth() { return m_TextureBitDepth; }
unsigned D3DDriver::GetTextureFilter() { return m_TextureFilter; }
void D3DDriver::SetOptionA(bool value) { m_OptionA = value; }
bool D3DDriver::GetOptionA() { return m_OptionA; }
void D3DDriver::SetOptionB(unsigned value) { m_OptionB = value; }
unsigned D3DDriver::GetOptionB() { return m_OptionB; }
void D3DDriver::SetOptionC(bool value) { m_OptionC = value; }
bool D3DDriver::GetOptionC() { return m_OptionC; }
unsigned D3DDriver::GetTriangleCount() { return m_TriangleCount; }

Font* D3DDriver::CreateTextFont(const char* typeface, unsigned pointHeight, bool bold,
                                bool italic) {
    // A font draws with the device: none before a display or after it closed.
    if (!m_pDevice) {
        m_pKernel->LogMessage("D3DDriver::CreateTextFont: no display.");
        return nullptr;
    }
    D3DFont* font = new (std::nothrow) D3DFont(m_pKernel, this);
    if (!font) return nullptr;
    if (!font->Initialize(typeface, pointHeight, bold, italic)) {
        delete font;
        return nullptr;
    }
    return font;
}

bool D3DDriver::DestroyTextFont(Font* font) {
    if (!font) return true;
    // Every font this driver hands out is one of its own.
    D3DFont* own = static_cast<D3DFont*>(font);
    own->ReleaseDeviceObjects();
    delete own;
    return true;
}

#include "FaultPolicy.h"

#include <d3d8.h>

#include <cstring>
#include <iterator>

namespace orvsweep {

namespace {

constexpr HRESULT kWin32OutOfMemory = 8;       // ERROR_NOT_ENOUGH_MEMORY
constexpr HRESULT kWin32InvalidParameter = 87;  // ERROR_INVALID_PARAMETER

// Calls with no failure of their own: counts the adapter always knows, pure
// arithmetic, the desktop window, the empty message queue, window tests, and
// the releases of GDI and USER objects, which fail only for a handle that is
// not the caller's to release (the stand-in refuses those by itself, a
// selected bitmap for one).
constexpr const char* kCannotFail =
    "IDirect3D8::GetAdapterCount|IDirect3D8::GetAdapterModeCount|IDirect3DTexture8::GetLevelCount|MulDiv|"
    "GetDesktopWindow|PeekMessageA|IsWindow|IsWindowVisible|DeleteDC|DeleteObject|DestroyWindow|UnregisterClassA";

#define DEVICE "IDirect3DDevice8::"
// Steps that set a display: the debug font is made there, and a reset
// reloads the textures after it.
#define DISPLAY_STEPS "windowed SetDisplayMode|ResetDevice|full-screen SetDisplayMode"
// Steps whose operations load a texture file through the driver.
#define FILE_TEXTURE_STEPS "image file textures|ZAR texture|DXT ZAR texture|material file A|material from code"
#define VERTEX_BUFFER_DRAWS "draw material A|draw material B indexed|draw dynamic buffer"

// One log line a failing call must leave. `steps` and `apis` list names
// separated by '|'; `occurrence` 0 matches every call of an api in the step,
// n > 0 only its n-th, and a row for the very occurrence overrides the
// general ones of its step.
struct LineRule {
    const char* steps;
    const char* apis;
    unsigned occurrence;
    const char* line;
};
constexpr LineRule kLineRules[] = {
    {"CreatePlugin", "Direct3DCreate8", 0, "D3DDriver::Initialize: Failed to create a Direct3D object."},
    {"adapters and modes", "IDirect3D8::GetAdapterIdentifier", 0,
     "D3DDriver::Initialize: m_pDirect3D->GetAdapterIdentifier failed for adapter 0. (HR:D3DERR_INVALIDCALL)"},
    {DISPLAY_STEPS, "IDirect3D8::GetAdapterDisplayMode", 0,
     "D3DDriver::SetDisplayMode: m_pDirect3D->GetAdapterDisplayMode failed for adapter 0. (HR:D3DERR_INVALIDCALL)"},
    {DISPLAY_STEPS "|Clear", DEVICE "Clear", 0, "D3DDriver: Clear failed. (HR:D3DERR_INVALIDCALL)"},
    // The debug font's texture is the first texture a display makes; a
    // reset's later ones are the reloads.
    {DISPLAY_STEPS, DEVICE "CreateTexture", 1,
     "D3DFont::Initialize: m_pd3dDevice->CreateTexture failed Returned E_OUTOFMEMORY"},
    {DISPLAY_STEPS, DEVICE "CreateTexture", 1, "Failed to create debug font."},
    {"ResetDevice", DEVICE "CreateTexture", 0, "D3DDriver::ResetDevice - Failed to reload texture."},
    {DISPLAY_STEPS "|make device objects", "CreateFontA", 0,
     "D3DFont::Initialize: CreateFont failed. GetLastError returned 8"},
    {DISPLAY_STEPS "|make device objects", "GetTextMetricsA", 0, "D3DFont::Create - GetTextMetrics failed. Code: 87"},
    {DISPLAY_STEPS, DEVICE "CreateVertexBuffer", 0,
     "D3DFont::CreateTheVertexBuffer: m_pd3dDevice->CreateVertexBuffer failed Returned E_OUTOFMEMORY"},
    {DISPLAY_STEPS, "CreateFontA|GetTextMetricsA|CreateCompatibleDC|CreateDIBSection|" DEVICE "CreateVertexBuffer", 0,
     "Failed to create debug font."},
    // The host's objects for a device: its font first, then a static and a
    // dynamic vertex buffer, then an index buffer.
    {"make device objects", DEVICE "CreateTexture", 0,
     "D3DFont::Initialize: m_pd3dDevice->CreateTexture failed Returned E_OUTOFMEMORY"},
    {"make device objects", DEVICE "CreateVertexBuffer", 1,
     "D3DFont::CreateTheVertexBuffer: m_pd3dDevice->CreateVertexBuffer failed Returned E_OUTOFMEMORY"},
    {"make device objects", DEVICE "CreateVertexBuffer", 0, "Failed to create D3D vertex buffer. (HR:E_OUTOFMEMORY)"},
    {"make device objects|draw dynamic buffer", "IDirect3DVertexBuffer8::Lock", 0,
     "Failed to lock vertex buffer (D3DERR_INVALIDCALL)"},
    {"make device objects", DEVICE "CreateIndexBuffer", 0, "Failed to create D3D index buffer. (HR:E_OUTOFMEMORY)"},
    {"make device objects", "IDirect3DIndexBuffer8::Lock", 0,
     "Failed to lock D3D index buffer. (HR:D3DERR_INVALIDCALL)"},
    // Textures.
    {FILE_TEXTURE_STEPS, DEVICE "CreateTexture", 0, "D3DDriver::CreateTextureFromFile: Failed to load "},
    {"material file A", DEVICE "CreateTexture", 0, "Failed to read material "},
    {"sequence texture", DEVICE "CreateTexture", 0, "Failed to load from "},
    {"sequence texture", DEVICE "CreateTexture", 0, "D3DDriver::CreateTextureFromFileSequence: Failed to load "},
    {"filled texture", DEVICE "CreateTexture", 0, "D3DDriver failed to create new 32x32 texture."},
    // Frames.
    {"BeginScene", DEVICE "BeginScene", 0, "D3DDriver: BeginScene failed (HR:D3DERR_INVALIDCALL)."},
    {VERTEX_BUFFER_DRAWS, DEVICE "DrawPrimitive", 0, "Failed to render D3D vertex buffer. (HR:D3DERR_INVALIDCALL)"},
    {"draw vertices|draw quads", DEVICE "DrawPrimitiveUP", 0,
     "Failed to render D3D verts using DrawPrimitiveUP. (HR:D3DERR_INVALIDCALL)"},
    {"EndScene", DEVICE "EndScene", 0, "D3DDriver: EndScene failed (HR:D3DERR_INVALIDCALL)."},
    {"EndScene", DEVICE "Present", 0, "D3DDriver: Present failed (HR:D3DERR_DEVICELOST)."},
    {"SaveScreenShot", DEVICE "GetFrontBuffer", 0, "SaveScreenShot: Failed to get front buffer (HR:D3DERR_INVALIDCALL)"},
};

#undef DEVICE
#undef DISPLAY_STEPS
#undef FILE_TEXTURE_STEPS
#undef VERTEX_BUFFER_DRAWS

// Whether `name` is one of the '|'-separated `names`.
bool Lists(const char* names, const std::string& name) {
    for (const char* start = names;; ++start) {
        const char* end = std::strchr(start, '|');
        const size_t length = end ? static_cast<size_t>(end - start) : std::strlen(start);
        if (name.size() == length && name.compare(0, length, start, length) == 0) return true;
        if (!(start = end)) return false;
    }
}

// The operation's name without its interface.
std::string Operation(const std::string& api) {
    const size_t colons = api.rfind("::");
    return colons == std::string::npos ? api : api.substr(colons + 2);
}

bool IsCreation(const std::string& api) {
    const std::string operation = Operation(api);
    return operation.rfind("Create", 0) == 0 || operation.rfind("Direct3DCreate", 0) == 0 ||
           operation == "RegisterClassExA";
}

}  // namespace

HRESULT FailureOf(const std::string& api) {
    if (Lists(kCannotFail, api)) return S_OK;
    const bool creation = IsCreation(api);
    if (api.rfind("IDirect3D", 0) != 0 && api.rfind("Direct3DCreate", 0) != 0)
        return creation ? kWin32OutOfMemory : kWin32InvalidParameter;
    if (creation) return E_OUTOFMEMORY;
    const std::string operation = Operation(api);
    return operation == "Present" || operation == "Reset" ? D3DERR_DEVICELOST : D3DERR_INVALIDCALL;
}

bool FirstOfItsKind(const std::string& api, unsigned occurrence) {
    return occurrence == 1 || IsCreation(api);
}

std::vector<std::string> ExpectedLines(const std::string& step, const std::string& api, unsigned occurrence,
                                       std::vector<bool>& asked) {
    const auto applies = [&](const LineRule& rule) { return Lists(rule.apis, api) && Lists(rule.steps, step); };
    bool specific = false;
    for (const LineRule& rule : kLineRules) specific = specific || (applies(rule) && rule.occurrence == occurrence);
    std::vector<std::string> lines;
    asked.resize(std::size(kLineRules));
    for (size_t row = 0; row < std::size(kLineRules); ++row)
        if (applies(kLineRules[row]) && kLineRules[row].occurrence == (specific ? occurrence : 0)) {
            lines.push_back(kLineRules[row].line);
            asked[row] = true;
        }
    return lines;
}

std::vector<std::string> RowsNeverAsked(const std::vector<bool>& asked) {
    std::vector<std::string> rows;
    for (size_t row = 0; row < std::size(kLineRules); ++row)
        if (row >= asked.size() || !asked[row])
            rows.push_back(std::string(kLineRules[row].apis) + " in " + kLineRules[row].steps + ": " +
                           kLineRules[row].line);
    return rows;
}

}  // namespace orvsweep

#include "FaultPolicy.h"

#include <d3d8.h>

#include <algorithm>
#include <cstring>

namespace orvsweep {

namespace {

constexpr HRESULT kWin32OutOfMemory = 8;       // ERROR_NOT_ENOUGH_MEMORY
constexpr HRESULT kWin32InvalidParameter = 87;  // ERROR_INVALID_PARAMETER

// Calls with no failure of their own: counts the adapter always knows, pure
// arithmetic, the desktop window, the empty message queue, window tests, and
// the releases of GDI and USER objects, which fail only for a handle that is
// not the caller's to release (the stand-in refuses those by itself, a
// selected bitmap for one).
constexpr const char* kCannotFail[] = {
    "IDirect3D8::GetAdapterCount", "IDirect3D8::GetAdapterModeCount",
    "IDirect3DTexture8::GetLevelCount",
    "MulDiv", "GetDesktopWindow", "PeekMessageA", "IsWindow", "IsWindowVisible",
    "DeleteDC", "DeleteObject", "DestroyWindow", "UnregisterClassA",
};

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The operation's name without its interface.
std::string Operation(const std::string& api) {
    const size_t colons = api.rfind("::");
    return colons == std::string::npos ? api : api.substr(colons + 2);
}

bool IsDirect3D(const std::string& api) {
    return StartsWith(api, "IDirect3D") || StartsWith(api, "Direct3DCreate");
}

// Steps that set a display: the debug font is made there, and a reset
// reloads the textures after it.
#define DISPLAY_STEPS "windowed SetDisplayMode|ResetDevice|full-screen SetDisplayMode"
// Steps whose operations load a texture file through the driver.
#define FILE_TEXTURE_STEPS "image file textures|ZAR texture|DXT ZAR texture|material file A|material from code"
#define VERTEX_BUFFER_DRAWS "draw material A|draw material B indexed|draw dynamic buffer"

// One log line a failing call must leave. `steps` lists step names
// separated by '|'; `occurrence` 0 matches every call of the api in the
// step, n > 0 only its n-th. The first rows that match an (api, step,
// occurrence) decide: rows for one occurrence come before the general ones.
struct LineRule {
    const char* steps;
    const char* api;
    unsigned occurrence;
    const char* line;
};
constexpr LineRule kLineRules[] = {
    {"CreatePlugin", "Direct3DCreate8", 0, "D3DDriver::Initialize: Failed to create a Direct3D object."},
    {"adapters and modes", "IDirect3D8::GetAdapterIdentifier", 0,
     "D3DDriver::Initialize: m_pDirect3D->GetAdapterIdentifier failed for adapter 0. (HR:D3DERR_INVALIDCALL)"},
    {DISPLAY_STEPS, "IDirect3D8::GetAdapterDisplayMode", 0,
     "D3DDriver::SetDisplayMode: m_pDirect3D->GetAdapterDisplayMode failed for adapter 0. (HR:D3DERR_INVALIDCALL)"},
    {DISPLAY_STEPS "|Clear", "IDirect3DDevice8::Clear", 0, "D3DDriver: Clear failed. (HR:D3DERR_INVALIDCALL)"},
    // The debug font's texture is the first texture a display makes; a
    // reset's later ones are the reloads.
    {DISPLAY_STEPS, "IDirect3DDevice8::CreateTexture", 1,
     "D3DFont::Initialize: m_pd3dDevice->CreateTexture failed Returned E_OUTOFMEMORY"},
    {DISPLAY_STEPS, "IDirect3DDevice8::CreateTexture", 1, "Failed to create debug font."},
    {"ResetDevice", "IDirect3DDevice8::CreateTexture", 0, "D3DDriver::ResetDevice - Failed to reload texture."},
    {DISPLAY_STEPS "|make device objects", "CreateFontA", 0,
     "D3DFont::Initialize: CreateFont failed. GetLastError returned 8"},
    {DISPLAY_STEPS "|make device objects", "GetTextMetricsA", 0,
     "D3DFont::Create - GetTextMetrics failed. Code: 87"},
    {DISPLAY_STEPS, "IDirect3DDevice8::CreateVertexBuffer", 0,
     "D3DFont::CreateTheVertexBuffer: m_pd3dDevice->CreateVertexBuffer failed Returned E_OUTOFMEMORY"},
    {DISPLAY_STEPS, "CreateFontA", 0, "Failed to create debug font."},
    {DISPLAY_STEPS, "GetTextMetricsA", 0, "Failed to create debug font."},
    {DISPLAY_STEPS, "CreateCompatibleDC", 0, "Failed to create debug font."},
    {DISPLAY_STEPS, "CreateDIBSection", 0, "Failed to create debug font."},
    {DISPLAY_STEPS, "IDirect3DDevice8::CreateVertexBuffer", 0, "Failed to create debug font."},
    // The host's objects for a device: its font first, then a static and a
    // dynamic vertex buffer, then an index buffer.
    {"make device objects", "IDirect3DDevice8::CreateTexture", 0,
     "D3DFont::Initialize: m_pd3dDevice->CreateTexture failed Returned E_OUTOFMEMORY"},
    {"make device objects", "IDirect3DDevice8::CreateVertexBuffer", 1,
     "D3DFont::CreateTheVertexBuffer: m_pd3dDevice->CreateVertexBuffer failed Returned E_OUTOFMEMORY"},
    {"make device objects", "IDirect3DDevice8::CreateVertexBuffer", 0,
     "Failed to create D3D vertex buffer. (HR:E_OUTOFMEMORY)"},
    {"make device objects|draw dynamic buffer", "IDirect3DVertexBuffer8::Lock", 0,
     "Failed to lock vertex buffer (D3DERR_INVALIDCALL)"},
    {"make device objects", "IDirect3DDevice8::CreateIndexBuffer", 0,
     "Failed to create D3D index buffer. (HR:E_OUTOFMEMORY)"},
    {"make device objects", "IDirect3DIndexBuffer8::Lock", 0,
     "Failed to lock D3D index buffer. (HR:D3DERR_INVALIDCALL)"},
    // Textures.
    {FILE_TEXTURE_STEPS, "IDirect3DDevice8::CreateTexture", 0,
     "D3DDriver::CreateTextureFromFile: Failed to load "},
    {"material file A", "IDirect3DDevice8::CreateTexture", 0, "Failed to read material "},
    {"sequence texture", "IDirect3DDevice8::CreateTexture", 0, "Failed to load from "},
    {"sequence texture", "IDirect3DDevice8::CreateTexture", 0,
     "D3DDriver::CreateTextureFromFileSequence: Failed to load "},
    {"filled texture", "IDirect3DDevice8::CreateTexture", 0, "D3DDriver failed to create new 32x32 texture."},
    // Frames.
    {"BeginScene", "IDirect3DDevice8::BeginScene", 0, "D3DDriver: BeginScene failed (HR:D3DERR_INVALIDCALL)."},
    {VERTEX_BUFFER_DRAWS, "IDirect3DDevice8::DrawPrimitive", 0,
     "Failed to render D3D vertex buffer. (HR:D3DERR_INVALIDCALL)"},
    {"draw vertices|draw quads", "IDirect3DDevice8::DrawPrimitiveUP", 0,
     "Failed to render D3D verts using DrawPrimitiveUP. (HR:D3DERR_INVALIDCALL)"},
    {"EndScene", "IDirect3DDevice8::EndScene", 0, "D3DDriver: EndScene failed (HR:D3DERR_INVALIDCALL)."},
    {"EndScene", "IDirect3DDevice8::Present", 0, "D3DDriver: Present failed (HR:D3DERR_DEVICELOST)."},
    {"SaveScreenShot", "IDirect3DDevice8::GetFrontBuffer", 0,
     "SaveScreenShot: Failed to get front buffer (HR:D3DERR_INVALIDCALL)"},
};

#undef DISPLAY_STEPS
#undef FILE_TEXTURE_STEPS
#undef VERTEX_BUFFER_DRAWS

bool ListsStep(const char* steps, const std::string& step) {
    for (const char* start = steps;;) {
        const char* end = std::strchr(start, '|');
        const size_t length = end ? static_cast<size_t>(end - start) : std::strlen(start);
        if (step.size() == length && step.compare(0, length, start, length) == 0) return true;
        if (!end) return false;
        start = end + 1;
    }
}

bool IsCreation(const std::string& api) {
    const std::string operation = Operation(api);
    return StartsWith(operation, "Create") || StartsWith(operation, "Direct3DCreate") ||
           operation == "RegisterClassExA";
}

}  // namespace

InjectedFailure FailureOf(const std::string& api) {
    for (const char* never : kCannotFail)
        if (api == never) return {};
    const std::string operation = Operation(api);
    const bool creation = IsCreation(api);
    if (IsDirect3D(api)) {
        if (creation) return {true, E_OUTOFMEMORY};
        if (operation == "Present" || operation == "Reset") return {true, D3DERR_DEVICELOST};
        return {true, D3DERR_INVALIDCALL};
    }
    return {true, creation ? kWin32OutOfMemory : kWin32InvalidParameter};
}

bool FirstOfItsKind(const std::string& api, unsigned occurrence) {
    return occurrence == 1 || IsCreation(api);
}

std::vector<std::string> ExpectedLines(const std::string& step, const std::string& api,
                                       unsigned occurrence) {
    std::vector<std::string> lines;
    bool specific = false;
    for (const LineRule& rule : kLineRules)
        if (api == rule.api && ListsStep(rule.steps, step) && rule.occurrence == occurrence) specific = true;
    for (const LineRule& rule : kLineRules) {
        if (api != rule.api || !ListsStep(rule.steps, step)) continue;
        // A row for this very occurrence overrides the general ones of its step.
        const bool matches = specific ? rule.occurrence == occurrence : rule.occurrence == 0;
        if (matches) lines.push_back(rule.line);
    }
    return lines;
}

std::vector<std::string> LinesNeverExpected(const std::vector<CallSite>& calls) {
    std::vector<std::string> unused;
    for (const LineRule& rule : kLineRules) {
        bool used = false;
        for (const CallSite& call : calls) {
            if (call.api != rule.api || !ListsStep(rule.steps, call.step)) continue;
            const std::vector<std::string> lines = ExpectedLines(call.step, call.api, call.occurrence);
            used = std::find(lines.begin(), lines.end(), rule.line) != lines.end();
            if (used) break;
        }
        if (!used) unused.push_back(std::string(rule.api) + " in " + rule.steps + ": " + rule.line);
    }
    return unused;
}

}  // namespace orvsweep

#include "text/D3DFont.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <windows.h>

#include "device/DriverServices.h"
#include "device/ResultName.h"
#include "host/HostTypes.h"
#include "host/Kernel.h"
#include "state/StateValue.h"

namespace {

constexpr float kTextDepth = 0.9f;
// Triangles one batch may hold before it is drawn: 294 / 3 leaves room for
// the next character's two triangles in the 300-vertex buffer.
constexpr unsigned kFlushVertexCount = 294;

// Engine render states and values the font draws with: alpha-blended,
// alpha-tested glyphs, solid and unlit, over everything.
using state::StateValue;
constexpr StateValue kTextRenderStates[] = {
    {RENDERSTATE_ALPHABLENDENABLE, TRUE},
    {RENDERSTATE_SRCBLEND, BLEND_SRCALPHA},
    {RENDERSTATE_DESTBLEND, BLEND_INVSRCALPHA},
    {RENDERSTATE_ALPHATESTENABLE, TRUE},
    {RENDERSTATE_ALPHAREF, 8},
    {RENDERSTATE_BLENDFUNC, BLENDFUNC_NOTEQUAL},
    {RENDERSTATE_FILLMODE, FILL_SOLID},
    {RENDERSTATE_CULLMODE, CULL_CCW},
    {RENDERSTATE_ZENABLE, D3DZB_FALSE},
    {RENDERSTATE_STENCILENABLE, FALSE},
    {RENDERSTATE_CLIPPING, TRUE},
    {RENDERSTATE_EDGEANTIALIAS, FALSE},
    {RENDERSTATE_CLIPPLANEENABLE, 0},  // no user clip planes
    {RENDERSTATE_VERTEXBLEND, D3DVBF_DISABLE},
    {RENDERSTATE_INDEXEDVERTEXBLENDENABLE, FALSE},
    {RENDERSTATE_FOGENABLE, FALSE},
};
static_assert(sizeof kTextRenderStates / sizeof kTextRenderStates[0] == 16,
              "sixteen render states for text");

// Stage 0 modulates the glyph texture by the diffuse colour, colour and
// alpha, without mipmaps; stage 1 ends the cascade.
struct StageStateValue {
    unsigned stage;
    unsigned state;
    unsigned value;
};
constexpr StageStateValue kTextStageStates[] = {
    {0, TEXTURESTATE_COLOROP, TEXTUREOP_MODULATE},
    {0, TEXTURESTATE_COLORARG1, TEXTUREARG_TEXTURE},
    {0, TEXTURESTATE_COLORARG2, TEXTUREARG_DIFFUSE},
    {0, TEXTURESTATE_ALPHAOP, TEXTUREOP_MODULATE},
    {0, TEXTURESTATE_ALPHAARG1, TEXTUREARG_TEXTURE},
    {0, TEXTURESTATE_ALPHAARG2, TEXTUREARG_DIFFUSE},
    {0, TEXTURESTATE_MIPFILTER, D3DTEXF_NONE},
    {0, TEXTURESTATE_TEXCOORDINDEX, 0},  // texture coordinate set 0
    {0, TEXTURESTATE_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
    {1, TEXTURESTATE_COLOROP, TEXTUREOP_DISABLE},
    {1, TEXTURESTATE_ALPHAOP, TEXTUREOP_DISABLE},
};
static_assert(sizeof kTextStageStates / sizeof kTextStageStates[0] == 11,
              "eleven stage states for text");

// Formatting buffers of Print and GetTextWidth; longer text is cut.
constexpr size_t kPrintBufferSize = 256;
constexpr size_t kMeasureBufferSize = 1000;
// A log line of the rasterisation: a call's name and an error code.
constexpr size_t kLogLineSize = 160;

// The first character past the printable ASCII range; it has no glyph cell.
constexpr int kDeleteChar = 127;

// printf-style formatting into a fixed buffer, cut at its end.
void FormatText(char* buffer, size_t size, const char* format, va_list arguments) {
    if (std::vsnprintf(buffer, size, format, arguments) < 0) buffer[0] = '\0';
}

bool HasGlyph(signed char c) { return c >= D3DFont::kFirstChar && c < kDeleteChar; }

unsigned TextureSizeFor(unsigned pointHeight) {
    if (pointHeight > 40) return 1024;
    if (pointHeight > 20) return 512;
    return 256;
}

// The operating system's last error, as the log lines show it.
int LastError() { return static_cast<int>(GetLastError()); }

// The GDI objects of one rasterisation. Whatever was made is released when
// the canvas goes: the device context gets its own objects back, then goes
// itself (which lets go of anything still selected into it), and only then
// are the bitmap and the font deleted, since GDI refuses to delete an object
// that is selected. A failure of that release is logged only when the
// rasterisation has logged nothing yet: one line per failed creation.
class GdiCanvas {
public:
    explicit GdiCanvas(Kernel* kernel) : m_pKernel(kernel) {}
    ~GdiCanvas() {
        auto check = [&](bool done, const char* call) {
            if (!done && !m_bLogged) Fail(call);
            return done;
        };
        if (dc && originalFont) check(SelectObject(dc, originalFont) != nullptr, "SelectObject");
        if (dc && originalBitmap) check(SelectObject(dc, originalBitmap) != nullptr, "SelectObject");
        // A handle the system refused to delete is asked once more: this is
        // the last chance to let it go.
        if (dc && !check(DeleteDC(dc), "DeleteDC")) DeleteDC(dc);
        if (bitmap && !check(DeleteObject(bitmap), "DeleteObject")) DeleteObject(bitmap);
        if (font && !check(DeleteObject(font), "DeleteObject")) DeleteObject(font);
    }
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    // Logs the failed call; false, for the caller to return.
    bool Fail(const char* call) {
        return Log("D3DFont::Initialize: %s failed. GetLastError returned %d", call, LastError());
    }

    // Logs the rasterisation's line; false, for the caller to return.
    bool Log(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        char line[kLogLineSize];
        va_list arguments;
        va_start(arguments, format);
        FormatText(line, sizeof line, format, arguments);
        va_end(arguments);
        m_pKernel->LogMessage("%s", line);
        m_bLogged = true;
        return false;
    }

    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HFONT font = nullptr;
    HGDIOBJ originalBitmap = nullptr;
    HGDIOBJ originalFont = nullptr;

private:
    Kernel* m_pKernel;
    bool m_bLogged = false;
};

}  // namespace

D3DFont::D3DFont(Kernel* kernel, DriverServices* driver)
    : m_pKernel(kernel),
      m_pDriver(driver),
      m_pDevice(nullptr),
      m_PointHeight(0),
      m_Style(0),
      m_pTexture(nullptr),
      m_pVertexBuffer(nullptr),
      m_TextureWidth(0),
      m_TextureHeight(0),
      m_TextScale(1.0f),
      m_Glyphs(),
      m_TextHeight(0),
      m_AverageCharWidth(0) {}

D3DFont::~D3DFont() { ReleaseDeviceObjects(); }

bool D3DFont::Initialize(const char* typeface, unsigned pointHeight, bool bold, bool italic) {
    m_PointHeight = pointHeight;
    if (bold) m_Style |= kBold;
    if (italic) m_Style |= kItalic;
    m_TextScale = 1.0f;

    const unsigned size = TextureSizeFor(pointHeight);
    m_TextureWidth = m_TextureHeight = size;
    IDirect3DDevice8* device = m_pDriver->GetDevice();
    m_pDevice = device;
    D3DCAPS8 caps = {};
    device->GetDeviceCaps(&caps);
    if (caps.MaxTextureWidth < size) {
        m_TextScale = static_cast<float>(caps.MaxTextureWidth) / static_cast<float>(size);
        m_TextureWidth = m_TextureHeight = caps.MaxTextureWidth;
    }

    HRESULT hr = device->CreateTexture(m_TextureWidth, m_TextureHeight, 1, 0, D3DFMT_A4R4G4B4,
                                       D3DPOOL_MANAGED, &m_pTexture);
    if (hr != D3D_OK) {
        m_pKernel->LogMessage("D3DFont::Initialize: m_pd3dDevice->CreateTexture failed Returned %s",
                              ResultName(hr));
        m_pTexture = nullptr;
        ReleaseDeviceObjects();
        return false;
    }
    if (!RasterizeGlyphs(typeface)) {
        ReleaseDeviceObjects();
        return false;
    }
    if (!CreateTheVertexBuffer()) {
        ReleaseDeviceObjects();
        return false;
    }
    return true;
}

bool D3DFont::RasterizeGlyphs(const char* typeface) {
    GdiCanvas canvas(m_pKernel);
    canvas.dc = CreateCompatibleDC(nullptr);
    if (!canvas.dc) return canvas.Fail("CreateCompatibleDC");
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(m_TextureWidth);
    info.bmiHeader.biHeight = -static_cast<LONG>(m_TextureHeight);  // rows top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    canvas.bitmap = CreateDIBSection(canvas.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!canvas.bitmap || !bits) return canvas.Fail("CreateDIBSection");
    if (!SetMapMode(canvas.dc, MM_TEXT)) return canvas.Fail("SetMapMode");

    const int screenDotsPerInch = GetDeviceCaps(canvas.dc, LOGPIXELSY);
    if (screenDotsPerInch <= 0) return canvas.Fail("GetDeviceCaps");
    const int dotsPerInch = static_cast<int>(static_cast<float>(screenDotsPerInch) * m_TextScale);
    const int fontPixels = MulDiv(static_cast<int>(m_PointHeight), dotsPerInch, 72);
    if (fontPixels < 0) return canvas.Fail("MulDiv");
    canvas.font = CreateFontA(-fontPixels, 0, 0, 0, (m_Style & kBold) ? FW_BOLD : FW_NORMAL,
                              (m_Style & kItalic) ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                              VARIABLE_PITCH, typeface);
    if (!canvas.font) return canvas.Fail("CreateFont");
    canvas.originalBitmap = SelectObject(canvas.dc, canvas.bitmap);
    if (!canvas.originalBitmap) return canvas.Fail("SelectObject");
    canvas.originalFont = SelectObject(canvas.dc, canvas.font);
    if (!canvas.originalFont) return canvas.Fail("SelectObject");

    TEXTMETRICA metrics;
    if (!GetTextMetricsA(canvas.dc, &metrics))
        return canvas.Log("D3DFont::Create - GetTextMetrics failed. Code: %d", LastError());
    m_TextHeight = metrics.tmHeight;
    m_AverageCharWidth = metrics.tmAveCharWidth;

    if (SetTextColor(canvas.dc, RGB(255, 255, 255)) == CLR_INVALID)
        return canvas.Fail("SetTextColor");
    if (SetBkColor(canvas.dc, 0) == CLR_INVALID) return canvas.Fail("SetBkColor");
    if (SetTextAlign(canvas.dc, TA_TOP) == GDI_ERROR) return canvas.Fail("SetTextAlign");

    const float width = static_cast<float>(m_TextureWidth);
    const float height = static_cast<float>(m_TextureHeight);
    LONG x = 0;
    LONG y = 0;
    for (int c = kFirstChar; c < kDeleteChar; ++c) {
        const char character = static_cast<char>(c);
        SIZE extent = {0, 0};
        if (!GetTextExtentPoint32A(canvas.dc, &character, 1, &extent))
            return canvas.Fail("GetTextExtentPoint32");
        if (x + extent.cx + 1 > static_cast<LONG>(m_TextureWidth)) {
            x = 0;
            y += extent.cy + 1;
        }
        if (!ExtTextOutA(canvas.dc, x, y, ETO_OPAQUE, nullptr, &character, 1, nullptr))
            return canvas.Fail("ExtTextOut");
        Glyph& glyph = m_Glyphs[c - kFirstChar];
        glyph.left = static_cast<float>(x) / width;
        glyph.top = static_cast<float>(y) / height;
        glyph.right = static_cast<float>(x + extent.cx) / width;
        glyph.bottom = static_cast<float>(y + extent.cy) / height;
        x += extent.cx + 1;
    }

    // Coverage becomes a 4-bit alpha over white.
    D3DLOCKED_RECT locked;
    HRESULT hr = m_pTexture->LockRect(0, &locked, nullptr, 0);
    if (FAILED(hr)) {
        m_pKernel->LogMessage("D3DFont::Initialize: LockRect failed Returned %s", ResultName(hr));
        return false;
    }
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    for (unsigned row = 0; row < m_TextureHeight; ++row) {
        uint16_t* texels =
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch);
        const uint32_t* source = pixels + row * m_TextureWidth;
        for (unsigned column = 0; column < m_TextureWidth; ++column) {
            const uint16_t alpha = static_cast<uint16_t>((source[column] & 0xFF) >> 4);
            texels[column] = alpha == 0 ? 0x0000 : static_cast<uint16_t>(alpha << 12 | 0x0FFF);
        }
    }
    m_pTexture->UnlockRect(0);
    return true;
}

bool D3DFont::CreateTheVertexBuffer() {
    HRESULT hr = m_pDriver->GetDevice()->CreateVertexBuffer(
        kVertexCapacity * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0,
        D3DPOOL_DEFAULT, &m_pVertexBuffer);
    if (FAILED(hr)) {
        m_pKernel->LogMessage(
            "D3DFont::CreateTheVertexBuffer: m_pd3dDevice->CreateVertexBuffer failed Returned %s",
            ResultName(hr));
        m_pVertexBuffer = nullptr;
        return false;
    }
    return true;
}

bool D3DFont::ReleaseDeviceObjects() {
    if (m_pVertexBuffer) {
        m_pVertexBuffer->Release();
        m_pVertexBuffer = nullptr;
    }
    if (m_pTexture) {
        m_pTexture->Release();
        m_pTexture = nullptr;
    }
    return true;
}

int D3DFont::GetTextHeight() { return m_TextHeight; }
int D3DFont::GetAverageCharWidth() { return m_AverageCharWidth; }

bool D3DFont::Print(int x, int y, uint32_t colour, const char* format, ...) {
    if (!format) {
        m_pKernel->LogMessage("D3DFont::Print: no text.");
        return false;
    }
    if (!m_pTexture || !m_pVertexBuffer) return false;
    if (m_pDriver->GetDevice() != m_pDevice) {
        m_pKernel->LogMessage("D3DFont::Print: the font's display was closed.");
        return false;
    }
    char text[kPrintBufferSize];
    va_list arguments;
    va_start(arguments, format);
    FormatText(text, sizeof text, format, arguments);
    va_end(arguments);

    ApplyTextStates();
    return DrawText(text, static_cast<float>(x), static_cast<float>(y), colour);
}

void D3DFont::ApplyTextStates() {
    IDirect3DDevice8* device = m_pDriver->GetDevice();
    device->SetTexture(0, m_pTexture);
    for (const StateValue& entry : kTextRenderStates)
        m_pDriver->SetRenderState(entry.state, entry.value);
    for (const StageStateValue& entry : kTextStageStates)
        m_pDriver->SetTextureStageState(entry.stage, entry.state, entry.value);
    device->SetVertexShader(kScreenVertexFVF);
    device->SetStreamSource(0, m_pVertexBuffer, kScreenVertexStride);
}

bool D3DFont::DrawText(const char* text, float x, float y, uint32_t colour) {
    IDirect3DDevice8* device = m_pDriver->GetDevice();
    BYTE* data = nullptr;
    if (FAILED(m_pVertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD))) return false;
    ScreenVertex* vertex = reinterpret_cast<ScreenVertex*>(data);
    unsigned triangles = 0;

    const float startX = x;
    const float width = static_cast<float>(m_TextureWidth);
    const float height = static_cast<float>(m_TextureHeight);
    const Glyph& space = m_Glyphs[0];
    for (const char* p = text; *p; ++p) {
        const signed char c = static_cast<signed char>(*p);
        if (c == '\n') {
            x = startX;
            y += (space.bottom - space.top) * height;
            continue;
        }
        // Control characters, delete and bytes 128 to 255 draw nothing.
        if (!HasGlyph(c)) continue;

        const Glyph& glyph = m_Glyphs[c - kFirstChar];
        const float w = (glyph.right - glyph.left) * width / m_TextScale;
        const float h = (glyph.bottom - glyph.top) * height / m_TextScale;
        const float left = x - 0.5f;
        const float right = x + w - 0.5f;
        const float top = y - 0.5f;
        const float bottom = y + h - 0.5f;
        *vertex++ = {left, bottom, kTextDepth, 1.0f, colour, glyph.left, glyph.bottom};
        *vertex++ = {left, top, kTextDepth, 1.0f, colour, glyph.left, glyph.top};
        *vertex++ = {right, bottom, kTextDepth, 1.0f, colour, glyph.right, glyph.bottom};
        *vertex++ = {right, top, kTextDepth, 1.0f, colour, glyph.right, glyph.top};
        *vertex++ = {right, bottom, kTextDepth, 1.0f, colour, glyph.right, glyph.bottom};
        *vertex++ = {left, top, kTextDepth, 1.0f, colour, glyph.left, glyph.top};
        triangles += 2;
        if (triangles * 3 > kFlushVertexCount) {
            m_pVertexBuffer->Unlock();
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
            triangles = 0;
            if (FAILED(m_pVertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD))) return false;
            vertex = reinterpret_cast<ScreenVertex*>(data);
        }
        x += w;
    }
    m_pVertexBuffer->Unlock();
    if (triangles > 0) device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
    return true;
}

int D3DFont::GetTextWidth(const char* format, ...) {
    if (!format) {
        m_pKernel->LogMessage("D3DFont::GetTextWidth: no text.");
        return 0;
    }
    char text[kMeasureBufferSize];
    va_list arguments;
    va_start(arguments, format);
    FormatText(text, sizeof text, format, arguments);
    va_end(arguments);

    const float width = static_cast<float>(m_TextureWidth);
    float line = 0.0f;
    float widest = 0.0f;
    for (const char* p = text; *p; ++p) {
        const signed char c = static_cast<signed char>(*p);
        if (c == '\n') {
            line = 0.0f;
        } else if (HasGlyph(c)) {
            const Glyph& glyph = m_Glyphs[c - kFirstChar];
            line += (glyph.right - glyph.left) * width;
            if (line > widest) widest = line;
        }
    }
    return static_cast<int>(widest);
}

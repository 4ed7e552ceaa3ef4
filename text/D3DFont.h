// A font rasterised once with GDI into a texture of alpha values and drawn
// as pre-transformed textured triangles, two per character.
#pragma once

#include <d3d8.h>

#include <cstdint>

#include "host/Font.h"

class DriverServices;
class Kernel;

class D3DFont : public Font {
public:
    D3DFont(Kernel* kernel, DriverServices* driver);
    ~D3DFont() override;
    D3DFont(const D3DFont&) = delete;
    D3DFont& operator=(const D3DFont&) = delete;

    bool Print(int x, int y, uint32_t colour, const char* format, ...) override
        __attribute__((format(printf, 5, 6)));
    int GetTextWidth(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    int GetTextHeight() override;
    int GetAverageCharWidth() override;

    bool Initialize(const char* typeface, unsigned pointHeight, bool bold, bool italic);
    bool CreateTheVertexBuffer();
    bool ReleaseDeviceObjects();

    // Characters 32 to 127 have a cell in the glyph table.
    static constexpr int kFirstChar = 32;
    static constexpr int kGlyphCount = 96;
    // Vertices the text vertex buffer holds: 50 characters per batch.
    static constexpr unsigned kVertexCapacity = 300;

private:
    enum StyleFlags : uint32_t { kBold = 1u << 0, kItalic = 1u << 1 };

    struct Glyph {
        float left, top, right, bottom;  // texture coordinates of the cell
    };

    // Draws the printable characters with GDI and fills the glyph texture.
    bool RasterizeGlyphs(const char* typeface);
    // False when the vertex buffer cannot be written.
    bool DrawText(const char* text, float x, float y, uint32_t colour);
    void ApplyTextStates();

    Kernel* m_pKernel;
    DriverServices* m_pDriver;
    // The device the glyph texture and vertex buffer were made on (not
    // owned: they hold it alive). A font outlives a display change but can
    // only draw on its own device.
    IDirect3DDevice8* m_pDevice;
    unsigned m_PointHeight;
    uint32_t m_Style;
    IDirect3DTexture8* m_pTexture;
    IDirect3DVertexBuffer8* m_pVertexBuffer;
    unsigned m_TextureWidth;
    unsigned m_TextureHeight;
    float m_TextScale;
    Glyph m_Glyphs[kGlyphCount];
    int m_TextHeight;
    int m_AverageCharWidth;
};

// A memory device context: the bitmap and font selected into it, the text
// attributes, and text drawn into the bitmap. Coordinates are bitmap pixels
// (MM_TEXT is the only mapping mode), and the background mode is always
// opaque: drawn text first fills its cell with the background colour.
#pragma once

#include "GdiBitmap.h"
#include "GdiFont.h"
#include "GdiObject.h"

#include <windows.h>

namespace orvwin32 {

class GdiDeviceContext : public GdiObject {
public:
    // Starts with the stock objects selected, black text on white.
    GdiDeviceContext(GdiBitmap* stockBitmap, GdiFont* stockFont);
    ~GdiDeviceContext() override;
    GdiDeviceContext(const GdiDeviceContext&) = delete;
    GdiDeviceContext& operator=(const GdiDeviceContext&) = delete;

    Kind GetKind() const override { return Kind::DeviceContext; }
    // "device context with bitmap 256x256 32bpp"
    std::string Describe() const override;

    // Both hand back the object they replace.
    GdiBitmap* Select(GdiBitmap* bitmap);
    GdiFont* Select(GdiFont* font);
    GdiBitmap* SelectedBitmap() const { return m_Bitmap; }
    const GdiFont& SelectedFont() const { return *m_Font; }

    // The setters hand back the previous value.
    COLORREF SetTextColour(COLORREF colour);
    COLORREF SetBackgroundColour(COLORREF colour);
    UINT SetTextAlign(UINT align);

    // Sum of the characters' whole-pixel advances, without kerning, by the
    // font's cell height.
    SIZE TextExtent(const char* text, int length) const;
    // ExtTextOut: `rect` may be null; `dx`, when not null, replaces the
    // characters' advances.
    void DrawText(int x, int y, UINT options, const RECT* rect, const char* text, UINT length,
                  const INT* dx);

private:
    GdiBitmap* m_Bitmap;
    GdiFont* m_Font;
    COLORREF m_TextColour;
    COLORREF m_BackgroundColour;
    UINT m_TextAlign;
};

}  // namespace orvwin32

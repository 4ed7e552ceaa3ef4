// A device-independent bitmap section: 24 or 32 bits a pixel in BGR(X) byte
// order, rows top-down or bottom-up as the BITMAPINFOHEADER's height sign
// says, each row padded to 4 bytes. The pixels are zeroed at creation and
// stay at one address for the bitmap's life.
#pragma once

#include "GdiObject.h"

#include <windows.h>

#include <cstdint>
#include <memory>

namespace orvwin32 {

class GdiBitmap : public GdiObject {
public:
    // Null for a size or format this stand-in does not draw into
    // (see Supports).
    static std::unique_ptr<GdiBitmap> Create(const BITMAPINFOHEADER& header);
    static bool Supports(const BITMAPINFOHEADER& header);

    Kind GetKind() const override { return Kind::Bitmap; }
    // "bitmap 256x256 32bpp"
    std::string Describe() const override;
    int Width() const { return m_Width; }
    int Height() const { return m_Height; }
    void* Bits() { return m_Bits.get(); }
    RECT Bounds() const { return RECT{0, 0, m_Width, m_Height}; }

    // Both clip to `clip`, which must lie within Bounds().
    void Fill(const RECT& area, const RECT& clip, COLORREF colour);
    // Moves the pixel at (x, y) towards `colour` by coverage / 255.
    void Blend(int x, int y, COLORREF colour, uint8_t coverage);

private:
    GdiBitmap(int width, int height, bool topDown, int bytesPerPixel);
    uint8_t* Pixel(int x, int y);

    int m_Width;
    int m_Height;
    bool m_TopDown;
    int m_BytesPerPixel;
    size_t m_Stride;
    std::unique_ptr<uint8_t[]> m_Bits;
};

}  // namespace orvwin32

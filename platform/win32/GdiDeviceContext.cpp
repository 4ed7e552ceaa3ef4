#include "GdiDeviceContext.h"

#include <algorithm>
#include <vector>

namespace orvwin32 {
namespace {

// SetTextAlign flags beyond TA_LEFT and TA_TOP.
constexpr UINT kAlignRight = 2;
constexpr UINT kAlignCentre = 6;
constexpr UINT kAlignHorizontal = 6;
constexpr UINT kAlignBottom = 8;
constexpr UINT kAlignBaseline = 24;
constexpr UINT kAlignVertical = 24;

RECT Intersect(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

bool Contains(const RECT& rect, LONG x, LONG y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

}  // namespace

GdiDeviceContext::GdiDeviceContext(GdiBitmap* stockBitmap, GdiFont* stockFont)
    : m_Bitmap(stockBitmap),
      m_Font(stockFont),
      m_TextColour(RGB(0, 0, 0)),
      m_BackgroundColour(RGB(255, 255, 255)),
      m_TextAlign(TA_LEFT | TA_TOP) {
    m_Bitmap->AddSelection();
    m_Font->AddSelection();
}

std::string GdiDeviceContext::Describe() const {
    return "device context with " + m_Bitmap->Describe();
}

GdiDeviceContext::~GdiDeviceContext() {
    m_Bitmap->RemoveSelection();
    m_Font->RemoveSelection();
}

GdiBitmap* GdiDeviceContext::Select(GdiBitmap* bitmap) {
    GdiBitmap* previous = m_Bitmap;
    previous->RemoveSelection();
    bitmap->AddSelection();
    m_Bitmap = bitmap;
    return previous;
}

GdiFont* GdiDeviceContext::Select(GdiFont* font) {
    GdiFont* previous = m_Font;
    previous->RemoveSelection();
    font->AddSelection();
    m_Font = font;
    return previous;
}

COLORREF GdiDeviceContext::SetTextColour(COLORREF colour) {
    std::swap(m_TextColour, colour);
    return colour;
}

COLORREF GdiDeviceContext::SetBackgroundColour(COLORREF colour) {
    std::swap(m_BackgroundColour, colour);
    return colour;
}

UINT GdiDeviceContext::SetTextAlign(UINT align) {
    std::swap(m_TextAlign, align);
    return align;
}

SIZE GdiDeviceContext::TextExtent(const char* text, int length) const {
    SIZE size = {0, m_Font->Metrics().tmHeight};
    for (int i = 0; i < length; ++i)
        size.cx += m_Font->Glyph(static_cast<unsigned char>(text[i]), false).advance;
    return size;
}

void GdiDeviceContext::DrawText(int x, int y, UINT options, const RECT* rect, const char* text,
                                UINT length, const INT* dx) {
    const TEXTMETRICA& metrics = m_Font->Metrics();
    std::vector<GdiGlyph> glyphs;
    LONG width = 0;
    for (UINT i = 0; i < length; ++i) {
        glyphs.push_back(m_Font->Glyph(static_cast<unsigned char>(text[i]), true));
        if (dx) glyphs.back().advance = dx[i];
        width += glyphs.back().advance;
    }

    LONG left = x;
    if ((m_TextAlign & kAlignHorizontal) == kAlignRight) left -= width;
    if ((m_TextAlign & kAlignHorizontal) == kAlignCentre) left -= width / 2;
    LONG top = y;
    if ((m_TextAlign & kAlignVertical) == kAlignBaseline) top -= metrics.tmAscent;
    if ((m_TextAlign & kAlignVertical) == kAlignBottom) top -= metrics.tmHeight;

    const RECT bounds = m_Bitmap->Bounds();
    const RECT clip = (rect && (options & ETO_CLIPPED)) ? Intersect(bounds, *rect) : bounds;
    if (rect && (options & ETO_OPAQUE)) m_Bitmap->Fill(*rect, clip, m_BackgroundColour);
    m_Bitmap->Fill(RECT{left, top, left + width, top + metrics.tmHeight}, clip, m_BackgroundColour);

    const LONG baseline = top + metrics.tmAscent;
    LONG pen = left;
    for (const GdiGlyph& glyph : glyphs) {
        for (int row = 0; row < glyph.rows; ++row) {
            const LONG pixelY = baseline - glyph.top + row;
            for (int column = 0; column < glyph.width; ++column) {
                const LONG pixelX = pen + glyph.left + column;
                const uint8_t coverage = glyph.coverage[static_cast<size_t>(row) * glyph.width + column];
                if (coverage && Contains(clip, pixelX, pixelY))
                    m_Bitmap->Blend(pixelX, pixelY, m_TextColour, coverage);
            }
        }
        pen += glyph.advance;
    }
}

}  // namespace orvwin32

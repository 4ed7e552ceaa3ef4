#include "GdiFontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>

namespace orvwin32 {
namespace {

// One FreeType library for the process; faces are opened on the host thread.
FT_Library Library() {
    static FT_Library library = [] {
        FT_Library created = nullptr;
        return FT_Init_FreeType(&created) == 0 ? created : nullptr;
    }();
    return library;
}

// PANOSE serif styles 2 (cove) to 10 (triangle) have serifs; 11 and up are
// the sans styles, 0 and 1 say nothing.
bool HasSerifs(const TT_OS2* os2) {
    const int serifStyle = os2->panose[1];
    return serifStyle >= 2 && serifStyle <= 10;
}

GdiFaceDesign ReadDesign(FT_Face face) {
    GdiFaceDesign design;
    design.unitsPerEm = face->units_per_EM;
    design.boundingWidth = static_cast<int>(face->bbox.xMax - face->bbox.xMin);
    design.fixedPitch = FT_IS_FIXED_WIDTH(face);
    design.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    design.hheaAscent = face->ascender;
    design.hheaDescent = -face->descender;
    design.winAscent = design.hheaAscent;
    design.winDescent = design.hheaDescent;
    design.lineGap = face->height - (face->ascender - face->descender);
    if (auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA)))
        design.lineGap = hhea->Line_Gap;
    auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF) {
        design.winAscent = os2->usWinAscent;
        design.winDescent = os2->usWinDescent;
        design.averageCharWidth = os2->xAvgCharWidth;
        design.weightClass = os2->usWeightClass;
        design.serif = HasSerifs(os2);
    }
    return design;
}

// Copies FreeType's rendered bitmap as one coverage byte a pixel.
void CopyCoverage(const FT_Bitmap& bitmap, GdiGlyph* glyph) {
    glyph->width = static_cast<int>(bitmap.width);
    glyph->rows = static_cast<int>(bitmap.rows);
    glyph->coverage.assign(static_cast<size_t>(glyph->width) * glyph->rows, 0);
    for (int row = 0; row < glyph->rows; ++row) {
        const unsigned char* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        uint8_t* target = &glyph->coverage[static_cast<size_t>(row) * glyph->width];
        for (int column = 0; column < glyph->width; ++column) {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                target[column] = (source[column >> 3] & (0x80 >> (column & 7))) ? 255 : 0;
            else
                target[column] = source[column];
        }
    }
}

}  // namespace

std::unique_ptr<GdiFontFace> GdiFontFace::Open(const std::string& file, int index, Style style) {
    FT_Library library = Library();
    FT_Face face = nullptr;
    if (!library || FT_New_Face(library, file.c_str(), index, &face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(face) || FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    return std::unique_ptr<GdiFontFace>(new GdiFontFace(face, style));
}

GdiFontFace::GdiFontFace(FT_FaceRec_* face, Style style)
    : m_Face(face), m_Style(style), m_Design(ReadDesign(face)) {}

GdiFontFace::~GdiFontFace() { FT_Done_Face(m_Face); }

bool GdiFontFace::SetSize(double emPixels, double emPixelsX) {
    const auto to26Dot6 = [](double pixels) { return static_cast<FT_F26Dot6>(std::lround(pixels * 64)); };
    // At 72 dots per inch a point is a pixel.
    return FT_Set_Char_Size(m_Face, to26Dot6(emPixelsX), to26Dot6(emPixels), 72, 72) == 0;
}

GdiGlyph GdiFontFace::Load(uint32_t codePoint, bool render) const {
    GdiGlyph glyph;
    const FT_Int32 target = m_Style.monochrome ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
    if (FT_Load_Glyph(m_Face, FT_Get_Char_Index(m_Face, codePoint), FT_LOAD_DEFAULT | target) != 0)
        return glyph;
    FT_GlyphSlot slot = m_Face->glyph;
    if (m_Style.emboldened) FT_GlyphSlot_Embolden(slot);
    if (m_Style.slanted) FT_GlyphSlot_Oblique(slot);
    glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (!render) return glyph;
    const FT_Render_Mode mode = m_Style.monochrome ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
    if (FT_Render_Glyph(slot, mode) != 0) return glyph;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    CopyCoverage(slot->bitmap, &glyph);
    return glyph;
}

void GdiFontFace::MappedRange(uint32_t limit, uint32_t* first, uint32_t* last) const {
    FT_UInt index = 0;
    FT_ULong code = FT_Get_First_Char(m_Face, &index);
    *first = *last = 0;
    if (index == 0 || code > limit) return;
    *first = *last = static_cast<uint32_t>(code);
    while ((code = FT_Get_Next_Char(m_Face, code, &index)), index != 0 && code <= limit)
        *last = static_cast<uint32_t>(code);
}

}  // namespace orvwin32

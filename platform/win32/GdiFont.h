// A GDI font: the logical font CreateFontA was given, the face fontconfig
// chose for it scaled to size, and the text metrics GDI would report.
// Escapement and orientation are not supported (text runs left to right
// along the x axis); underline and strike-out are reported in the metrics
// but not drawn.
#pragma once

#include "GdiFontFace.h"
#include "GdiFontMatch.h"
#include "GdiObject.h"

#include <windows.h>

#include <memory>
#include <string>

namespace orvwin32 {

struct GdiLogicalFont {
    int height = 0;  // < 0: em height in pixels; > 0: cell height; 0: 12 points
    int width = 0;   // average character width in pixels; 0 keeps the aspect
    int weight = 0;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    unsigned quality = 0;  // NONANTIALIASED_QUALITY renders without anti-aliasing
    unsigned pitchAndFamily = 0;
    std::string faceName;
};

class GdiFont : public GdiObject {
public:
    // Null when no face can be found or opened. `dotsPerInch` sizes the
    // default font and becomes the digitised aspect.
    static std::unique_ptr<GdiFont> Create(const GdiLogicalFont& logical, int dotsPerInch);

    Kind GetKind() const override { return Kind::Font; }
    // "font height 16 weight 700 (file)": the cell height, the weight, the face file
    std::string Describe() const override;
    const TEXTMETRICA& Metrics() const { return m_Metrics; }
    const std::string& File() const { return m_File; }

    // The glyph of one character of the ANSI code page (1252).
    GdiGlyph Glyph(unsigned char character, bool render) const;

private:
    GdiFont(std::unique_ptr<GdiFontFace> face, std::string file);
    void Scale(const GdiLogicalFont& logical, int dotsPerInch, const GdiFontMatch& match);

    std::unique_ptr<GdiFontFace> m_Face;
    std::string m_File;
    TEXTMETRICA m_Metrics;
};

}  // namespace orvwin32

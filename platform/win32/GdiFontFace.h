// One FreeType face scaled to a pixel size: the numbers GDI's text metrics
// are made of, and glyphs as advances and coverage bitmaps.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct FT_FaceRec_;

namespace orvwin32 {

// A glyph at the face's size. Coverage is 0..255, `width` bytes a row, rows
// top to bottom; (left, top) is the bitmap's top-left corner relative to the
// pen position on the baseline, y growing upwards as in FreeType.
struct GdiGlyph {
    int advance = 0;  // whole pixels
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    std::vector<uint8_t> coverage;
};

// Face-wide numbers in font units, from the OS/2, hhea and head tables.
struct GdiFaceDesign {
    int unitsPerEm = 0;
    int winAscent = 0;   // OS/2 usWinAscent, else hhea ascender
    int winDescent = 0;  // OS/2 usWinDescent, else -hhea descender
    int lineGap = 0;     // hhea line gap
    int hheaAscent = 0;
    int hheaDescent = 0;       // positive below the baseline
    int averageCharWidth = 0;  // OS/2 xAvgCharWidth; 0 when the table lacks it
    int boundingWidth = 0;     // head xMax - xMin
    int weightClass = 0;       // OS/2 usWeightClass; 0 when absent
    bool italic = false;
    bool fixedPitch = false;
    bool serif = false;  // from the PANOSE serif style
};

class GdiFontFace {
public:
    struct Style {
        bool emboldened = false;  // synthesise bold: the file has none
        bool slanted = false;     // synthesise italic
        bool monochrome = false;  // render without anti-aliasing
    };

    // Null when FreeType cannot open the face.
    static std::unique_ptr<GdiFontFace> Open(const std::string& file, int index, Style style);
    ~GdiFontFace();
    GdiFontFace(const GdiFontFace&) = delete;
    GdiFontFace& operator=(const GdiFontFace&) = delete;

    const GdiFaceDesign& Design() const { return m_Design; }

    // Scales the face: `emPixels` tall, `emPixelsX` wide (equal for
    // undistorted text). Both in pixels, fractions allowed.
    bool SetSize(double emPixels, double emPixelsX);

    // The glyph of a Unicode code point (the face's missing-glyph shape when
    // it has none); `render` false skips the bitmap.
    GdiGlyph Load(uint32_t codePoint, bool render) const;
    // The lowest and highest code points up to `limit` the face maps.
    void MappedRange(uint32_t limit, uint32_t* first, uint32_t* last) const;

private:
    GdiFontFace(FT_FaceRec_* face, Style style);

    FT_FaceRec_* m_Face;
    Style m_Style;
    GdiFaceDesign m_Design;
};

}  // namespace orvwin32

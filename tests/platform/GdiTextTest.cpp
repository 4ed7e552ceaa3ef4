// Text metrics and drawing of the GDI stand-in, checked against the font
// files themselves read through FreeType.
#include "GdiCanvas.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <set>
#include <string>
#include <utility>

namespace {

struct FaceCase {
    const char* face;
    int weight;
    bool italic;
    const char* file;  // the file it must resolve to
};

constexpr FaceCase kFaces[] = {
    {"Arial", FW_NORMAL, false, "LiberationSans-Regular.ttf"},
    {"Arial", FW_BOLD, false, "LiberationSans-Bold.ttf"},
    {"Arial", FW_NORMAL, true, "LiberationSans-Italic.ttf"},
    {"Times New Roman", FW_NORMAL, false, "LiberationSerif-Regular.ttf"},
    {"Courier New", FW_NORMAL, false, "LiberationMono-Regular.ttf"},
};

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The font file opened directly, for reference numbers.
class ReferenceFace {
public:
    explicit ReferenceFace(const std::string& file) {
        if (FT_Init_FreeType(&m_Library) == 0) FT_New_Face(m_Library, file.c_str(), 0, &m_Face);
    }
    ~ReferenceFace() {
        if (m_Face) FT_Done_Face(m_Face);
        if (m_Library) FT_Done_FreeType(m_Library);
    }
    bool Valid() const { return m_Face && Os2(); }
    const TT_OS2* Os2() const { return static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(m_Face, FT_SFNT_OS2)); }
    double Scale(int emPixels) const { return static_cast<double>(emPixels) / m_Face->units_per_EM; }
    // Unhinted advance sum in pixels.
    double Advance(const char* text, int emPixels) const {
        FT_Set_Pixel_Sizes(m_Face, 0, emPixels);
        double sum = 0;
        for (const char* c = text; *c; ++c)
            if (FT_Load_Char(m_Face, static_cast<unsigned char>(*c), FT_LOAD_NO_HINTING) == 0)
                sum += m_Face->glyph->linearHoriAdvance / 65536.0;
        return sum;
    }

private:
    FT_Library m_Library = nullptr;
    FT_Face m_Face = nullptr;
};

class GdiText : public GdiTest {};

}  // namespace

TEST_F(GdiText, FacesResolveToTheMetricCompatibleFilesWithTheirOwnMetrics) {
    constexpr int kEm = 16;
    const char* const kSample = "Hello, World";
    // Italics share the upright advances; their slant widens the bounding box.
    std::set<std::pair<LONG, LONG>> signatures;
    LONG regularWidth = 0;
    for (const FaceCase& c : kFaces) {
        SCOPED_TRACE(testing::Message() << c.face << " weight " << c.weight << " italic " << c.italic);
        GdiCanvas canvas(8, 8);
        ASSERT_TRUE(canvas.Valid());
        ASSERT_TRUE(canvas.UseFont(-kEm, c.weight, c.italic, c.face));
        const std::string file = orvplatform::FontFileOf(canvas.Font());
        EXPECT_EQ(BaseName(file), c.file);
        ReferenceFace reference(file);
        ASSERT_TRUE(reference.Valid());
        const TT_OS2* os2 = reference.Os2();
        const double scale = reference.Scale(kEm);

        const TEXTMETRICA tm = canvas.Metrics();
        EXPECT_EQ(tm.tmAscent, std::lround(os2->usWinAscent * scale));
        // Ascent and descent are rounded apart, as the system does.
        EXPECT_EQ(tm.tmDescent, std::lround(os2->usWinDescent * scale));
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, kEm);
        EXPECT_EQ(tm.tmAveCharWidth, std::lround(os2->xAvgCharWidth * scale));
        EXPECT_EQ(tm.tmWeight, os2->usWeightClass);
        EXPECT_EQ(tm.tmItalic != 0, c.italic);
        EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);

        const SIZE extent = canvas.Extent(kSample);
        EXPECT_EQ(extent.cy, tm.tmHeight);
        // Hinting moves each advance by less than a pixel.
        EXPECT_NEAR(extent.cx, reference.Advance(kSample, kEm), std::strlen(kSample) / 2.0);
        signatures.insert({extent.cx, tm.tmMaxCharWidth});
        if (c.weight == FW_NORMAL && !c.italic && regularWidth == 0) regularWidth = extent.cx;
        if (c.weight == FW_BOLD) {
            EXPECT_GT(extent.cx, regularWidth);
        }
    }
    EXPECT_EQ(signatures.size(), std::size(kFaces));
}

TEST_F(GdiText, DebugFontMetricsMatchTheSystems) {
    // Arial 12 pt bold at 96 dpi, as the system reports it: the cell is one
    // pixel shorter than the rounded sum of the face's ascent and descent.
    GdiCanvas canvas(8, 8);
    ASSERT_TRUE(canvas.UseFont(-MulDiv(12, 96, 72), FW_BOLD, false, "Arial"));
    const TEXTMETRICA tm = canvas.Metrics();
    EXPECT_EQ(tm.tmHeight, 17);
    EXPECT_EQ(tm.tmAscent, 14);
    EXPECT_EQ(tm.tmDescent, 3);
    EXPECT_EQ(tm.tmInternalLeading, 1);
    EXPECT_EQ(tm.tmAveCharWidth, 10);
    EXPECT_EQ(canvas.Extent(" ").cx, 4);
    EXPECT_EQ(canvas.Extent("M").cx, 13);
}

TEST_F(GdiText, HeightsSizeTheEmOrTheCell) {
    struct Case {
        int height;
        int dotsPerInch;
        int em;    // expected tmHeight - tmInternalLeading; 0 when the cell is given
        int cell;  // expected tmHeight; 0 when the em is given
    };
    const Case cases[] = {
        {-16, 96, 16, 0}, {-32, 96, 32, 0}, {-9, 96, 9, 0},
        {20, 96, 0, 20},  {37, 96, 0, 37},
        {0, 96, 16, 0},   {0, 144, 24, 0},  // the default size is 12 points
    };
    SIZE previous = {0, 0};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "height " << c.height << " at " << c.dotsPerInch << " dpi");
        orvplatform::SetLogPixelsY(c.dotsPerInch);
        GdiCanvas canvas(8, 8);
        EXPECT_EQ(GetDeviceCaps(canvas.Dc(), LOGPIXELSY), c.dotsPerInch);
        EXPECT_EQ(GetDeviceCaps(canvas.Dc(), LOGPIXELSX), c.dotsPerInch);
        ASSERT_TRUE(canvas.UseFont(c.height, FW_NORMAL, false, "Arial"));
        const TEXTMETRICA tm = canvas.Metrics();
        if (c.em) {
            EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, c.em);
        } else {
            EXPECT_EQ(tm.tmHeight, c.cell);
        }
        const SIZE extent = canvas.Extent("Mmmm");
        if (c.height == -32) {
            EXPECT_NEAR(extent.cx, 2.0 * previous.cx, 0.1 * extent.cx);
        }
        previous = extent;
    }
    orvplatform::ResetAll();
    GdiCanvas canvas(8, 8);
    EXPECT_EQ(GetDeviceCaps(canvas.Dc(), LOGPIXELSY), 96) << "reset to the default";
}

TEST_F(GdiText, GlyphsHangFromTheTopWithTheirInkWhereTheFaceSays) {
    constexpr int kEm = 40;
    constexpr int kX = 7;
    constexpr int kY = 5;
    struct Case {
        const char* text;
        double inkTopFromBaseline;  // in em fractions, from the OS/2 table or the glyph's shape
        double tolerance;           // pixels
    };
    GdiCanvas canvas(80, 80);
    ASSERT_TRUE(canvas.UseFont(-kEm, FW_NORMAL, false, "Arial"));
    ReferenceFace reference(orvplatform::FontFileOf(canvas.Font()));
    ASSERT_TRUE(reference.Valid());
    const Case cases[] = {
        {"A", reference.Os2()->sCapHeight * reference.Scale(kEm), 1.0},
        {".", kEm * 0.1, 2.5},  // a full stop is about a tenth of the em tall
    };
    const int baseline = kY + canvas.Metrics().tmAscent;
    GdiInkBox boxes[2];
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.text);
        std::memset(canvas.Bits(), 0, canvas.Size());
        ASSERT_TRUE(canvas.Draw(kX, kY, c.text));
        const GdiInkBox ink = boxes[i] = canvas.Ink();
        ASSERT_FALSE(ink.Empty());
        EXPECT_NEAR(ink.bottom, baseline, 1.0);
        EXPECT_NEAR(ink.top, baseline - c.inkTopFromBaseline, c.tolerance);
        EXPECT_GE(ink.left, kX);
        EXPECT_LE(ink.right, kX + canvas.Extent(c.text).cx);
    }
    // The full stop sits low and narrow inside a cell the letter fills.
    EXPECT_GT(boxes[1].top, boxes[0].top + kEm / 2);
    EXPECT_LT(boxes[1].right - boxes[1].left, (boxes[0].right - boxes[0].left) / 3);
}

TEST_F(GdiText, TextBlendsItsColourOverTheOpaqueCellAtTheQualitysCoverage) {
    constexpr uint8_t kUntouched = 0x7F;
    constexpr int kX = 5;
    constexpr int kY = 6;
    for (DWORD quality : {ANTIALIASED_QUALITY, NONANTIALIASED_QUALITY}) {
        GdiCanvas canvas(70, 60);
        ASSERT_TRUE(canvas.UseFont(-40, FW_NORMAL, false, "Arial", quality));
        SetTextColor(canvas.Dc(), RGB(200, 100, 50));
        SetBkColor(canvas.Dc(), RGB(10, 20, 30));
        const TEXTMETRICA tm = canvas.Metrics();
        for (const char* text : {" ", "Ilo"}) {
            SCOPED_TRACE(testing::Message() << "quality " << quality << " text '" << text << "'");
            std::memset(canvas.Bits(), kUntouched, canvas.Size());
            const SIZE extent = canvas.Extent(text);
            ASSERT_TRUE(canvas.Draw(kX, kY, text));
            int full = 0, partial = 0;
            for (int y = 0; y < canvas.Height(); ++y)
                for (int x = 0; x < canvas.Width(); ++x) {
                    const uint8_t* pixel = canvas.Pixel(x, y);
                    if (x < kX || x >= kX + extent.cx || y < kY || y >= kY + tm.tmHeight) {
                        ASSERT_EQ(pixel[0], kUntouched) << x << "," << y;
                        continue;
                    }
                    // Every channel lies between the background and the text
                    // colour at one shared coverage.
                    const double coverage = (pixel[2] - 10) / 190.0;
                    EXPECT_NEAR(pixel[1], 20 + coverage * 80, 1.5) << x << "," << y;
                    EXPECT_NEAR(pixel[0], 30 + coverage * 20, 1.5) << x << "," << y;
                    full += pixel[2] == 200 && pixel[1] == 100 && pixel[0] == 50;
                    partial += pixel[2] > 10 && pixel[2] < 200;
                }
            // Vertical stems cover whole pixels; a space covers none; only
            // anti-aliasing leaves pixels in between on the round letter.
            EXPECT_EQ(full > 0, text[0] != ' ');
            EXPECT_EQ(partial > 0, text[0] != ' ' && quality == ANTIALIASED_QUALITY);
        }
    }
}

TEST_F(GdiText, BottomUpSectionsHoldTheSameImageWithRowsReversed) {
    constexpr int kWidth = 50;
    constexpr int kHeight = 30;
    GdiCanvas topDown(kWidth, kHeight, true);
    GdiCanvas bottomUp(kWidth, kHeight, false);
    for (GdiCanvas* canvas : {&topDown, &bottomUp}) {
        ASSERT_TRUE(canvas->UseFont(-20, FW_BOLD, false, "Times New Roman"));
        ASSERT_TRUE(canvas->Draw(3, 1, "Ag"));
    }
    ASSERT_FALSE(topDown.Ink().Empty());
    const size_t stride = kWidth * 4;
    for (int row = 0; row < kHeight; ++row)
        ASSERT_EQ(std::memcmp(topDown.Bits() + row * stride, bottomUp.Bits() + (kHeight - 1 - row) * stride,
                              stride),
                  0)
            << "row " << row;
}

TEST_F(GdiText, DrawingIsClippedToTheSectionAndTheClipRectangle) {
    constexpr int kRefX = 30;
    constexpr int kRefY = 30;
    GdiCanvas reference(100, 100);
    ASSERT_TRUE(reference.UseFont(-28, FW_NORMAL, true, "Arial"));
    ASSERT_TRUE(reference.Draw(kRefX, kRefY, "Wj"));
    const SIZE extent = reference.Extent("Wj");

    const POINT positions[] = {{-9, -11}, {14, 10}, {-20, 12}, {5, -25}, {20, 20}, {-200, -200}};
    for (const POINT& at : positions) {
        SCOPED_TRACE(testing::Message() << "at " << at.x << "," << at.y);
        GdiCanvas canvas(24, 24);
        ASSERT_TRUE(canvas.UseFont(-28, FW_NORMAL, true, "Arial"));
        ASSERT_TRUE(canvas.Draw(at.x, at.y, "Wj"));
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x) {
                const int refX = x - at.x + kRefX;
                const int refY = y - at.y + kRefY;
                const bool inside = refX >= 0 && refX < 100 && refY >= 0 && refY < 100;
                ASSERT_EQ(canvas.Blue(x, y), inside ? reference.Blue(refX, refY) : 0) << x << "," << y;
            }
    }

    // ETO_CLIPPED keeps the ink inside the rectangle.
    GdiCanvas clipped(100, 100);
    ASSERT_TRUE(clipped.UseFont(-28, FW_NORMAL, true, "Arial"));
    const RECT clip = {kRefX, kRefY, kRefX + extent.cx / 2, kRefY + extent.cy};
    ASSERT_TRUE(ExtTextOutA(clipped.Dc(), kRefX, kRefY, ETO_CLIPPED, &clip, "Wj", 2, nullptr));
    const GdiInkBox ink = clipped.Ink();
    ASSERT_FALSE(ink.Empty());
    EXPECT_GE(ink.left, clip.left);
    EXPECT_LE(ink.right, clip.right);
}

// Text metrics and drawing of the GDI stand-in, checked against the font
// files themselves read through FreeType; lifetimes and selection of GDI
// objects as the system has them.
#include <gtest/gtest.h>
#include <orv/PlatformControl.h>
#include <windows.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

namespace {

BITMAPINFO DibInfo(LONG width, LONG height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

// A memory DC with a top-down 32-bit DIB section and a font selected into it;
// it puts back what it replaced and deletes what it made.
class GdiCanvas {
public:
    GdiCanvas(int width, int height) : m_Width(width), m_Height(height) {
        const BITMAPINFO info = DibInfo(width, -height);
        m_Dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_Bitmap = CreateDIBSection(m_Dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_Bits = static_cast<uint8_t*>(bits);
        m_OriginalBitmap = SelectObject(m_Dc, m_Bitmap);
        SetTextColor(m_Dc, RGB(255, 255, 255));
        SetBkColor(m_Dc, RGB(0, 0, 0));
    }
    ~GdiCanvas() {
        if (m_OriginalFont) SelectObject(m_Dc, m_OriginalFont);
        if (m_Font) DeleteObject(m_Font);
        SelectObject(m_Dc, m_OriginalBitmap);
        DeleteObject(m_Bitmap);
        DeleteDC(m_Dc);
    }

    GdiCanvas(const GdiCanvas&) = delete;  // owns its DC and section

    // Makes and selects a font the way the plug-in does; false on failure.
    bool UseFont(int height, int weight, bool italic, const char* face,
                 DWORD quality = ANTIALIASED_QUALITY) {
        m_Font = CreateFontA(height, 0, 0, 0, weight, italic, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality, VARIABLE_PITCH, face);
        if (m_Font) m_OriginalFont = SelectObject(m_Dc, m_Font);
        return m_Bits && m_Font && m_OriginalFont;
    }
    TEXTMETRICA Metrics() const {
        TEXTMETRICA metrics = {};
        GetTextMetricsA(m_Dc, &metrics);
        return metrics;
    }
    SIZE Extent(const char* text) const {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(m_Dc, text, int(std::strlen(text)), &size);
        return size;
    }
    BOOL Draw(int x, int y, const char* text) const {
        return ExtTextOutA(m_Dc, x, y, ETO_OPAQUE, nullptr, text, UINT(std::strlen(text)), nullptr);
    }
    const uint8_t* Pixel(int x, int y) const { return m_Bits + (size_t(y) * m_Width + x) * 4; }

    const int m_Width, m_Height;
    HDC m_Dc = nullptr;
    HFONT m_Font = nullptr;
    uint8_t* m_Bits = nullptr;

private:
    HBITMAP m_Bitmap = nullptr;
    HGDIOBJ m_OriginalBitmap = nullptr, m_OriginalFont = nullptr;
};

// A font file's win ascent and descent in pixels at `em`, read with FreeType.
std::pair<long, long> ReferenceAscentDescent(const std::string& file, int em) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::pair<long, long> result{-1, -1};
    if (FT_Init_FreeType(&library) != 0) return result;
    if (FT_New_Face(library, file.c_str(), 0, &face) == 0) {
        if (auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)))
            result = {std::lround(os2->usWinAscent * double(em) / face->units_per_EM),
                      std::lround(os2->usWinDescent * double(em) / face->units_per_EM)};
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return result;
}

constexpr DWORD kErrorBusy = 170;

// Each GDI test starts from a fresh platform and gives back every object it made.
class GdiTest : public testing::Test {
protected:
    void SetUp() override {
        orvplatform::ResetAll();
        m_LiveBefore = orvplatform::LiveGdiObjectCount();
    }
    void TearDown() override {
        orvplatform::ResetAll();
        EXPECT_EQ(orvplatform::LiveGdiObjectCount(), m_LiveBefore);
    }
    size_t m_LiveBefore = 0;
};
using GdiText = GdiTest;
using GdiObjects = GdiTest;

}  // namespace

TEST_F(GdiText, FacesResolveToTheMetricCompatibleFilesAndRoundAscentAndDescentApart) {
    constexpr int kEm = 16;
    const struct { const char* face; int weight; bool italic; const char* file; } cases[] = {
        {"Arial", FW_BOLD, false, "LiberationSans-Bold.ttf"},
        {"Times New Roman", FW_NORMAL, true, "LiberationSerif-Italic.ttf"},
        {"Courier New", FW_NORMAL, false, "LiberationMono-Regular.ttf"}};
    for (const auto& c : cases) {
        GdiCanvas canvas(8, 8);
        ASSERT_TRUE(canvas.UseFont(-kEm, c.weight, c.italic, c.face));
        const std::string file = orvplatform::FontFileOf(canvas.m_Font);
        EXPECT_EQ(file.substr(file.find_last_of('/') + 1), c.file);
        const TEXTMETRICA tm = canvas.Metrics();
        EXPECT_EQ(ReferenceAscentDescent(file, kEm), std::make_pair(long{tm.tmAscent}, long{tm.tmDescent}));
        EXPECT_TRUE(tm.tmHeight == tm.tmAscent + tm.tmDescent && tm.tmHeight - tm.tmInternalLeading == kEm &&
                    canvas.Extent("Hello").cy == tm.tmHeight) << c.face;
    }
}

TEST_F(GdiText, DebugFontMetricsMatchTheSystemsAndHeightsRoundThroughMulDiv) {
    // Arial 12 pt bold at 96 dpi, as the system reports it.
    GdiCanvas canvas(8, 8);
    ASSERT_TRUE(canvas.UseFont(-MulDiv(12, 96, 72), FW_BOLD, false, "Arial"));
    const TEXTMETRICA tm = canvas.Metrics();
    EXPECT_EQ(std::make_tuple(tm.tmHeight, tm.tmAscent, tm.tmInternalLeading, tm.tmAveCharWidth),
              std::make_tuple(17, 14, 1, 10));
    EXPECT_EQ(canvas.Extent("M").cx, 13);
    // The font's pixel height comes through MulDiv: half away from zero, with
    // a 64-bit intermediate, and -1 on overflow or a zero divisor.
    EXPECT_EQ(std::make_tuple(MulDiv(10, 3, 4), MulDiv(-10, 3, 4), MulDiv(INT_MAX, INT_MAX, INT_MAX)),
              std::make_tuple(8, -8, INT_MAX));
    EXPECT_EQ(std::make_pair(MulDiv(INT_MAX, 2, 1), MulDiv(7, 7, 0)), std::make_pair(-1, -1));
}

// Also at origins partly off the section: what falls outside is clipped.
TEST_F(GdiText, TextBlendsItsColourOverTheOpaqueCellAtTheQualitysCoverageClipped) {
    constexpr uint8_t kUntouched = 0x7F;
    for (DWORD quality : {ANTIALIASED_QUALITY, NONANTIALIASED_QUALITY})
        for (const POINT& at : {POINT{5, 6}, POINT{-9, -11}, POINT{40, 30}}) {
            GdiCanvas canvas(70, 60);
            ASSERT_TRUE(canvas.UseFont(-40, FW_NORMAL, false, "Arial", quality));
            SetTextColor(canvas.m_Dc, RGB(200, 100, 50));
            SetBkColor(canvas.m_Dc, RGB(10, 20, 30));
            std::memset(canvas.m_Bits, kUntouched, size_t{70} * 60 * 4);
            const SIZE extent = canvas.Extent("Ilo");
            ASSERT_TRUE(canvas.Draw(at.x, at.y, "Ilo"));
            int full = 0, partial = 0;
            for (int y = 0; y < canvas.m_Height; ++y)
                for (int x = 0; x < canvas.m_Width; ++x) {
                    const uint8_t* pixel = canvas.Pixel(x, y);
                    if (x < at.x || x >= at.x + extent.cx || y < at.y || y >= at.y + extent.cy) {
                        ASSERT_EQ(pixel[0], kUntouched) << x << "," << y;
                        continue;
                    }
                    // Every channel at one shared coverage between background and text.
                    const double coverage = (pixel[2] - 10) / 190.0;
                    ASSERT_NEAR(pixel[1], 20 + coverage * 80, 1.5) << x << "," << y;
                    ASSERT_NEAR(pixel[0], 30 + coverage * 20, 1.5) << x << "," << y;
                    full += pixel[2] == 200;
                    partial += pixel[2] > 10 && pixel[2] < 200;
                }
            EXPECT_GT(full, 0) << quality;
            EXPECT_EQ(partial > 0, quality == ANTIALIASED_QUALITY);
        }
}

TEST_F(GdiObjects, SelectedObjectsCannotBeDeletedUntilReleased) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(first);
    void* bits = nullptr;
    const BITMAPINFO info = DibInfo(4, -4);
    HBITMAP bitmap = CreateDIBSection(first, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HFONT font = CreateFontA(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Arial");
    ASSERT_TRUE(first && second && bitmap && bits && font);

    HGDIOBJ stockBitmap = SelectObject(first, bitmap);
    ASSERT_TRUE(stockBitmap && SelectObject(first, font) && SelectObject(second, font));
    SetLastError(0);
    EXPECT_TRUE(SelectObject(second, bitmap) == nullptr && GetLastError() == kErrorBusy) << "a bitmap goes into one DC only";
    EXPECT_TRUE(!DeleteObject(bitmap) && GetLastError() == kErrorBusy);

    EXPECT_EQ(SelectObject(first, stockBitmap), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap)) << "already gone";
    EXPECT_TRUE(DeleteDC(first));
    EXPECT_FALSE(DeleteObject(font)) << "still in the second DC";
    EXPECT_TRUE(DeleteDC(second) && DeleteObject(font));
}

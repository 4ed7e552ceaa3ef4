// Lifetimes, selection, argument checks and injected failures of the GDI
// stand-in's objects.
#include "GdiCanvas.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

constexpr DWORD kErrorInvalidHandle = 6;
constexpr DWORD kErrorBusy = 170;

HFONT MakeFont(const char* face, int height = -16) {
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                       VARIABLE_PITCH, face);
}

class GdiObjects : public GdiTest {};

}  // namespace

TEST_F(GdiObjects, SelectedObjectsCannotBeDeletedUntilReleased) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(first);
    void* bits = nullptr;
    const BITMAPINFO info = DibInfo(4, -4, 32);
    HBITMAP bitmap = CreateDIBSection(first, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HFONT font = MakeFont("Arial");
    ASSERT_TRUE(first && second && bitmap && bits && font);
    EXPECT_EQ(orvplatform::LiveGdiObjectCount(), m_LiveBefore + 4);

    // A new DC holds the stock bitmap and font; selecting hands them back.
    HGDIOBJ stockBitmap = SelectObject(first, bitmap);
    HGDIOBJ stockFont = SelectObject(first, font);
    ASSERT_TRUE(stockBitmap && stockFont);
    EXPECT_EQ(SelectObject(second, font), stockFont);  // fonts go into many DCs
    EXPECT_EQ(SelectObject(first, bitmap), bitmap);    // reselecting is a no-op

    SetLastError(0);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);  // bitmaps into one DC only
    EXPECT_EQ(GetLastError(), kErrorBusy);
    for (HGDIOBJ selected : {HGDIOBJ{bitmap}, HGDIOBJ{font}}) {
        SetLastError(0);
        EXPECT_FALSE(DeleteObject(selected));
        EXPECT_EQ(GetLastError(), kErrorBusy);
    }

    EXPECT_EQ(SelectObject(first, stockBitmap), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));  // gone
    EXPECT_TRUE(DeleteDC(first));         // lets go of the font in `first`
    EXPECT_FALSE(DeleteObject(font));     // still in `second`
    EXPECT_TRUE(DeleteDC(second));
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteDC(second));

    // Stock objects outlive every DC and ignore deletion.
    EXPECT_TRUE(DeleteObject(stockFont));
    HDC third = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(third, stockFont), stockFont);
    TEXTMETRICA metrics = {};
    EXPECT_TRUE(GetTextMetricsA(third, &metrics));
    EXPECT_GT(metrics.tmHeight, 0);
    EXPECT_TRUE(DeleteDC(third));
    EXPECT_EQ(orvplatform::LiveGdiObjectCount(), m_LiveBefore);
}

TEST_F(GdiObjects, BadHandlesAndArgumentsFailWithAnErrorCode) {
    GdiCanvas canvas(4, 4);
    ASSERT_TRUE(canvas.Valid());
    HDC notDc = reinterpret_cast<HDC>(canvas.Bits());
    TEXTMETRICA metrics;
    SIZE size;
    const std::string longest(31, 'x');
    const std::string tooLong(32, 'x');
    const struct {
        const char* what;
        std::function<bool()> failed;
        DWORD error;
    } cases[] = {
        {"font without a name", [] { return !MakeFont(nullptr); }, ERROR_INVALID_PARAMETER},
        {"font name of 32", [&] { return !MakeFont(tooLong.c_str()); }, ERROR_INVALID_PARAMETER},
        {"DC from a non-DC", [&] { return !CreateCompatibleDC(notDc); }, kErrorInvalidHandle},
        {"metrics of a non-DC", [&] { return !GetTextMetricsA(notDc, &metrics); }, kErrorInvalidHandle},
        {"metrics into null", [&] { return !GetTextMetricsA(canvas.Dc(), nullptr); }, ERROR_INVALID_PARAMETER},
        {"extent of -1 characters",
         [&] { return !GetTextExtentPoint32A(canvas.Dc(), "a", -1, &size); }, ERROR_INVALID_PARAMETER},
        {"text from null", [&] { return !ExtTextOutA(canvas.Dc(), 0, 0, 0, nullptr, nullptr, 1, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"colour of a non-DC", [&] { return SetTextColor(notDc, 0) == CLR_INVALID; }, kErrorInvalidHandle},
        {"select a non-object", [&] { return !SelectObject(canvas.Dc(), notDc); }, kErrorInvalidHandle},
        {"delete a non-object", [&] { return !DeleteObject(notDc); }, kErrorInvalidHandle},
        {"map mode other than text", [&] { return SetMapMode(canvas.Dc(), 2) == 0; }, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        EXPECT_TRUE(c.failed());
        EXPECT_EQ(GetLastError(), c.error);
    }

    // Names that match nothing still get a font, as GDI substitutes.
    for (const char* face : {longest.c_str(), "", "No Such Face"}) {
        SCOPED_TRACE(face);
        HFONT font = MakeFont(face);
        ASSERT_TRUE(font);
        EXPECT_FALSE(orvplatform::FontFileOf(font).empty());
        EXPECT_TRUE(DeleteObject(font));
        EXPECT_EQ(orvplatform::FontFileOf(font), "");
    }
    EXPECT_EQ(SetMapMode(canvas.Dc(), MM_TEXT), MM_TEXT);
    EXPECT_TRUE(GetTextExtentPoint32A(canvas.Dc(), nullptr, 0, &size));
    EXPECT_EQ(size.cx, 0);
}

TEST_F(GdiObjects, SectionsOfSupportedFormatsOnly) {
    const struct {
        LONG width, height;
        WORD bitCount;
        DWORD compression;
        bool made;
    } cases[] = {
        {16, -16, 32, BI_RGB, true}, {16, 16, 32, BI_RGB, true}, {3, 5, 24, BI_RGB, true},
        {16, 16, 16, BI_RGB, false}, {16, 16, 8, BI_RGB, false}, {16, 16, 32, 3, false},
        {0, 16, 32, BI_RGB, false},  {16, 0, 32, BI_RGB, false}, {-16, 16, 32, BI_RGB, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bitCount);
        const BITMAPINFO info = DibInfo(c.width, c.height, c.bitCount, c.compression);
        void* bits = &bits;
        HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        EXPECT_EQ(bitmap != nullptr, c.made);
        EXPECT_EQ(bits != nullptr, c.made);
        if (!bitmap) continue;
        // Rows are padded to 4 bytes, and the pixels start out zeroed.
        const size_t stride = (static_cast<size_t>(c.width) * c.bitCount / 8 + 3) & ~size_t{3};
        const size_t size = stride * static_cast<size_t>(std::abs(c.height));
        const uint8_t* bytes = static_cast<const uint8_t*>(bits);
        EXPECT_EQ(std::count(bytes, bytes + size, 0), static_cast<long>(size));
        EXPECT_TRUE(DeleteObject(bitmap));
    }
}

TEST_F(GdiObjects, InjectedFailuresFailEachCallItsOwnWay) {
    GdiCanvas canvas(8, 8);
    ASSERT_TRUE(canvas.UseFont(-12, FW_NORMAL, false, "Arial"));
    const BITMAPINFO info = DibInfo(4, 4, 32);
    TEXTMETRICA metrics;
    SIZE size;
    HFONT made = nullptr;
    const struct {
        const char* api;
        std::function<bool()> failed;
    } cases[] = {
        {"CreateFontA", [&] { return !(made = MakeFont("Arial")); }},
        {"CreateCompatibleDC", [] { return !CreateCompatibleDC(nullptr); }},
        {"CreateDIBSection",
         [&] {
             void* bits = &bits;
             return !CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0) && !bits;
         }},
        {"SelectObject", [&] { return !SelectObject(canvas.Dc(), canvas.Font()); }},
        {"SetMapMode", [&] { return SetMapMode(canvas.Dc(), MM_TEXT) == 0; }},
        {"GetDeviceCaps", [&] { return GetDeviceCaps(canvas.Dc(), LOGPIXELSY) == 0; }},
        {"GetTextMetricsA", [&] { return !GetTextMetricsA(canvas.Dc(), &metrics); }},
        {"SetTextColor", [&] { return SetTextColor(canvas.Dc(), 0) == CLR_INVALID; }},
        {"SetBkColor", [&] { return SetBkColor(canvas.Dc(), 0) == CLR_INVALID; }},
        {"SetTextAlign", [&] { return SetTextAlign(canvas.Dc(), TA_TOP) == GDI_ERROR; }},
        {"GetTextExtentPoint32A", [&] { return !GetTextExtentPoint32A(canvas.Dc(), "a", 1, &size); }},
        {"ExtTextOutA", [&] { return !ExtTextOutA(canvas.Dc(), 0, 0, 0, nullptr, "a", 1, nullptr); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.api);
        orvplatform::FailNthCall(c.api, 1, E_OUTOFMEMORY);
        SetLastError(0);
        EXPECT_TRUE(c.failed());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_OUTOFMEMORY & 0xFFFF));
        const std::vector<orvplatform::Call> calls = orvplatform::CallsOf(c.api);
        ASSERT_FALSE(calls.empty());
        EXPECT_TRUE(calls.back().injected);
        orvplatform::ClearFailures();
    }
    // Nothing was made by the failed calls, and the next call works again.
    EXPECT_EQ(orvplatform::LiveGdiObjectCount(), m_LiveBefore + 3);
    made = MakeFont("Arial");
    EXPECT_TRUE(made);
    EXPECT_TRUE(DeleteObject(made));
}

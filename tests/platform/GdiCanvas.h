// A memory DC with a top-down 32-bit DIB section and a font selected into it;
// it puts back what it replaced and deletes what it made.
#pragma once

#include <gtest/gtest.h>
#include <orv/PlatformControl.h>
#include <windows.h>

#include <cstdint>
#include <cstring>

inline BITMAPINFO DibInfo(LONG width, LONG height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

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

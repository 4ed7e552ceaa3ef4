// A memory device context with a DIB section selected, for the GDI tests,
// and the font selected into it. Both put back what they replaced and
// delete what they made.
#pragma once

#include <gtest/gtest.h>
#include <orv/PlatformControl.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

// A height below 0 makes a top-down section.
inline BITMAPINFO DibInfo(LONG width, LONG height, WORD bitCount = 32, DWORD compression = BI_RGB) {
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = compression;
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

struct GdiInkBox {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    bool Empty() const { return right <= left || bottom <= top; }
};

class GdiCanvas {
public:
    GdiCanvas(int width, int height, bool topDown = true)
        : m_Width(width), m_Height(height), m_TopDown(topDown) {
        const BITMAPINFO info = DibInfo(width, topDown ? -height : height);
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
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    bool Valid() const { return m_Dc && m_Bitmap && m_Bits && m_OriginalBitmap; }
    HDC Dc() const { return m_Dc; }
    uint8_t* Bits() const { return m_Bits; }
    int Width() const { return m_Width; }
    int Height() const { return m_Height; }
    size_t Size() const { return static_cast<size_t>(m_Width) * m_Height * 4; }

    // Makes and selects a font the way the plug-in does; false on failure.
    bool UseFont(int height, int weight, bool italic, const char* face,
                 DWORD quality = ANTIALIASED_QUALITY) {
        m_Font = CreateFontA(height, 0, 0, 0, weight, italic, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality, VARIABLE_PITCH, face);
        if (m_Font) m_OriginalFont = SelectObject(m_Dc, m_Font);
        return m_Font && m_OriginalFont;
    }
    HFONT Font() const { return m_Font; }
    TEXTMETRICA Metrics() const {
        TEXTMETRICA metrics = {};
        GetTextMetricsA(m_Dc, &metrics);
        return metrics;
    }
    SIZE Extent(const char* text) const {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(m_Dc, text, static_cast<int>(std::strlen(text)), &size);
        return size;
    }
    BOOL Draw(int x, int y, const char* text, UINT options = ETO_OPAQUE) const {
        return ExtTextOutA(m_Dc, x, y, options, nullptr, text,
                           static_cast<UINT>(std::strlen(text)), nullptr);
    }

    // Pixel (x, y) counted from the top whatever the row order.
    const uint8_t* Pixel(int x, int y) const {
        const int row = m_TopDown ? y : m_Height - 1 - y;
        return m_Bits + (static_cast<size_t>(row) * m_Width + x) * 4;
    }
    uint8_t Blue(int x, int y) const { return Pixel(x, y)[0]; }

    // The smallest box holding every pixel with some blue.
    GdiInkBox Ink() const {
        GdiInkBox box{m_Width, m_Height, 0, 0};
        for (int y = 0; y < m_Height; ++y)
            for (int x = 0; x < m_Width; ++x)
                if (Blue(x, y))
                    box = {std::min(box.left, x), std::min(box.top, y),
                           std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
        return box;
    }

private:
    int m_Width, m_Height;
    bool m_TopDown;
    HDC m_Dc = nullptr;
    HBITMAP m_Bitmap = nullptr;
    uint8_t* m_Bits = nullptr;
    HGDIOBJ m_OriginalBitmap = nullptr, m_OriginalFont = nullptr;
    HFONT m_Font = nullptr;
};

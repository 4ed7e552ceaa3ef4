#include "GdiBitmap.h"

#include <algorithm>
#include <cstdlib>

namespace orvwin32 {
namespace {

constexpr LONG kLargestSide = 16384;

uint8_t Mix(uint8_t from, uint8_t to, uint8_t coverage) {
    const int change = (to - from) * coverage;
    return static_cast<uint8_t>(from + (change + (change < 0 ? -127 : 127)) / 255);
}

// COLORREF is 0x00BBGGRR; pixels are stored blue first.
void ToBgr(COLORREF colour, uint8_t bgr[3]) {
    bgr[0] = static_cast<uint8_t>(colour >> 16);
    bgr[1] = static_cast<uint8_t>(colour >> 8);
    bgr[2] = static_cast<uint8_t>(colour);
}

}  // namespace

bool GdiBitmap::Supports(const BITMAPINFOHEADER& header) {
    const LONG height = header.biHeight;
    return header.biSize >= sizeof(BITMAPINFOHEADER) && header.biPlanes == 1 &&
           (header.biBitCount == 24 || header.biBitCount == 32) && header.biCompression == BI_RGB &&
           header.biWidth > 0 && header.biWidth <= kLargestSide && height != 0 &&
           height >= -kLargestSide && height <= kLargestSide;
}

std::unique_ptr<GdiBitmap> GdiBitmap::Create(const BITMAPINFOHEADER& header) {
    if (!Supports(header)) return nullptr;
    return std::unique_ptr<GdiBitmap>(new GdiBitmap(header.biWidth, std::abs(header.biHeight),
                                                    header.biHeight < 0, header.biBitCount / 8));
}

std::string GdiBitmap::Describe() const {
    return "bitmap " + std::to_string(m_Width) + "x" + std::to_string(m_Height) + " " +
           std::to_string(m_BytesPerPixel * 8) + "bpp";
}

GdiBitmap::GdiBitmap(int width, int height, bool topDown, int bytesPerPixel)
    : m_Width(width),
      m_Height(height),
      m_TopDown(topDown),
      m_BytesPerPixel(bytesPerPixel),
      m_Stride((static_cast<size_t>(width) * bytesPerPixel + 3) & ~size_t{3}),
      m_Bits(new uint8_t[m_Stride * height]()) {}

uint8_t* GdiBitmap::Pixel(int x, int y) {
    const size_t row = static_cast<size_t>(m_TopDown ? y : m_Height - 1 - y);
    return m_Bits.get() + row * m_Stride + static_cast<size_t>(x) * m_BytesPerPixel;
}

void GdiBitmap::Fill(const RECT& area, const RECT& clip, COLORREF colour) {
    uint8_t bgr[3];
    ToBgr(colour, bgr);
    const LONG left = std::max(area.left, clip.left);
    const LONG right = std::min(area.right, clip.right);
    for (LONG y = std::max(area.top, clip.top); y < std::min(area.bottom, clip.bottom); ++y)
        for (LONG x = left; x < right; ++x) std::copy(bgr, bgr + 3, Pixel(x, y));
}

void GdiBitmap::Blend(int x, int y, COLORREF colour, uint8_t coverage) {
    uint8_t bgr[3];
    ToBgr(colour, bgr);
    uint8_t* pixel = Pixel(x, y);
    for (int channel = 0; channel < 3; ++channel)
        pixel[channel] = Mix(pixel[channel], bgr[channel], coverage);
}

}  // namespace orvwin32

#include "BitmapImage.h"

#include <cstdint>
#include <cstdio>
#include <new>

#include "pixels/BitmapHeader.h"

namespace {

constexpr uint16_t kBitsPerPixel = 24;

}  // namespace

bool BitmapImage::Allocate(UINT width, UINT height) {
    const uint64_t rowSize = (uint64_t{width} * 3 + 3) & ~uint64_t{3};
    const uint64_t imageSize = rowSize * height;
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX ||
        imageSize > UINT32_MAX - kBitmapHeadersSize)
        return false;
    m_Pixels.reset(new (std::nothrow) BYTE[imageSize]());
    if (!m_Pixels) return false;
    m_Width = width;
    m_Height = height;
    m_RowSize = static_cast<size_t>(rowSize);
    return true;
}

BYTE* BitmapImage::TopDownRow(UINT y) { return m_Pixels.get() + (m_Height - 1 - y) * m_RowSize; }

bool BitmapImage::Save(const char* path) const {
    const uint32_t imageSize = static_cast<uint32_t>(m_RowSize * m_Height);
    BYTE headers[kBitmapHeadersSize];
    StoreBitmapHeaders(headers, m_Width, m_Height, false, kBitsPerPixel, imageSize);

    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    bool written = std::fwrite(headers, 1, sizeof headers, file) == sizeof headers &&
                   std::fwrite(m_Pixels.get(), 1, imageSize, file) == imageSize;
    written = std::fclose(file) == 0 && written;
    if (!written) std::remove(path);
    return written;
}

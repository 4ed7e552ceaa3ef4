#include "BitmapImage.h"

#include <cstdint>
#include <cstdio>
#include <new>

#include "pixels/LittleEndian.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr uint16_t kBitsPerPixel = 24;
constexpr uint32_t kUncompressed = 0;  // BI_RGB

}  // namespace

bool BitmapImage::Allocate(UINT width, UINT height) {
    const uint64_t rowSize = (uint64_t{width} * 3 + 3) & ~uint64_t{3};
    const uint64_t imageSize = rowSize * height;
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX ||
        imageSize > UINT32_MAX - kHeadersSize)
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
    BYTE headers[kHeadersSize] = {'B', 'M'};
    Store32(headers + 2, static_cast<uint32_t>(kHeadersSize) + imageSize);  // file size
    Store32(headers + 10, static_cast<uint32_t>(kHeadersSize));             // offset of the pixels
    BYTE* info = headers + kFileHeaderSize;
    Store32(info + 0, static_cast<uint32_t>(kInfoHeaderSize));
    Store32(info + 4, m_Width);
    Store32(info + 8, m_Height);  // positive: bottom-up rows
    Store16(info + 12, 1);        // planes
    Store16(info + 14, kBitsPerPixel);
    Store32(info + 16, kUncompressed);
    Store32(info + 20, imageSize);

    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    bool written = std::fwrite(headers, 1, sizeof headers, file) == sizeof headers &&
                   std::fwrite(m_Pixels.get(), 1, imageSize, file) == imageSize;
    written = std::fclose(file) == 0 && written;
    if (!written) std::remove(path);
    return written;
}

#include "orvhostImage.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <utility>

#include <orv/ImageFile.h>

#include "pixels/BitmapHeader.h"
#include "pixels/LittleEndian.h"

namespace orvhost {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

bool WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    FilePointer file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    return std::fclose(file.release()) == 0 && written;
}

}  // namespace

bool ReadBitmap(const std::string& path, Image* image) {
    FilePointer file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + read);
    // Bitmaps as large as 32768 pixels a side; colours only, read as opaque.
    constexpr unsigned kMostSide = 1 << 15;
    orvimage::ArgbImage decoded;
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M' ||
        !orvimage::ReadImageFile(bytes.data(), bytes.size(), kMostSide, &decoded))
        return false;
    image->width = static_cast<int>(decoded.width);
    image->height = static_cast<int>(decoded.height);
    image->argb = std::move(decoded.argb);
    for (uint32_t& pixel : image->argb) pixel |= 0xFF000000u;
    return true;
}

bool WriteBitmap(const std::string& path, const Image& image) {
    if (image.width <= 0 || image.height <= 0) return false;
    constexpr uint16_t kBitsPerPixel = 32;  // A8R8G8B8 words, rows top-down
    const uint32_t pixelBytes = static_cast<uint32_t>(image.argb.size() * 4);
    std::vector<uint8_t> out(kBitmapHeadersSize);
    StoreBitmapHeaders(out.data(), static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height), true,
                       kBitsPerPixel, pixelBytes);
    for (uint32_t pixel : image.argb) AppendBytes(out, pixel, 4);
    return WriteAll(path, out);
}

bool ReadPng(const std::string& path, Image* image) {
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0) return false;
    // As large as 32768 pixels a side, the bitmaps' limit; read as opaque colours
    // (alpha dropped, as WritePng drops it).
    constexpr png_uint_32 kMostSide = 1 << 15;
    if (png.width == 0 || png.height == 0 || png.width > kMostSide || png.height > kMostSide) {
        png_image_free(&png);
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr) == 0) {
        png_image_free(&png);
        return false;
    }
    image->width = static_cast<int>(png.width);
    image->height = static_cast<int>(png.height);
    image->argb.resize(rgb.size() / 3);
    for (size_t i = 0; i < image->argb.size(); ++i)
        image->argb[i] = 0xFF000000u | uint32_t{rgb[3 * i]} << 16 | uint32_t{rgb[3 * i + 1]} << 8 |
                         rgb[3 * i + 2];
    return true;
}

bool WritePng(const std::string& path, const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.argb.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
        return false;
    // Alpha is dropped: what a screen or a screenshot holds there was never seen.
    std::vector<uint8_t> rgb;
    rgb.reserve(image.argb.size() * 3);
    for (uint32_t pixel : image.argb) {
        rgb.push_back(static_cast<uint8_t>(pixel >> 16));
        rgb.push_back(static_cast<uint8_t>(pixel >> 8));
        rgb.push_back(static_cast<uint8_t>(pixel));
    }
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    const bool written =
        png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return written;
}

}  // namespace orvhost

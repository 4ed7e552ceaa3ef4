#include "orvhostImage.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace orvhost {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

uint32_t Little32(const uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t{bytes[3]} << 24;
}

void PutLittle(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

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
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    const uint32_t offset = Little32(&bytes[10]);
    const int32_t width = static_cast<int32_t>(Little32(&bytes[18]));
    const int32_t height = static_cast<int32_t>(Little32(&bytes[22]));
    const int bits = bytes[28] | bytes[29] << 8;
    const uint32_t compression = Little32(&bytes[30]);
    const bool topDown = height < 0;
    const int64_t rows = topDown ? -int64_t{height} : height;
    if (width <= 0 || rows <= 0 || width > 1 << 15 || rows > 1 << 15) return false;
    if ((bits != 24 && bits != 32) || (compression != 0 && compression != 3)) return false;
    const size_t pitch = (static_cast<size_t>(width) * static_cast<size_t>(bits / 8) + 3) & ~size_t{3};
    if (offset > bytes.size() || (bytes.size() - offset) / pitch < static_cast<size_t>(rows))
        return false;
    image->width = width;
    image->height = static_cast<int>(rows);
    image->argb.assign(static_cast<size_t>(width) * static_cast<size_t>(rows), 0);
    for (int y = 0; y < image->height; ++y) {
        const int fileRow = topDown ? y : image->height - 1 - y;
        const uint8_t* row = &bytes[offset + static_cast<size_t>(fileRow) * pitch];
        for (int x = 0; x < width; ++x) {
            const uint8_t* pixel = row + static_cast<size_t>(x) * static_cast<size_t>(bits / 8);
            image->argb[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                0xFF000000u | uint32_t{pixel[2]} << 16 | uint32_t{pixel[1]} << 8 | pixel[0];
        }
    }
    return true;
}

bool WriteBitmap(const std::string& path, const Image& image) {
    if (image.width <= 0 || image.height <= 0) return false;
    const uint32_t pixelBytes = static_cast<uint32_t>(image.argb.size() * 4);
    std::vector<uint8_t> out = {'B', 'M'};
    PutLittle(out, 54 + pixelBytes, 4);
    PutLittle(out, 0, 4);
    PutLittle(out, 54, 4);
    PutLittle(out, 40, 4);
    PutLittle(out, static_cast<uint32_t>(image.width), 4);
    PutLittle(out, static_cast<uint32_t>(-image.height), 4);
    PutLittle(out, 1, 2);
    PutLittle(out, 32, 2);
    for (int field = 0; field < 6; ++field) PutLittle(out, 0, 4);
    for (uint32_t pixel : image.argb) PutLittle(out, pixel, 4);
    return WriteAll(path, out);
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

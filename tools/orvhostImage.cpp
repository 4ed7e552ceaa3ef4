#include "orvhostImage.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "d3dx/BmpDecoder.h"

namespace orvhost {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

void PutLittle(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutBig32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

bool WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    FilePointer file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    return std::fclose(file.release()) == 0 && written;
}

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> entries{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    PutBig32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored deflate blocks.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
    constexpr size_t kBlock = 65535;
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t length = std::min(kBlock, raw.size() - at);
        out.push_back(at + length == raw.size() ? 1 : 0);
        PutLittle(out, static_cast<uint32_t>(length), 2);
        PutLittle(out, static_cast<uint32_t>(~length & 0xFFFF), 2);
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(out, b << 16 | a);
    return out;
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
    ImageLimits limits;
    limits.maxWidth = limits.maxHeight = 1 << 15;
    DecodedImage decoded;
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M' ||
        FAILED(DecodeBmp(bytes.data(), bytes.size(), limits, decoded)))
        return false;
    const ImageLevel& level = decoded.Level(0);
    image->width = static_cast<int>(level.width);
    image->height = static_cast<int>(level.height);
    image->argb.resize(size_t{level.width} * level.height);
    for (UINT y = 0; y < level.height; ++y)
        for (UINT x = 0; x < level.width; ++x)
            image->argb[size_t{y} * level.width + x] = level.PixelRow(y)[x] | 0xFF000000u;
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
    if (image.width <= 0 || image.height <= 0) return false;
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(image.height) * (1 + static_cast<size_t>(image.width) * 3));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < image.width; ++x) {
            const uint32_t pixel = image.At(x, y);
            raw.push_back(static_cast<uint8_t>(pixel >> 16));
            raw.push_back(static_cast<uint8_t>(pixel >> 8));
            raw.push_back(static_cast<uint8_t>(pixel));
        }
    }
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBig32(header, static_cast<uint32_t>(image.width));
    PutBig32(header, static_cast<uint32_t>(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", StoredZlib(raw));
    PutChunk(out, "IEND", {});
    return WriteAll(path, out);
}

}  // namespace orvhost

#include "support/ImageFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <initializer_list>

#include <jpeglib.h>
#include <png.h>

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    out.insert(out.end(), {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)});
}

void Put32(std::vector<uint8_t>& out, std::initializer_list<uint32_t> values) {
    for (uint32_t value : values) Put16(out, value & 0xFFFF), Put16(out, value >> 16);
}

int WorstChannelError(const Picture& found, const Picture& expected) {
    if (found.width != expected.width || found.height != expected.height || found.argb.size() != expected.argb.size())
        return 256;
    int worst = 0;
    for (size_t i = 0; i < found.argb.size(); ++i)
        for (int shift = 0; shift < 32; shift += 8)
            worst = std::max(worst, std::abs(int(found.argb[i] >> shift & 0xFF) - int(expected.argb[i] >> shift & 0xFF)));
    return worst;
}

namespace {

uint32_t Channel(uint32_t argb, int shift) { return argb >> shift & 0xFF; }

// n-bit channel value widened to 8 bits by repeating its bits.
uint32_t Widen(uint32_t value, unsigned bits) {
    uint32_t wide = value << (8 - bits);
    for (unsigned filled = bits; filled < 8; filled *= 2) wide |= wide >> filled;
    return wide & 0xFF;
}

// The index pattern of palettised pictures: a run at the start of each row,
// then values that change at every pixel.
UINT IndexAt(UINT x, UINT y, UINT colours) { return (x * x / 7 + 3 * y) % colours; }

uint32_t PaletteColour(UINT i) {
    return 0xFF000000u | ((i * 67 + 3) & 255) << 16 | ((i * 131 + 50) & 255) << 8 | ((i * 29 + 200) & 255);
}

Picture Map(const Picture& source, const std::function<uint32_t(uint32_t)>& change) {
    Picture result = source;
    for (uint32_t& pixel : result.argb) pixel = change(pixel);
    return result;
}

// argb reduced to 5:5:5 (with bit 15 from alpha) and widened back.
uint16_t To555(uint32_t argb) {
    return static_cast<uint16_t>((argb >> 24 >= 128) << 15 | Channel(argb, 16) >> 3 << 10 |
                                 Channel(argb, 8) >> 3 << 5 | Channel(argb, 0) >> 3);
}

uint32_t From555(uint16_t value) {
    return (value & 0x8000 ? 0xFFu : 0) << 24 | Widen(value >> 10 & 31, 5) << 16 | Widen(value >> 5 & 31, 5) << 8 |
           Widen(value & 31, 5);
}

// RLE8 encoding of palette indices, one row at a time: runs of two or more
// as encoded runs, three or more changing indices as an absolute run.
void EncodeRleRow(const std::vector<uint8_t>& row, std::vector<uint8_t>& out) {
    for (size_t x = 0; x < row.size();) {
        size_t run = 1;
        while (x + run < row.size() && row[x + run] == row[x] && run < 255) ++run;
        if (run >= 2) {
            out.insert(out.end(), {static_cast<uint8_t>(run), row[x]});
            x += run;
            continue;
        }
        size_t literal = 1;
        while (x + literal < row.size() && literal < 254 &&
               !(x + literal + 1 < row.size() && row[x + literal] == row[x + literal + 1]))
            ++literal;
        if (literal < 3) {
            for (size_t i = 0; i < literal; ++i) out.insert(out.end(), {1, row[x + i]});
        } else {
            out.insert(out.end(), {0, static_cast<uint8_t>(literal)});
            out.insert(out.end(), row.begin() + long(x), row.begin() + long(x + literal));
            if (literal % 2) out.push_back(0);
        }
        x += literal;
    }
}

// A picture of `colours` distinct opaque colours, one per index.
Picture Indexed(UINT width, UINT height, UINT colours) {
    Picture picture{width, height, {}};
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) picture.argb.push_back(PaletteColour(IndexAt(x, y, colours)));
    return picture;
}

}  // namespace

Picture Pattern(UINT width, UINT height, bool alpha) {
    Picture picture{width, height, {}};
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            const uint32_t a = alpha ? (255 - (x * 13 + y * 29)) & 255 : 255;
            picture.argb.push_back(a << 24 | ((x * 37 + y * 11 + 5) & 255) << 16 |
                                   ((x * 5 + y * 53 + 100) & 255) << 8 | ((x * y * 7 + x * 71 + 13) & 255));
        }
    return picture;
}

ImageFile BmpFile(Bmp kind, UINT width, UINT height, bool topDown, bool fileHeader) {
    struct Kind {
        unsigned bits, compression, colours;
        D3DFORMAT format;
    };
    static const Kind kKinds[] = {
        {4, 0, 16, D3DFMT_X8R8G8B8}, {8, 0, 256, D3DFMT_X8R8G8B8}, {8, 1, 256, D3DFMT_X8R8G8B8},
        {16, 3, 0, D3DFMT_R5G6B5},   {24, 0, 0, D3DFMT_X8R8G8B8},  {32, 3, 0, D3DFMT_A8R8G8B8},
    };
    const Kind& k = kKinds[static_cast<int>(kind)];
    const bool v4 = kind == Bmp::Argb32Fields;
    ImageFile file{"bmp", {}, {}, k.format};
    if (k.colours) file.expected = Indexed(width, height, k.colours);
    else if (kind == Bmp::BitFields565)
        file.expected = Map(Pattern(width, height, false), [](uint32_t p) {
            return 0xFF000000u | Widen(Channel(p, 16) >> 3, 5) << 16 | Widen(Channel(p, 8) >> 2, 6) << 8 |
                   Widen(Channel(p, 0) >> 3, 5);
        });
    else file.expected = Pattern(width, height, v4);

    std::vector<uint8_t> pixels;
    const size_t stride = (size_t{width} * k.bits + 31) / 32 * 4;
    for (UINT fileRow = 0; fileRow < height; ++fileRow) {
        const UINT y = topDown ? fileRow : height - 1 - fileRow;
        std::vector<uint8_t> row(stride, 0), indices;
        for (UINT x = 0; x < width; ++x) {
            const uint32_t p = file.expected.At(x, y);
            if (k.colours) {
                const UINT index = IndexAt(x, y, k.colours);
                indices.push_back(static_cast<uint8_t>(index));
                row[x * k.bits / 8] |= static_cast<uint8_t>(index << (8 - k.bits - x * k.bits % 8));
            } else if (k.bits == 16) {
                const uint32_t v = Channel(p, 16) >> 3 << 11 | Channel(p, 8) >> 2 << 5 | Channel(p, 0) >> 3;
                row[2 * x] = static_cast<uint8_t>(v);
                row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
            } else {
                for (unsigned b = 0; b < k.bits / 8; ++b)
                    row[x * k.bits / 8 + b] = b < 3 || v4 ? static_cast<uint8_t>(p >> (8 * b)) : 0;
            }
        }
        if (k.compression == 1) {
            EncodeRleRow(indices, pixels);
            pixels.insert(pixels.end(), {0, static_cast<uint8_t>(fileRow + 1 < height ? 0 : 1)});  // end of line / of bitmap
        } else {
            pixels.insert(pixels.end(), row.begin(), row.end());
        }
    }

    std::vector<uint8_t> info;
    const uint32_t headerSize = v4 ? 108 : 40;
    Put32(info, {headerSize, width, topDown ? static_cast<uint32_t>(-static_cast<int32_t>(height)) : height,
                 1u | k.bits << 16, k.compression, static_cast<uint32_t>(pixels.size()), 2835, 2835, k.colours, 0});
    if (v4) {
        Put32(info, {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u});
        info.resize(headerSize, 0);
    } else if (kind == Bmp::BitFields565) {
        Put32(info, {0xF800u, 0x07E0u, 0x001Fu});
    }
    for (UINT i = 0; i < k.colours; ++i) Put32(info, {PaletteColour(i) & 0xFFFFFF});

    if (fileHeader) {
        file.bytes = {'B', 'M'};
        Put32(file.bytes, {static_cast<uint32_t>(14 + info.size() + pixels.size()), 0, static_cast<uint32_t>(14 + info.size())});
    }
    file.bytes.insert(file.bytes.end(), info.begin(), info.end());
    file.bytes.insert(file.bytes.end(), pixels.begin(), pixels.end());
    return file;
}

ImageFile TgaFile(Tga kind, UINT width, UINT height, bool runLength, bool topDown) {
    return TgaFile(kind, Pattern(width, height), runLength, topDown);
}

ImageFile TgaFile(Tga kind, const Picture& source, bool runLength, bool topDown) {
    constexpr UINT kMapLength = 200;
    const UINT width = source.width, height = source.height;
    ImageFile file{"tga", {}, Map(source, [](uint32_t p) { return 0xFF000000u | p; }), D3DFMT_X8R8G8B8};
    unsigned bits = 24, alphaBits = 0, type = 2;
    switch (kind) {
        case Tga::Mapped8:
            bits = 8, type = 1;
            file.expected = Indexed(width, height, kMapLength);
            break;
        case Tga::Grey8:
            bits = 8, type = 3, file.format = D3DFMT_L8;
            file.expected = Map(file.expected, [](uint32_t p) { return 0xFF000000u | Channel(p, 16) * 0x010101u; });
            break;
        case Tga::Argb16:
            bits = 16, alphaBits = 1, file.format = D3DFMT_A1R5G5B5;
            file.expected = Map(source, [](uint32_t p) { return From555(To555(p)); });
            break;
        case Tga::Rgb24: break;
        case Tga::Argb32:
            bits = 32, alphaBits = 8, file.format = D3DFMT_A8R8G8B8;
            file.expected = source;
            break;
    }
    file.bytes = {3, static_cast<uint8_t>(type == 1), static_cast<uint8_t>(type | (runLength ? 8 : 0))};
    for (uint32_t value : {0u, type == 1 ? kMapLength : 0}) Put16(file.bytes, value);  // map start, length
    file.bytes.push_back(type == 1 ? 24 : 0);
    for (uint32_t value : {0u, 0u, width, height}) Put16(file.bytes, value);
    file.bytes.insert(file.bytes.end(), {static_cast<uint8_t>(bits), static_cast<uint8_t>(alphaBits | (topDown ? 0x20 : 0)),
                                         'i', 'd', '!'});
    for (UINT i = 0; type == 1 && i < kMapLength; ++i)
        for (int shift : {0, 8, 16}) file.bytes.push_back(static_cast<uint8_t>(Channel(PaletteColour(i), shift)));

    std::vector<std::vector<uint8_t>> stream;  // pixels in file order
    for (UINT fileRow = 0; fileRow < height; ++fileRow)
        for (UINT x = 0, y = topDown ? fileRow : height - 1 - fileRow; x < width; ++x) {
            const uint32_t p = type == 1 ? IndexAt(x, y, kMapLength) : bits == 16 ? To555(file.expected.At(x, y))
                                                                                 : file.expected.At(x, y);
            stream.emplace_back();
            for (unsigned b = 0; b < bits / 8; ++b) stream.back().push_back(static_cast<uint8_t>(p >> (8 * b)));
        }
    const auto emit = [&file](const std::vector<uint8_t>& pixel) { file.bytes.insert(file.bytes.end(), pixel.begin(), pixel.end()); };
    for (size_t i = 0; i < stream.size();) {
        size_t run = 1, raw = 1;
        while (runLength && i + run < stream.size() && stream[i + run] == stream[i] && run < 128) ++run;
        if (!runLength) {
            emit(stream[i++]);
        } else if (run >= 2) {
            file.bytes.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            emit(stream[i]);
            i += run;
        } else {
            while (i + raw < stream.size() && raw < 128 && stream[i + raw] != stream[i + raw - 1]) ++raw;
            file.bytes.push_back(static_cast<uint8_t>(raw - 1));
            for (size_t end = i + raw; i < end; ++i) emit(stream[i]);
        }
    }
    return file;
}

namespace {

// Rows hold a sample a byte below 8 bits: libpng packs them. libpng's errors
// jump back here: nothing in this frame has a destructor.
bool WritePng(std::vector<uint8_t>* out, UINT width, UINT height, int bitDepth, int colourType, bool interlaced,
              png_color* palette, int colours, png_byte* paletteAlphas, png_bytep* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, [](png_structp p, png_bytep data, png_size_t length) {
        auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        bytes->insert(bytes->end(), data, data + length);
    }, [](png_structp) {});
    png_set_IHDR(png, info, width, height, bitDepth, colourType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (palette) png_set_PLTE(png, info, palette, colours);
    if (paletteAlphas) png_set_tRNS(png, info, paletteAlphas, colours, nullptr);
    png_write_info(png, info);
    if (bitDepth < 8) png_set_packing(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

uint32_t Scale16(uint32_t value) { return static_cast<uint32_t>(std::lround(value * 255.0 / 65535.0)); }

}  // namespace

ImageFile PngFile(int colourType, int bitDepth, UINT width, UINT height, bool interlaced,
                  bool transparency) {
    const bool colour = colourType & PNG_COLOR_MASK_COLOR, alpha = colourType & PNG_COLOR_MASK_ALPHA;
    const bool palette = colourType == PNG_COLOR_TYPE_PALETTE;
    const int channels = palette ? 1 : (colour ? 3 : 1) + (alpha ? 1 : 0);
    const UINT colours = palette ? std::min(1u << bitDepth, 256u) : 0;
    ImageFile file{"png", {}, Picture{width, height, {}},
                   !colour ? (alpha ? D3DFMT_A8L8 : D3DFMT_L8) : (alpha || transparency ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8)};
    const uint32_t samples = bitDepth == 16 ? 65536 : 1u << bitDepth;
    const auto to8 = [bitDepth](uint32_t v) { return bitDepth == 16 ? Scale16(v) : Widen(v, bitDepth); };
    std::vector<std::vector<png_byte>> rows(height);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            uint32_t s[4] = {}, pixel;  // channel values in file order
            for (int c = 0; c < channels; ++c) {
                s[c] = palette ? IndexAt(x, y, colours)
                               : (x * (37 + 16 * c) + y * (11 + 40 * c) + 977 * c + (x * y) % 7) % samples;
                if (bitDepth == 16) rows[y].push_back(static_cast<png_byte>(s[c] >> 8));
                rows[y].push_back(static_cast<png_byte>(s[c]));
            }
            if (palette) {
                pixel = PaletteColour(s[0]);
                if (transparency) pixel = (pixel & 0xFFFFFF) | ((s[0] * 50 + 7) & 255) << 24;
            } else {
                pixel = (alpha ? to8(s[channels - 1]) : 255) << 24 | to8(s[0]) << 16 | to8(s[colour ? 1 : 0]) << 8 |
                        to8(s[colour ? 2 : 0]);
            }
            file.expected.argb.push_back(pixel);
        }

    std::vector<png_color> plte;
    std::vector<png_byte> alphas;
    for (UINT i = 0; i < colours; ++i) {
        const uint32_t c = PaletteColour(i);
        plte.push_back({static_cast<png_byte>(Channel(c, 16)), static_cast<png_byte>(Channel(c, 8)),
                        static_cast<png_byte>(Channel(c, 0))});
        alphas.push_back(static_cast<png_byte>((i * 50 + 7) & 255));
    }
    std::vector<png_bytep> pointers;
    for (auto& row : rows) pointers.push_back(row.data());
    if (!WritePng(&file.bytes, width, height, bitDepth, colourType, interlaced, palette ? plte.data() : nullptr,
                  static_cast<int>(colours), transparency && palette ? alphas.data() : nullptr, pointers.data()))
        file.bytes.clear();
    return file;
}

std::vector<uint8_t> JpegBytes(const uint8_t* samples, UINT width, UINT height, bool grey, bool progressive,
                               int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < height) {
        JSAMPROW row = const_cast<JSAMPROW>(&samples[info.next_scanline * size_t{width} * info.input_components]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

ImageFile JpegFile(bool grey, bool progressive, UINT width, UINT height) {
    ImageFile file{"jpeg", {}, Picture{width, height, {}}, grey ? D3DFMT_L8 : D3DFMT_X8R8G8B8};
    // A smooth picture: JPEG keeps it within a few levels.
    std::vector<uint8_t> samples;
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            const uint32_t r = x * 255 / width, g = y * 255 / height, b = 64 + (x + y) * 127 / (width + height);
            const uint32_t l = (r + g + b) / 3;
            file.expected.argb.push_back(grey ? 0xFF000000u | l * 0x010101u : 0xFF000000u | r << 16 | g << 8 | b);
            if (grey) samples.push_back(static_cast<uint8_t>(l));
            else samples.insert(samples.end(), {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)});
        }
    constexpr int kQuality = 95;
    file.bytes = JpegBytes(samples.data(), width, height, grey, progressive, kQuality);
    return file;
}

namespace {

// Pixel layouts of uncompressed DDS files, loaded in their own format.
struct DdsLayout {
    D3DFORMAT format;
    unsigned bits;
    uint32_t flags, masks[4];  // red, green, blue, alpha
};

constexpr uint32_t kRgb = 0x40, kAlphaPixels = 0x1, kLuminance = 0x20000, kFourCC = 0x4;

constexpr DdsLayout kDdsLayouts[] = {
    {D3DFMT_A8R8G8B8, 32, kRgb | kAlphaPixels, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    {D3DFMT_R5G6B5, 16, kRgb, {0xF800, 0x07E0, 0x1F, 0}},
    {D3DFMT_X1R5G5B5, 16, kRgb, {0x7C00, 0x03E0, 0x1F, 0}},
    {D3DFMT_A4R4G4B4, 16, kRgb | kAlphaPixels, {0x0F00, 0x00F0, 0x0F, 0xF000}},
    {D3DFMT_A8L8, 16, kLuminance | kAlphaPixels, {0xFF, 0, 0, 0xFF00}},
};

std::vector<uint8_t> DdsHeader(UINT width, UINT height, UINT levels, uint32_t pixelFlags, uint32_t fourCC,
                               unsigned bits, const uint32_t masks[4]) {
    std::vector<uint8_t> out = {'D', 'D', 'S', ' '};
    Put32(out, {124, 0x1 | 0x2 | 0x4 | 0x1000 | (levels > 1 ? 0x20000u : 0), height, width, 0, 0, levels});
    out.resize(out.size() + 44, 0);
    Put32(out, {32, pixelFlags, fourCC, bits, masks[0], masks[1], masks[2], masks[3],
                0x1000 | (levels > 1 ? 0x400008u : 0), 0, 0, 0, 0});
    return out;
}

// The bits of one channel of `mask` holding the 8-bit value; `widened` gets
// what a reader makes of them (unchanged without a mask).
uint32_t PackChannel(uint32_t value, uint32_t mask, uint32_t& widened) {
    if (!mask) return 0;
    unsigned shift = 0, bits = 0;
    while (!(mask >> shift & 1)) ++shift;
    while (uint64_t{mask} >> (shift + bits) & 1) ++bits;
    widened = Widen(value >> (8 - bits), bits);
    return value >> (8 - bits) << shift;
}

size_t BlockLevelSize(D3DFORMAT format, UINT width, UINT height, UINT level) {
    const UINT w = std::max(1u, width >> level), h = std::max(1u, height >> level);
    return size_t{(w + 3) / 4} * ((h + 3) / 4) * (format == D3DFMT_DXT1 ? 8 : 16);
}

}  // namespace

ImageFile DdsFile(D3DFORMAT format, UINT width, UINT height, UINT levels) {
    const DdsLayout* layout = std::find_if(std::begin(kDdsLayouts), std::end(kDdsLayouts),
                                           [format](const DdsLayout& l) { return l.format == format; });
    if (layout == std::end(kDdsLayouts)) layout = kDdsLayouts;
    ImageFile file{"dds", DdsHeader(width, height, levels, layout->flags, 0, layout->bits, layout->masks), {}, layout->format};
    const bool luminance = layout->flags & kLuminance;
    for (UINT level = 0; level < levels; ++level) {
        const UINT w = std::max(1u, width >> level), h = std::max(1u, height >> level);
        // Each stored level differs from a filtered one: its own pattern.
        const Picture source = Pattern(w + level, h, true);
        Picture expected{w, h, {}};
        for (UINT y = 0; y < h; ++y)
            for (UINT x = 0; x < w; ++x) {
                const uint32_t p = source.At(x + level, y);
                uint32_t r = 0, g = 0, b = 0, a = 255;
                uint32_t value = PackChannel(Channel(p, 16), layout->masks[0], r) | PackChannel(Channel(p, 24), layout->masks[3], a);
                if (luminance) g = b = r;
                else value |= PackChannel(Channel(p, 8), layout->masks[1], g) | PackChannel(Channel(p, 0), layout->masks[2], b);
                for (unsigned i = 0; i < layout->bits / 8; ++i) file.bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
                expected.argb.push_back(a << 24 | r << 16 | g << 8 | b);
            }
        if (level == 0) file.expected = expected;
    }
    return file;
}

std::vector<uint8_t> DdsBlockFile(D3DFORMAT format, UINT width, UINT height, UINT levels, uint32_t seed) {
    const uint32_t masks[4] = {};
    std::vector<uint8_t> file = DdsHeader(width, height, levels, kFourCC, static_cast<uint32_t>(format), 0, masks);
    uint32_t state = seed;
    for (UINT level = 0; level < levels; ++level)
        for (size_t i = 0; i < BlockLevelSize(format, width, height, level); ++i) {
            state = state * 1664525u + 1013904223u;
            file.push_back(static_cast<uint8_t>(state >> 24));
        }
    return file;
}

std::vector<uint8_t> DdsBlockLevel(const std::vector<uint8_t>& file, D3DFORMAT format, UINT width, UINT height,
                                   UINT level) {
    size_t offset = 128;
    for (UINT i = 0; i < level; ++i) offset += BlockLevelSize(format, width, height, i);
    return {file.begin() + static_cast<long>(offset),
            file.begin() + static_cast<long>(offset + BlockLevelSize(format, width, height, level))};
}

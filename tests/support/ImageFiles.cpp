#include "support/ImageFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

#include <jpeglib.h>
#include <png.h>

namespace {

// Little-endian `bytes` bytes of value.
void PutBytes(std::vector<uint8_t>& out, uint32_t value, unsigned bytes) {
    for (unsigned b = 0; b < bytes; ++b) out.push_back(static_cast<uint8_t>(value >> (8 * b)));
}

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

// A stored pixel: its bits and the masks of red, green, blue and alpha;
// luminance layouts keep grey in red's mask.
struct Layout { D3DFORMAT format; unsigned bits; uint32_t masks[4]; bool luminance; };

constexpr Layout kLayouts[] = {
    {D3DFMT_A8R8G8B8, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, false},
    {D3DFMT_X8R8G8B8, 24, {0xFF0000, 0xFF00, 0xFF, 0}, false},
    {D3DFMT_R5G6B5, 16, {0xF800, 0x07E0, 0x1F, 0}, false},
    {D3DFMT_X1R5G5B5, 16, {0x7C00, 0x03E0, 0x1F, 0}, false},
    {D3DFMT_A1R5G5B5, 16, {0x7C00, 0x03E0, 0x1F, 0x8000}, false},
    {D3DFMT_A4R4G4B4, 16, {0x0F00, 0x00F0, 0x0F, 0xF000}, false},
    {D3DFMT_X4R4G4B4, 16, {0x0F00, 0x00F0, 0x0F, 0}, false},
    {D3DFMT_A8R3G3B2, 16, {0xE0, 0x1C, 0x03, 0xFF00}, false},
    {D3DFMT_R3G3B2, 8, {0xE0, 0x1C, 0x03, 0}, false},
    {D3DFMT_A8L8, 16, {0xFF, 0, 0, 0xFF00}, true},
    {D3DFMT_L8, 8, {0xFF, 0, 0, 0}, true},
    {D3DFMT_A4L4, 8, {0x0F, 0, 0, 0xF0}, true},
    {D3DFMT_A8, 8, {0, 0, 0, 0xFF}, false},
};

const Layout& LayoutOf(D3DFORMAT format) {
    return *std::find_if(std::begin(kLayouts), std::end(kLayouts), [format](const Layout& l) { return l.format == format; });
}

// The values a file stores for source, pixel by pixel in file order (rows
// bottom-up unless topDown): indices of the palette pattern when `colours`
// is set, else the pixels packed by layout. `expected` gets the picture a
// decoder makes of them.
std::vector<uint32_t> Values(const Picture& source, bool topDown, const Layout& layout, UINT colours,
                             Picture& expected) {
    expected = Picture{source.width, source.height, std::vector<uint32_t>(source.argb.size())};
    std::vector<uint32_t> values;
    for (UINT row = 0; row < source.height; ++row)
        for (UINT x = 0, y = topDown ? row : source.height - 1 - row; x < source.width; ++x) {
            uint32_t& seen = expected.argb[size_t{y} * source.width + x];
            uint32_t value = colours ? IndexAt(x, y, colours) : 0, out[4] = {0, 0, 0, 255};  // red, green, blue, alpha
            for (int c = 0; c < 4 && !colours; ++c)
                if (const uint32_t mask = layout.masks[c]) {
                    const unsigned bits = unsigned(__builtin_popcount(mask)),
                                   kept = Channel(source.At(x, y), (16 - 8 * c) & 31) >> (8 - bits);
                    value |= kept << __builtin_ctz(mask);
                    out[c] = Widen(kept, bits);
                }
            if (layout.luminance) out[1] = out[2] = out[0];
            seen = colours ? PaletteColour(value) : out[3] << 24 | out[0] << 16 | out[1] << 8 | out[2];
            values.push_back(value);
        }
    return values;
}

// Rows hold a sample a byte below 8 bits: libpng packs them. libpng's errors
// jump back here: nothing in this frame has a destructor.
bool WritePng(std::vector<uint8_t>* out, UINT width, UINT height, int bitDepth, int colourType, bool interlaced,
              const std::vector<png_color>& palette, png_byte* paletteAlphas, png_bytep* rows) {
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
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (paletteAlphas) png_set_tRNS(png, info, paletteAlphas, int(palette.size()), nullptr);
    png_write_info(png, info);
    if (bitDepth < 8) png_set_packing(png);
    png_set_check_for_invalid_index(png, 0);  // indices past a cut palette are written as they are
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::vector<uint8_t> DdsHeader(UINT width, UINT height, UINT levels, uint32_t pixelFlags, uint32_t fourCC,
                               unsigned bits, const uint32_t masks[4]) {
    std::vector<uint8_t> out = {'D', 'D', 'S', ' '};
    Put32(out, {124, 0x1 | 0x2 | 0x4 | 0x1000 | (levels > 1 ? 0x20000u : 0), height, width, 0, 0, levels});
    out.resize(out.size() + 44, 0);
    Put32(out, {32, pixelFlags, fourCC, bits, masks[0], masks[1], masks[2], masks[3],
                0x1000 | (levels > 1 ? 0x400008u : 0), 0, 0, 0, 0});
    return out;
}

}  // namespace

void Put32(std::vector<uint8_t>& out, std::initializer_list<uint32_t> values) {
    for (uint32_t value : values) PutBytes(out, value, 4);
}

std::vector<uint8_t> NoiseBytes(size_t count, uint32_t seed) {
    std::vector<uint8_t> bytes(count);
    for (uint8_t& byte : bytes) seed = seed * 1664525u + 1013904223u, byte = static_cast<uint8_t>(seed >> 24);
    return bytes;
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

Picture Pattern(UINT width, UINT height, UINT shift) {
    Picture picture{width, height, {}};
    for (UINT y = 0; y < height; ++y)
        for (UINT x = shift; x < width + shift; ++x)
            picture.argb.push_back(((255 - (x * 13 + y * 29)) & 255) << 24 | ((x * 37 + y * 11 + 5) & 255) << 16 |
                                   ((x * 5 + y * 53 + 100) & 255) << 8 | ((x * y * 7 + x * 71 + 13) & 255));
    return picture;
}

ImageFile BmpFile(Bmp kind, UINT width, UINT height, bool topDown, bool fileHeader) {
    static const struct { unsigned bits, compression, colours; D3DFORMAT format; } kKinds[] = {
        {4, 0, 16, D3DFMT_X8R8G8B8}, {8, 0, 256, D3DFMT_X8R8G8B8}, {16, 3, 0, D3DFMT_R5G6B5},
        {24, 0, 0, D3DFMT_X8R8G8B8}, {32, 3, 0, D3DFMT_A8R8G8B8}, {16, 3, 0, D3DFMT_X4R4G4B4},
        {8, 0, 256, D3DFMT_X8R8G8B8}};
    const auto& k = kKinds[static_cast<int>(kind)];
    const Layout& layout = LayoutOf(k.format);
    ImageFile file{"bmp", {}, {}, k.format};
    const std::vector<uint32_t> values = Values(Pattern(width, height), topDown, layout, k.colours, file.expected);
    const size_t rowBytes = (size_t{width} * k.bits + 31) / 32 * 4;
    std::vector<uint8_t> pixels(rowBytes * height, 0);
    for (size_t i = 0; i < values.size(); ++i)
        for (unsigned bit = 0, x = i % width; bit < k.bits; bit += 8)  // sub-byte indices fill each byte from the top
            pixels[i / width * rowBytes + (x * k.bits + bit) / 8] |=
                static_cast<uint8_t>(k.bits < 8 ? values[i] << (8 - k.bits - x * k.bits % 8) : values[i] >> bit);

    std::vector<uint8_t> info;
    if (kind == Bmp::CorePalette8) {  // sides of 16 bits, always bottom-up
        Put32(info, {12});
        for (uint32_t field : {width, height, 1u, k.bits}) PutBytes(info, field, 2);
        for (UINT i = 0; i < k.colours; ++i) PutBytes(info, PaletteColour(i), 3);
    } else {
        const uint32_t headerSize = kind == Bmp::Argb32Fields ? 108 : 40;
        // The 4-bit file leaves its palette's length to the bit count (0), as
        // most writers do; the 8-bit one states it.
        const uint32_t coloursUsed = kind == Bmp::Palette4 ? 0 : k.colours;
        Put32(info, {headerSize, width, topDown ? static_cast<uint32_t>(-static_cast<int32_t>(height)) : height,
                     1u | k.bits << 16, k.compression, static_cast<uint32_t>(pixels.size()), 2835, 2835, coloursUsed, 0});
        for (int c = 0; k.compression == 3 && c < (k.bits == 32 ? 4 : 3); ++c) Put32(info, {layout.masks[c]});
        info.resize(std::max<size_t>(info.size(), headerSize), 0);
        for (UINT i = 0; i < k.colours; ++i) Put32(info, {PaletteColour(i) & 0xFFFFFF});
    }
    if (fileHeader) file.bytes = {'B', 'M'}, Put32(file.bytes, {uint32_t(14 + info.size() + pixels.size()), 0, uint32_t(14 + info.size())});
    for (const auto* piece : {&info, &pixels}) file.bytes.insert(file.bytes.end(), piece->begin(), piece->end());
    return file;
}

std::vector<uint8_t> Rle8Bitmap(UINT width, UINT height, const std::vector<uint32_t>& palette,
                                const std::vector<uint8_t>& codes) {
    std::vector<uint8_t> bytes = {'B', 'M'};
    const uint32_t offset = uint32_t(14 + 40 + 4 * palette.size());
    Put32(bytes, {uint32_t(offset + codes.size()), 0, offset, 40, width, height, 1u | 8u << 16, 1,
                  uint32_t(codes.size()), 2835, 2835, uint32_t(palette.size()), 0});
    for (uint32_t colour : palette) Put32(bytes, {colour});
    bytes.insert(bytes.end(), codes.begin(), codes.end());
    return bytes;
}

ImageFile TgaFile(Tga kind, UINT width, UINT height, bool runLength, bool topDown) {
    return TgaFile(kind, Pattern(width, height), runLength, topDown);
}

ImageFile TgaFile(Tga kind, const Picture& source, bool runLength, bool topDown) {
    constexpr UINT kMapLength = 200;
    static const D3DFORMAT kFormats[] = {D3DFMT_X8R8G8B8, D3DFMT_L8,       D3DFMT_A1R5G5B5,
                                         D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8};
    const bool mapped = kind == Tga::Mapped8 || kind == Tga::Mapped8Alpha, mapAlpha = kind == Tga::Mapped8Alpha;
    // Map entries: the palette pattern, with alphas of every kind (0 first) in a 32-bit map.
    const auto entry = [mapAlpha](UINT i) { return mapAlpha ? (PaletteColour(i) & 0xFFFFFF) | (i * 50 & 255) << 24 : PaletteColour(i); };
    const Layout& layout = LayoutOf(kFormats[static_cast<int>(kind)]);
    const unsigned bytes = mapped ? 1 : layout.bits / 8, type = mapped ? 1 : layout.luminance ? 3 : 2;
    ImageFile file{"tga", {}, {}, layout.format};
    const std::vector<uint32_t> values = Values(source, topDown, layout, mapped ? kMapLength : 0, file.expected);
    for (UINT y = 0; mapAlpha && y < source.height; ++y)
        for (UINT x = 0; x < source.width; ++x) file.expected.argb[size_t{y} * source.width + x] = entry(IndexAt(x, y, kMapLength));
    file.bytes = {3, static_cast<uint8_t>(mapped), static_cast<uint8_t>(type | (runLength ? 8 : 0))};
    PutBytes(file.bytes, mapped ? kMapLength << 16 : 0, 4);  // map start, length
    file.bytes.push_back(mapped ? (mapAlpha ? 32 : 24) : 0);
    for (uint32_t value : {0u, 0u, source.width, source.height}) PutBytes(file.bytes, value, 2);
    const uint8_t descriptor = uint8_t(__builtin_popcount(layout.masks[3]) | (topDown ? 0x20 : 0));  // alpha bits, row order
    file.bytes.insert(file.bytes.end(), {uint8_t(8 * bytes), descriptor, 'i', 'd', '!'});
    for (UINT i = 0; mapped && i < kMapLength; ++i) PutBytes(file.bytes, entry(i), mapAlpha ? 4 : 3);

    // Packets of up to 128: a value repeated, stored once, or values that differ.
    for (size_t i = 0, run = 1; i < values.size(); i += run, run = 1) {
        const auto extend = [&](bool same) {
            while (runLength && i + run < values.size() && run < 128 && (values[i + run] == values[i + run - 1]) == same) ++run;
        };
        extend(true);
        const bool repeated = run > 1;
        if (!repeated) extend(false);
        if (runLength) file.bytes.push_back(static_cast<uint8_t>((repeated ? 0x80 : 0) | (run - 1)));
        for (size_t k = i; k < i + (repeated ? 1 : run); ++k) PutBytes(file.bytes, values[k], bytes);
    }
    return file;
}

ImageFile PngFile(int colourType, int bitDepth, UINT width, UINT height, bool interlaced,
                  bool transparency, UINT paletteColours) {
    const bool colour = colourType & PNG_COLOR_MASK_COLOR, alpha = colourType & PNG_COLOR_MASK_ALPHA,
               palette = colourType == PNG_COLOR_TYPE_PALETTE;
    const int channels = palette ? 1 : (colour ? 3 : 1) + (alpha ? 1 : 0);
    ImageFile file{"png", {}, Picture{width, height, {}},
                   !colour ? (alpha ? D3DFMT_A8L8 : D3DFMT_L8) : (alpha || transparency ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8)};
    std::vector<png_color> plte;
    std::vector<png_byte> alphas;
    const UINT colours = palette ? std::min(1u << bitDepth, 256u) : 0;
    for (UINT i = 0; i < colours; ++i) {
        const uint32_t c = PaletteColour(i);
        plte.push_back({png_byte(Channel(c, 16)), png_byte(Channel(c, 8)), png_byte(Channel(c, 0))});
        alphas.push_back(static_cast<png_byte>((i * 50 + 7) & 255));
    }
    const uint32_t samples = bitDepth == 16 ? 65536 : 1u << bitDepth;
    const auto to8 = [bitDepth](uint32_t v) { return bitDepth == 16 ? uint32_t(std::lround(v * 255.0 / 65535.0)) : Widen(v, bitDepth); };
    std::vector<std::vector<png_byte>> rows(height);
    std::vector<png_bytep> pointers;
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            uint32_t s[4] = {};  // channel values in file order
            for (int c = 0; c < channels; ++c) {
                s[c] = palette ? IndexAt(x, y, colours)
                               : (x * (37 + 16 * c) + y * (11 + 40 * c) + 977 * c + (x * y) % 7) % samples;
                if (bitDepth == 16) rows[y].push_back(static_cast<png_byte>(s[c] >> 8));
                rows[y].push_back(static_cast<png_byte>(s[c]));
            }
            file.expected.argb.push_back(
                palette ? (PaletteColour(s[0]) & 0xFFFFFF) | (transparency ? alphas[s[0]] : 255u) << 24
                        : (alpha ? to8(s[channels - 1]) : 255) << 24 | to8(s[0]) << 16 | to8(s[colour ? 1 : 0]) << 8 |
                              to8(s[colour ? 2 : 0]));
        }
        pointers.push_back(rows[y].data());
    }
    plte.resize(std::min(colours, paletteColours));
    if (!WritePng(&file.bytes, width, height, bitDepth, colourType, interlaced, plte,
                  transparency && palette ? alphas.data() : nullptr, pointers.data()))
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
    info.image_width = width, info.image_height = height;
    info.input_components = grey ? 1 : 3, info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
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

ImageFile DdsFile(D3DFORMAT format, UINT width, UINT height, UINT levels) {
    constexpr uint32_t kRgb = 0x40, kAlphaPixels = 0x1, kAlphaOnly = 0x2, kLuminance = 0x20000;
    const Layout& layout = LayoutOf(format);
    ImageFile file{"dds", DdsHeader(width, height, levels, (layout.luminance ? kLuminance : layout.masks[0] ? kRgb : kAlphaOnly) |
                                    (layout.masks[3] && layout.masks[0] ? kAlphaPixels : 0), 0, layout.bits, layout.masks),
                   {}, layout.format};
    for (UINT level = 0; level < levels; ++level) {
        Picture lower;  // each stored level differs from a filtered one: its own pattern
        const UINT w = std::max(1u, width >> level), h = std::max(1u, height >> level);
        for (uint32_t value : Values(Pattern(w, h, level), true, layout, 0, level ? lower : file.expected))
            PutBytes(file.bytes, value, layout.bits / 8);
    }
    return file;
}

std::vector<uint8_t> DdsBlockFile(D3DFORMAT format, UINT width, UINT height, UINT levels, uint32_t seed) {
    constexpr uint32_t kFourCC = 0x4, kNoMasks[4] = {};
    std::vector<uint8_t> file = DdsHeader(width, height, levels, kFourCC, static_cast<uint32_t>(format), 0, kNoMasks);
    size_t size = 0;
    for (UINT level = 0; level < levels; ++level)
        size += size_t{(std::max(1u, width >> level) + 3) / 4} * ((std::max(1u, height >> level) + 3) / 4) *
                (format == D3DFMT_DXT1 ? 8 : 16);
    const std::vector<uint8_t> blocks = NoiseBytes(size, seed);
    file.insert(file.end(), blocks.begin(), blocks.end());
    return file;
}

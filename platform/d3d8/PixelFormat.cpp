#include "PixelFormat.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace orvd3d8 {
namespace {

constexpr Channel kNone = {0, 0};

// clang-format off
constexpr FormatInfo kFormats[] = {
    // format              name          bpp blk  alpha    red       green     blue      lum      depth     stencil  display
    {D3DFMT_A8R8G8B8,      "A8R8G8B8",   4, 0, {8, 24}, {8, 16},  {8, 8},   {8, 0},   kNone,   kNone,    kNone,   true },
    {D3DFMT_X8R8G8B8,      "X8R8G8B8",   4, 0, kNone,   {8, 16},  {8, 8},   {8, 0},   kNone,   kNone,    kNone,   true },
    {D3DFMT_R8G8B8,        "R8G8B8",     3, 0, kNone,   {8, 16},  {8, 8},   {8, 0},   kNone,   kNone,    kNone,   false},
    {D3DFMT_R5G6B5,        "R5G6B5",     2, 0, kNone,   {5, 11},  {6, 5},   {5, 0},   kNone,   kNone,    kNone,   true },
    {D3DFMT_X1R5G5B5,      "X1R5G5B5",   2, 0, kNone,   {5, 10},  {5, 5},   {5, 0},   kNone,   kNone,    kNone,   true },
    {D3DFMT_A1R5G5B5,      "A1R5G5B5",   2, 0, {1, 15}, {5, 10},  {5, 5},   {5, 0},   kNone,   kNone,    kNone,   true },
    {D3DFMT_A4R4G4B4,      "A4R4G4B4",   2, 0, {4, 12}, {4, 8},   {4, 4},   {4, 0},   kNone,   kNone,    kNone,   false},
    {D3DFMT_X4R4G4B4,      "X4R4G4B4",   2, 0, kNone,   {4, 8},   {4, 4},   {4, 0},   kNone,   kNone,    kNone,   false},
    {D3DFMT_R3G3B2,        "R3G3B2",     1, 0, kNone,   {3, 5},   {3, 2},   {2, 0},   kNone,   kNone,    kNone,   false},
    {D3DFMT_A8R3G3B2,      "A8R3G3B2",   2, 0, {8, 8},  {3, 5},   {3, 2},   {2, 0},   kNone,   kNone,    kNone,   false},
    {D3DFMT_A8,            "A8",         1, 0, {8, 0},  kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_L8,            "L8",         1, 0, kNone,   kNone,    kNone,    kNone,    {8, 0},  kNone,    kNone,   false},
    {D3DFMT_A8L8,          "A8L8",       2, 0, {8, 8},  kNone,    kNone,    kNone,    {8, 0},  kNone,    kNone,   false},
    {D3DFMT_A4L4,          "A4L4",       1, 0, {4, 4},  kNone,    kNone,    kNone,    {4, 0},  kNone,    kNone,   false},
    {D3DFMT_P8,            "P8",         1, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_A8P8,          "A8P8",       2, 0, {8, 8},  kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_V8U8,          "V8U8",       2, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_L6V5U5,        "L6V5U5",     2, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_X8L8V8U8,      "X8L8V8U8",   4, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_Q8W8V8U8,      "Q8W8V8U8",   4, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_V16U16,        "V16U16",     4, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_W11V11U10,     "W11V11U10",  4, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_A2W10V10U10,   "A2W10V10U10",4, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_A2B10G10R10,   "A2B10G10R10",4, 0, {2, 30}, {10, 0},  {10, 10}, {10, 20}, kNone,   kNone,    kNone,   false},
    {D3DFMT_G16R16,        "G16R16",     4, 0, kNone,   {16, 0},  {16, 16}, kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_UYVY,          "UYVY",       2, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_YUY2,          "YUY2",       2, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_DXT1,          "DXT1",       0, 8, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_DXT2,          "DXT2",       0, 16, kNone,  kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_DXT3,          "DXT3",       0, 16, kNone,  kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_DXT4,          "DXT4",       0, 16, kNone,  kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_DXT5,          "DXT5",       0, 16, kNone,  kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_D16_LOCKABLE,  "D16_LOCKABLE",2,0, kNone,   kNone,    kNone,    kNone,    kNone,   {16, 0},  kNone,   false},
    {D3DFMT_D16,           "D16",        2, 0, kNone,   kNone,    kNone,    kNone,    kNone,   {16, 0},  kNone,   false},
    {D3DFMT_D15S1,         "D15S1",      2, 0, kNone,   kNone,    kNone,    kNone,    kNone,   {15, 1},  {1, 0},  false},
    {D3DFMT_D32,           "D32",        4, 0, kNone,   kNone,    kNone,    kNone,    kNone,   {32, 0},  kNone,   false},
    {D3DFMT_D24S8,         "D24S8",      4, 0, kNone,   kNone,    kNone,    kNone,    kNone,   {24, 8},  {8, 0},  false},
    {D3DFMT_D24X8,         "D24X8",      4, 0, kNone,   kNone,    kNone,    kNone,    kNone,   {24, 8},  kNone,   false},
    {D3DFMT_D24X4S4,       "D24X4S4",    4, 0, kNone,   kNone,    kNone,    kNone,    kNone,   {24, 8},  {4, 0},  false},
    {D3DFMT_INDEX16,       "INDEX16",    2, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_INDEX32,       "INDEX32",    4, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
    {D3DFMT_VERTEXDATA,    "VERTEXDATA", 1, 0, kNone,   kNone,    kNone,    kNone,    kNone,   kNone,    kNone,   false},
};
// clang-format on
static_assert(sizeof(kFormats) / sizeof(kFormats[0]) == 42, "one row per known format");

uint32_t ReadWord(const uint8_t* pixel, unsigned bytes) {
    uint32_t word = 0;
    for (unsigned i = 0; i < bytes; ++i) word |= static_cast<uint32_t>(pixel[i]) << (8 * i);
    return word;
}

void WriteWord(uint8_t* pixel, unsigned bytes, uint32_t word) {
    for (unsigned i = 0; i < bytes; ++i) pixel[i] = static_cast<uint8_t>(word >> (8 * i));
}

uint64_t Mask(unsigned bits) { return bits >= 32 ? 0xFFFFFFFFull : ((1ull << bits) - 1); }

// Expands a channel to 8 bits by replicating its high bits (5-bit 31 → 255).
uint32_t Expand(uint32_t word, Channel channel) {
    uint32_t value = static_cast<uint32_t>((word >> channel.shift) & Mask(channel.bits));
    if (channel.bits >= 8) return value >> (channel.bits - 8);
    uint32_t result = 0;
    int filled = 0;
    while (filled < 8) {
        int shift = 8 - filled - channel.bits;
        result |= shift >= 0 ? value << shift : value >> -shift;
        filled += channel.bits;
    }
    return result & 0xFF;
}

// Reduces an 8-bit value to a channel with rounding to nearest.
uint32_t Reduce(uint32_t value8, Channel channel) {
    if (channel.bits == 0) return 0;
    uint32_t max = static_cast<uint32_t>(Mask(channel.bits));
    uint32_t value = channel.bits >= 8 ? value8 << (channel.bits - 8) : (value8 * max + 127) / 255;
    return (value & max) << channel.shift;
}

}  // namespace

// Formats numbered below this are found by their number; the
// four-character codes above it by a search. Pixel loops ask for every pixel.
constexpr unsigned kNumberedFormats = 128;

const FormatInfo* PixelFormat::Find(D3DFORMAT format) {
    static const std::array<const FormatInfo*, kNumberedFormats> byNumber = [] {
        std::array<const FormatInfo*, kNumberedFormats> table{};
        for (const FormatInfo& info : kFormats)
            if (static_cast<unsigned>(info.format) < kNumberedFormats)
                table[static_cast<unsigned>(info.format)] = &info;
        return table;
    }();
    const unsigned number = static_cast<unsigned>(format);
    if (number < kNumberedFormats) return byNumber[number];
    for (const FormatInfo& info : kFormats)
        if (info.format == format) return &info;
    return nullptr;
}

const char* PixelFormat::Name(D3DFORMAT format) {
    const FormatInfo* info = Find(format);
    return info ? info->name : (format == D3DFMT_UNKNOWN ? "UNKNOWN" : "?");
}

bool PixelFormat::IsCompressed(D3DFORMAT format) {
    const FormatInfo* info = Find(format);
    return info && info->blockBytes != 0;
}

bool PixelFormat::IsDepth(D3DFORMAT format) {
    const FormatInfo* info = Find(format);
    return info && info->depth.bits != 0;
}

bool PixelFormat::HasStencil(D3DFORMAT format) {
    const FormatInfo* info = Find(format);
    return info && info->stencil.bits != 0;
}

bool PixelFormat::IsDisplayable(D3DFORMAT format) {
    const FormatInfo* info = Find(format);
    return info && info->displayable;
}

UINT PixelFormat::Pitch(D3DFORMAT format, UINT width) {
    const FormatInfo* info = Find(format);
    if (!info) return 0;
    if (info->blockBytes) return std::max(1u, (width + 3) / 4) * info->blockBytes;
    return (width * info->bytesPerPixel + 3) & ~3u;
}

UINT PixelFormat::Rows(D3DFORMAT format, UINT height) {
    return IsCompressed(format) ? std::max(1u, (height + 3) / 4) : height;
}

UINT PixelFormat::Size(D3DFORMAT format, UINT width, UINT height) {
    return Pitch(format, width) * Rows(format, height);
}

uint32_t PixelFormat::ToArgb(D3DFORMAT format, const uint8_t* pixel) {
    // Back buffers and the screenshot surface: the word is the colour.
    if (format == D3DFMT_A8R8G8B8) return ReadWord(pixel, 4);
    if (format == D3DFMT_X8R8G8B8) return ReadWord(pixel, 4) | 0xFF000000u;
    const FormatInfo* info = Find(format);
    if (!info || info->bytesPerPixel == 0) return 0;
    uint32_t word = ReadWord(pixel, info->bytesPerPixel);
    uint32_t a = info->alpha.bits ? Expand(word, info->alpha) : 0xFF;
    uint32_t r, g, b;
    if (info->luminance.bits) {
        r = g = b = Expand(word, info->luminance);
    } else {
        r = info->red.bits ? Expand(word, info->red) : 0;
        g = info->green.bits ? Expand(word, info->green) : 0;
        b = info->blue.bits ? Expand(word, info->blue) : 0;
    }
    return (a << 24) | (r << 16) | (g << 8) | b;
}

void PixelFormat::FromArgb(D3DFORMAT format, uint32_t argb, uint8_t* pixel) {
    if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
        WriteWord(pixel, 4, format == D3DFMT_A8R8G8B8 ? argb : argb & 0x00FFFFFFu);
        return;
    }
    const FormatInfo* info = Find(format);
    if (!info || info->bytesPerPixel == 0) return;
    uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    uint32_t word = Reduce(a, info->alpha);
    if (info->luminance.bits) {
        // Rec. 601 weights, as a luminance texture loader would use.
        uint32_t l = (r * 299 + g * 587 + b * 114 + 500) / 1000;
        word |= Reduce(l, info->luminance);
    } else {
        word |= Reduce(r, info->red) | Reduce(g, info->green) | Reduce(b, info->blue);
    }
    WriteWord(pixel, info->bytesPerPixel, word);
}

float PixelFormat::ReadDepth(D3DFORMAT format, const uint8_t* pixel) {
    const FormatInfo* info = Find(format);
    if (!info || info->depth.bits == 0) return 0.0f;
    uint32_t word = ReadWord(pixel, info->bytesPerPixel);
    uint64_t max = Mask(info->depth.bits);
    return static_cast<float>(static_cast<double>((word >> info->depth.shift) & max) /
                              static_cast<double>(max));
}

DWORD PixelFormat::ReadStencil(D3DFORMAT format, const uint8_t* pixel) {
    const FormatInfo* info = Find(format);
    if (!info || info->stencil.bits == 0) return 0;
    uint32_t word = ReadWord(pixel, info->bytesPerPixel);
    return static_cast<DWORD>((word >> info->stencil.shift) & Mask(info->stencil.bits));
}

void PixelFormat::WriteDepthStencil(D3DFORMAT format, uint8_t* pixel, const float* depth,
                                    const DWORD* stencil) {
    const FormatInfo* info = Find(format);
    if (!info || info->depth.bits == 0) return;
    uint32_t word = ReadWord(pixel, info->bytesPerPixel);
    if (depth) {
        uint64_t max = Mask(info->depth.bits);
        double z = std::min(1.0, std::max(0.0, static_cast<double>(*depth)));
        uint64_t value = static_cast<uint64_t>(z * static_cast<double>(max) + 0.5);
        word = static_cast<uint32_t>((word & ~(max << info->depth.shift)) |
                                     (value << info->depth.shift));
    }
    if (stencil && info->stencil.bits) {
        uint64_t max = Mask(info->stencil.bits);
        word = static_cast<uint32_t>((word & ~(max << info->stencil.shift)) |
                                     ((*stencil & max) << info->stencil.shift));
    }
    WriteWord(pixel, info->bytesPerPixel, word);
}

}  // namespace orvd3d8

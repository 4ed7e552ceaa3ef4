#include "pixels/PixelLayout.h"

#include <cstring>
#include <initializer_list>

#include "pixels/LittleEndian.h"

namespace {

constexpr PixelLayout::Channel kNone = {0, 0};

// clang-format off
constexpr PixelLayout kLayouts[] = {
    // format               bytes block alpha     red       green    blue     luminance classes (r, g, b, a, extra)
    {D3DFMT_R8G8B8,         3,    0,    kNone,    {16, 8},  {8, 8},  {0, 8},  kNone,    {2, 2, 2, 0, 0}},
    {D3DFMT_A8R8G8B8,       4,    0,    {24, 8},  {16, 8},  {8, 8},  {0, 8},  kNone,    {2, 2, 2, 2, 0}},
    {D3DFMT_X8R8G8B8,       4,    0,    kNone,    {16, 8},  {8, 8},  {0, 8},  kNone,    {2, 2, 2, 0, 0}},
    {D3DFMT_R5G6B5,         2,    0,    kNone,    {11, 5},  {5, 6},  {0, 5},  kNone,    {2, 3, 2, 0, 0}},
    {D3DFMT_X1R5G5B5,       2,    0,    kNone,    {10, 5},  {5, 5},  {0, 5},  kNone,    {2, 2, 2, 0, 1}},
    {D3DFMT_A1R5G5B5,       2,    0,    {15, 1},  {10, 5},  {5, 5},  {0, 5},  kNone,    {2, 2, 2, 1, 0}},
    {D3DFMT_A4R4G4B4,       2,    0,    {12, 4},  {8, 4},   {4, 4},  {0, 4},  kNone,    {2, 2, 2, 2, 0}},
    {D3DFMT_R3G3B2,         1,    0,    kNone,    {5, 3},   {2, 3},  {0, 2},  kNone,    {2, 2, 1, 0, 0}},
    {D3DFMT_A8,             1,    0,    {0, 8},   kNone,    kNone,   kNone,   kNone,    {0, 0, 0, 3, 0}},
    {D3DFMT_A8R3G3B2,       2,    0,    {8, 8},   {5, 3},   {2, 3},  {0, 2},  kNone,    {2, 2, 1, 3, 0}},
    {D3DFMT_X4R4G4B4,       2,    0,    kNone,    {8, 4},   {4, 4},  {0, 4},  kNone,    {2, 2, 2, 0, 0}},
    {D3DFMT_L8,             1,    0,    kNone,    kNone,    kNone,   kNone,   {0, 8},   {}},
    {D3DFMT_A8L8,           2,    0,    {8, 8},   kNone,    kNone,   kNone,   {0, 8},   {}},
    {D3DFMT_A4L4,           1,    0,    {4, 4},   kNone,    kNone,   kNone,   {0, 4},   {}},
    {D3DFMT_DXT1,           0,    8,    kNone,    kNone,    kNone,   kNone,   kNone,    {2, 2, 2, 1, 0}},
    {D3DFMT_DXT2,           0,    16,   kNone,    kNone,    kNone,   kNone,   kNone,    {2, 2, 2, 2, 0}},
    {D3DFMT_DXT3,           0,    16,   kNone,    kNone,    kNone,   kNone,   kNone,    {2, 2, 2, 2, 0}},
    {D3DFMT_DXT4,           0,    16,   kNone,    kNone,    kNone,   kNone,   kNone,    {2, 2, 2, 2, 0}},
    {D3DFMT_DXT5,           0,    16,   kNone,    kNone,    kNone,   kNone,   kNone,    {2, 2, 2, 2, 0}},
    // Formats known by their size only.
    {D3DFMT_A2B10G10R10,    4,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_G16R16,         4,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_X8L8V8U8,       4,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_Q8W8V8U8,       4,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_V16U16,         4,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_W11V11U10,      4,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_A2W10V10U10,    4,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_D32,            4,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_D24S8,          4,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_D24X8,          4,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_D24X4S4,        4,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_INDEX32,        4,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_A8P8,           2,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_V8U8,           2,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_L6V5U5,         2,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_D16_LOCKABLE,   2,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_D15S1,          2,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_D16,            2,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_INDEX16,        2,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
    {D3DFMT_P8,             1,    0,    kNone,    kNone,    kNone,   kNone,   kNone,    {}},
};
// clang-format on
static_assert(sizeof kLayouts / sizeof kLayouts[0] == 39,
              "the eleven RGB formats, three luminance formats, five block formats and twenty "
              "formats known by size");

uint32_t Expand(uint32_t pixel, PixelLayout::Channel channel) {
    return WidenChannel((pixel >> channel.shift) & ((1u << channel.bits) - 1), channel.bits);
}

uint32_t Reduce(uint32_t value8, PixelLayout::Channel channel) {
    const uint32_t max = (1u << channel.bits) - 1;
    return ((value8 * max + 127) / 255) << channel.shift;
}

// The pixel bits that carry no channel (the X of X8R8G8B8).
uint32_t UnusedBits(const PixelLayout& layout) {
    uint32_t used = 0;
    for (const PixelLayout::Channel& channel :
         {layout.alpha, layout.red, layout.green, layout.blue, layout.luminance})
        used |= ((1u << channel.bits) - 1) << channel.shift;
    const uint32_t all = layout.bytesPerPixel == 4 ? 0xFFFFFFFFu : (1u << (8 * layout.bytesPerPixel)) - 1;
    return all & ~used;
}

// The X byte of X8R8G8B8 pixels reads as opaque and is written as 1s; it is
// the last of a pixel's little-endian bytes.
constexpr UINT kTopByte = 3;
void SetTopByte(uint32_t* pixels, UINT width) {
    for (UINT x = 0; x < width; ++x) pixels[x] |= 0xFF000000u;
}

}  // namespace

const PixelLayout* PixelLayout::Describe(D3DFORMAT format) {
    for (const PixelLayout& layout : kLayouts)
        if (layout.format == format) return &layout;
    return nullptr;
}

const PixelLayout* PixelLayout::Find(D3DFORMAT format) {
    const PixelLayout* layout = Describe(format);
    return layout && layout->HasChannels() ? layout : nullptr;
}

unsigned PixelLayout::UnusedBitCount() const {
    unsigned count = 0;
    for (uint32_t bits = HasChannels() ? UnusedBits(*this) : 0; bits; bits &= bits - 1) ++count;
    return count;
}

void PixelLayout::ToArgb(const BYTE* source, UINT width, uint32_t* argb) const {
    if (IsArgbMemory(format)) {
        std::memcpy(argb, source, size_t{width} * 4);
        if (format == D3DFMT_X8R8G8B8) SetTopByte(argb, width);
        return;
    }
    for (UINT x = 0; x < width; ++x, source += bytesPerPixel) {
        const uint32_t pixel = LoadBytes(source, bytesPerPixel);
        const uint32_t a = alpha.bits ? Expand(pixel, alpha) : 0xFF;
        uint32_t r = 0, g = 0, b = 0;
        if (luminance.bits) {
            r = g = b = Expand(pixel, luminance);
        } else if (red.bits) {
            r = Expand(pixel, red);
            g = Expand(pixel, green);
            b = Expand(pixel, blue);
        }
        argb[x] = ArgbWord(a, r, g, b);
    }
}

void PixelLayout::FromArgb(const uint32_t* argb, UINT width, BYTE* destination) const {
    if (IsArgbMemory(format)) {
        std::memcpy(destination, argb, size_t{width} * 4);
        // The row is the caller's bytes at the caller's pitch: set byte by byte.
        if (format == D3DFMT_X8R8G8B8)
            for (UINT x = 0; x < width; ++x) destination[size_t{x} * bytesPerPixel + kTopByte] = 0xFF;
        return;
    }
    const uint32_t unused = UnusedBits(*this);
    for (UINT x = 0; x < width; ++x, destination += bytesPerPixel) {
        const uint32_t pixel = argb[x];
        const uint32_t a = pixel >> 24, r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF,
                       b = pixel & 0xFF;
        uint32_t value = unused;
        if (alpha.bits) value |= Reduce(a, alpha);
        if (luminance.bits) value |= Reduce(Luminance(pixel), luminance);
        if (red.bits) value |= Reduce(r, red) | Reduce(g, green) | Reduce(b, blue);
        StoreBytes(destination, value, bytesPerPixel);
    }
}

void PixelLayout::ToBgr(const BYTE* source, UINT width, BYTE* bgr) const {
    uint32_t argb[64];
    for (UINT done = 0; done < width;) {
        const UINT count = width - done < 64 ? width - done : 64;
        ToArgb(source + size_t{done} * bytesPerPixel, count, argb);
        for (UINT x = 0; x < count; ++x, bgr += 3) {
            bgr[0] = static_cast<BYTE>(argb[x]);
            bgr[1] = static_cast<BYTE>(argb[x] >> 8);
            bgr[2] = static_cast<BYTE>(argb[x] >> 16);
        }
        done += count;
    }
}

#include "texture/PixelFormats.h"

#include <cstddef>

namespace {

// Class codes and bit counts as red, green, blue, alpha, extra.
struct FormatRow {
    unsigned char classes[5];
    unsigned char bits[5];
    unsigned size;
};

PixelChannels Channels(const unsigned char (&c)[5]) {
    return PixelChannels(c[0], c[1], c[2], c[3], c[4]);
}

// The uncompressed colour formats R8G8B8 (20) to X4R4G4B4 (30), by number.
constexpr D3DFORMAT kFirstColourFormat = D3DFMT_R8G8B8;
constexpr FormatRow kColourFormats[] = {
    {{2, 2, 2, 0, 0}, {8, 8, 8, 0, 0}, 3},  // R8G8B8
    {{2, 2, 2, 2, 0}, {8, 8, 8, 8, 0}, 4},  // A8R8G8B8
    {{2, 2, 2, 0, 0}, {8, 8, 8, 0, 8}, 4},  // X8R8G8B8
    {{2, 3, 2, 0, 0}, {5, 6, 5, 0, 0}, 2},  // R5G6B5
    {{2, 2, 2, 0, 1}, {5, 5, 5, 0, 1}, 2},  // X1R5G5B5
    {{2, 2, 2, 1, 0}, {5, 5, 5, 1, 0}, 2},  // A1R5G5B5
    {{2, 2, 2, 2, 0}, {4, 4, 4, 4, 0}, 2},  // A4R4G4B4
    {{2, 2, 1, 0, 0}, {3, 3, 2, 0, 0}, 1},  // R3G3B2
    {{0, 0, 0, 3, 0}, {0, 0, 0, 8, 0}, 1},  // A8
    {{2, 2, 1, 3, 0}, {3, 3, 2, 8, 0}, 2},  // A8R3G3B2
    {{2, 2, 2, 0, 0}, {4, 4, 4, 0, 4}, 2},  // X4R4G4B4
};
static_assert(sizeof kColourFormats / sizeof kColourFormats[0] ==
                  D3DFMT_X4R4G4B4 - D3DFMT_R8G8B8 + 1,
              "one row per format from R8G8B8 to X4R4G4B4");

constexpr D3DFORMAT kDxtFormats[] = {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4,
                                     D3DFMT_DXT5};
static_assert(sizeof kDxtFormats / sizeof kDxtFormats[0] == 5, "DXT1 to DXT5");

// Sizes of the other formats Direct3D 8 defines.
struct FormatSize {
    D3DFORMAT format;
    unsigned size;
};
constexpr FormatSize kOtherSizes[] = {
    {D3DFMT_A2B10G10R10, 4}, {D3DFMT_G16R16, 4},       {D3DFMT_X8L8V8U8, 4},
    {D3DFMT_Q8W8V8U8, 4},    {D3DFMT_V16U16, 4},       {D3DFMT_W11V11U10, 4},
    {D3DFMT_A2W10V10U10, 4}, {D3DFMT_D32, 4},          {D3DFMT_D24S8, 4},
    {D3DFMT_D24X8, 4},       {D3DFMT_D24X4S4, 4},      {D3DFMT_INDEX32, 4},
    {D3DFMT_A8P8, 2},        {D3DFMT_A8L8, 2},         {D3DFMT_V8U8, 2},
    {D3DFMT_L6V5U5, 2},      {D3DFMT_D16_LOCKABLE, 2}, {D3DFMT_D15S1, 2},
    {D3DFMT_D16, 2},         {D3DFMT_INDEX16, 2},      {D3DFMT_P8, 1},
    {D3DFMT_L8, 1},          {D3DFMT_A4L4, 1},
};
static_assert(sizeof kOtherSizes / sizeof kOtherSizes[0] == 23, "the other sized formats");

const FormatRow* ColourRow(D3DFORMAT format) {
    const long index = static_cast<long>(format) - kFirstColourFormat;
    if (index < 0 || index >= static_cast<long>(sizeof kColourFormats / sizeof kColourFormats[0]))
        return nullptr;
    return &kColourFormats[index];
}

}  // namespace

bool IsDxtFormat(D3DFORMAT format) {
    for (D3DFORMAT dxt : kDxtFormats)
        if (format == dxt) return true;
    return false;
}

D3DFORMAT DxtFormat(unsigned compression) {
    return compression >= 1 && compression <= 5 ? kDxtFormats[compression - 1] : D3DFMT_UNKNOWN;
}

PixelChannels GetChannelClasses(D3DFORMAT format) {
    if (const FormatRow* row = ColourRow(format)) return Channels(row->classes);
    if (format == D3DFMT_DXT1) return PixelChannels(2, 2, 2, 1, 0);
    if (IsDxtFormat(format)) return PixelChannels(2, 2, 2, 2, 0);
    return PixelChannels();
}

PixelChannels GetChannelBits(D3DFORMAT format) {
    if (const FormatRow* row = ColourRow(format)) return Channels(row->bits);
    return PixelChannels();
}

unsigned GetFormatSize(D3DFORMAT format) {
    if (const FormatRow* row = ColourRow(format)) return row->size;
    if (format == D3DFMT_DXT1) return 8;
    if (IsDxtFormat(format)) return 16;
    for (const FormatSize& other : kOtherSizes)
        if (other.format == format) return other.size;
    return 0;
}

bool IsPowerOfTwo(unsigned value) { return value != 0 && (value & (value - 1)) == 0; }

#include "plugin/DisplayFormat.h"

namespace display {
namespace {

struct DepthFormat {
    unsigned bitsPerPixel;
    D3DFORMAT format;
};

constexpr DepthFormat kBackBufferFormats[] = {
    {8, D3DFMT_P8},
    {15, D3DFMT_X1R5G5B5},
    {16, D3DFMT_R5G6B5},
    {24, D3DFMT_R8G8B8},
    {32, D3DFMT_X8R8G8B8},
};
static_assert(sizeof kBackBufferFormats / sizeof kBackBufferFormats[0] == 5,
              "five colour depths have a back-buffer format");

constexpr DepthFormat kFormatDepths[] = {
    {8, D3DFMT_R3G3B2},     {8, D3DFMT_A8},          {8, D3DFMT_P8},
    {8, D3DFMT_L8},         {8, D3DFMT_A4L4},        {16, D3DFMT_R5G6B5},
    {16, D3DFMT_X1R5G5B5},  {16, D3DFMT_A1R5G5B5},   {16, D3DFMT_A4R4G4B4},
    {16, D3DFMT_A8R3G3B2},  {16, D3DFMT_X4R4G4B4},   {16, D3DFMT_A8P8},
    {16, D3DFMT_A8L8},      {16, D3DFMT_V8U8},       {16, D3DFMT_L6V5U5},
    {16, D3DFMT_D16_LOCKABLE}, {16, D3DFMT_D15S1},   {16, D3DFMT_D16},
    {16, D3DFMT_INDEX16},   {24, D3DFMT_R8G8B8},     {32, D3DFMT_A8R8G8B8},
    {32, D3DFMT_X8R8G8B8},  {32, D3DFMT_A2B10G10R10}, {32, D3DFMT_G16R16},
    {32, D3DFMT_X8L8V8U8},  {32, D3DFMT_Q8W8V8U8},   {32, D3DFMT_V16U16},
    {32, D3DFMT_W11V11U10}, {32, D3DFMT_A2W10V10U10}, {32, D3DFMT_D32},
    {32, D3DFMT_D24S8},     {32, D3DFMT_D24X8},      {32, D3DFMT_D24X4S4},
    {32, D3DFMT_INDEX32},   {64, D3DFMT_DXT1},       {128, D3DFMT_DXT2},
    {128, D3DFMT_DXT3},     {128, D3DFMT_DXT4},      {128, D3DFMT_DXT5},
};
static_assert(sizeof kFormatDepths / sizeof kFormatDepths[0] == 39,
              "every format with a colour depth");

}  // namespace

D3DFORMAT FormatFromBitsPerPixel(unsigned bitsPerPixel) {
    for (const DepthFormat& entry : kBackBufferFormats)
        if (entry.bitsPerPixel == bitsPerPixel) return entry.format;
    return D3DFMT_UNKNOWN;
}

unsigned BitsPerPixelFromFormat(D3DFORMAT format) {
    for (const DepthFormat& entry : kFormatDepths)
        if (entry.format == format) return entry.bitsPerPixel;
    return 0;
}

}  // namespace display

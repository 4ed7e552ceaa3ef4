// What the plug-in knows of each Direct3D 8 format, against the formats'
// published layouts: channel classes and bit counts of the formats textures
// are made in, and the bytes of a pixel (of a 4x4 block) of every format.
#include <gtest/gtest.h>

#include "texture/PixelFormats.h"

namespace {

struct Channels {
    int red, green, blue, alpha, extra;
};

void ExpectChannels(const PixelChannels& held, const Channels& expected, const char* what) {
    EXPECT_TRUE(held.red == expected.red && held.green == expected.green && held.blue == expected.blue &&
                held.alpha == expected.alpha && held.extra == expected.extra)
        << what << ": " << int(held.red) << "," << int(held.green) << "," << int(held.blue) << ","
        << int(held.alpha) << "," << int(held.extra);
}

TEST(PixelFormats, ClassesBitsAndSizesOfEveryFormat) {
    const Channels none = {0, 0, 0, 0, 0};
    const struct {
        D3DFORMAT format;
        Channels classes, bits;
        unsigned size;
    } formats[] = {
        {D3DFMT_R8G8B8, {2, 2, 2, 0, 0}, {8, 8, 8, 0, 0}, 3},
        {D3DFMT_A8R8G8B8, {2, 2, 2, 2, 0}, {8, 8, 8, 8, 0}, 4},
        {D3DFMT_X8R8G8B8, {2, 2, 2, 0, 0}, {8, 8, 8, 0, 8}, 4},
        {D3DFMT_R5G6B5, {2, 3, 2, 0, 0}, {5, 6, 5, 0, 0}, 2},
        {D3DFMT_X1R5G5B5, {2, 2, 2, 0, 1}, {5, 5, 5, 0, 1}, 2},
        {D3DFMT_A1R5G5B5, {2, 2, 2, 1, 0}, {5, 5, 5, 1, 0}, 2},
        {D3DFMT_A4R4G4B4, {2, 2, 2, 2, 0}, {4, 4, 4, 4, 0}, 2},
        {D3DFMT_R3G3B2, {2, 2, 1, 0, 0}, {3, 3, 2, 0, 0}, 1},
        {D3DFMT_A8, {0, 0, 0, 3, 0}, {0, 0, 0, 8, 0}, 1},
        {D3DFMT_A8R3G3B2, {2, 2, 1, 3, 0}, {3, 3, 2, 8, 0}, 2},
        {D3DFMT_X4R4G4B4, {2, 2, 2, 0, 0}, {4, 4, 4, 0, 4}, 2},
        {D3DFMT_DXT1, {2, 2, 2, 1, 0}, none, 8},
        {D3DFMT_DXT2, {2, 2, 2, 2, 0}, none, 16},
        {D3DFMT_DXT3, {2, 2, 2, 2, 0}, none, 16},
        {D3DFMT_DXT4, {2, 2, 2, 2, 0}, none, 16},
        {D3DFMT_DXT5, {2, 2, 2, 2, 0}, none, 16},
        // Known by their size alone.
        {D3DFMT_A2B10G10R10, none, none, 4}, {D3DFMT_G16R16, none, none, 4},
        {D3DFMT_X8L8V8U8, none, none, 4},    {D3DFMT_Q8W8V8U8, none, none, 4},
        {D3DFMT_V16U16, none, none, 4},      {D3DFMT_W11V11U10, none, none, 4},
        {D3DFMT_A2W10V10U10, none, none, 4}, {D3DFMT_D32, none, none, 4},
        {D3DFMT_D24S8, none, none, 4},       {D3DFMT_D24X8, none, none, 4},
        {D3DFMT_D24X4S4, none, none, 4},     {D3DFMT_INDEX32, none, none, 4},
        {D3DFMT_A8P8, none, none, 2},        {D3DFMT_A8L8, none, none, 2},
        {D3DFMT_V8U8, none, none, 2},        {D3DFMT_L6V5U5, none, none, 2},
        {D3DFMT_D16_LOCKABLE, none, none, 2}, {D3DFMT_D15S1, none, none, 2},
        {D3DFMT_D16, none, none, 2},         {D3DFMT_INDEX16, none, none, 2},
        {D3DFMT_P8, none, none, 1},          {D3DFMT_L8, none, none, 1},
        {D3DFMT_A4L4, none, none, 1},
        // Formats without a size: unknown, packed video, vertex data, and
        // numbers Direct3D 8 leaves unused.
        {D3DFMT_UNKNOWN, none, none, 0},     {D3DFMT_UYVY, none, none, 0},
        {D3DFMT_YUY2, none, none, 0},        {D3DFMT_VERTEXDATA, none, none, 0},
        {D3DFORMAT(19), none, none, 0},      {D3DFORMAT(35), none, none, 0},
    };
    for (const auto& f : formats) {
        SCOPED_TRACE(static_cast<unsigned>(f.format));
        ExpectChannels(GetChannelClasses(f.format), f.classes, "classes");
        ExpectChannels(GetChannelBits(f.format), f.bits, "bits");
        EXPECT_EQ(GetFormatSize(f.format), f.size);
    }
}

}  // namespace

#include "PixelLayout.h"

#include <cstdint>

namespace {

constexpr PixelLayout kLayouts[] = {
    {D3DFMT_R8G8B8, 3, {16, 8}, {8, 8}, {0, 8}},
    {D3DFMT_A8R8G8B8, 4, {16, 8}, {8, 8}, {0, 8}},
    {D3DFMT_X8R8G8B8, 4, {16, 8}, {8, 8}, {0, 8}},
    {D3DFMT_R5G6B5, 2, {11, 5}, {5, 6}, {0, 5}},
    {D3DFMT_X1R5G5B5, 2, {10, 5}, {5, 5}, {0, 5}},
    {D3DFMT_A1R5G5B5, 2, {10, 5}, {5, 5}, {0, 5}},
    {D3DFMT_A4R4G4B4, 2, {8, 4}, {4, 4}, {0, 4}},
    {D3DFMT_X4R4G4B4, 2, {8, 4}, {4, 4}, {0, 4}},
};
static_assert(sizeof kLayouts / sizeof kLayouts[0] == 8, "three 8-bit and five 16-bit formats");

// A pixel is stored little-endian in bytesPerPixel bytes.
uint32_t ReadPixel(const BYTE* source, UINT bytesPerPixel) {
    uint32_t value = 0;
    for (UINT i = 0; i < bytesPerPixel; ++i) value |= static_cast<uint32_t>(source[i]) << (8 * i);
    return value;
}

BYTE Expand(uint32_t pixel, PixelLayout::Channel channel) {
    const uint32_t value = (pixel >> channel.shift) & ((1u << channel.bits) - 1);
    uint32_t wide = value << (8 - channel.bits);
    for (unsigned filled = channel.bits; filled < 8; filled *= 2) wide |= wide >> filled;
    return static_cast<BYTE>(wide & 0xFF);
}

}  // namespace

const PixelLayout* PixelLayout::Find(D3DFORMAT format) {
    for (const PixelLayout& layout : kLayouts)
        if (layout.format == format) return &layout;
    return nullptr;
}

void PixelLayout::ToBgr(const BYTE* source, UINT width, BYTE* bgr) const {
    for (UINT x = 0; x < width; ++x, source += bytesPerPixel, bgr += 3) {
        const uint32_t pixel = ReadPixel(source, bytesPerPixel);
        bgr[0] = Expand(pixel, blue);
        bgr[1] = Expand(pixel, green);
        bgr[2] = Expand(pixel, red);
    }
}

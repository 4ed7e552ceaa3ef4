// 32-bit images as host programs read and write them: Windows bitmaps (the
// plug-in's screenshots) and PNG files for people to look at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvhost {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;  // rows top to bottom

    uint32_t At(int x, int y) const {
        return argb[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

// Reads a Windows bitmap file (any kind the extension routines decode) as
// opaque colours.
bool ReadBitmap(const std::string& path, Image* image);
// Writes a top-down 32-bit Windows bitmap.
bool WriteBitmap(const std::string& path, const Image& image);
// Reads a PNG file of any kind libpng reads as opaque colours.
bool ReadPng(const std::string& path, Image* image);
// Writes an 8-bit RGB PNG (alpha dropped) with libpng.
bool WritePng(const std::string& path, const Image& image);

}  // namespace orvhost

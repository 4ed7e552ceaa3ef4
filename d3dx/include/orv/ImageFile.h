// Image files read into plain A8R8G8B8 pixels, for programs that want an
// image's pixels rather than a texture (the ZAR writer, the demo host's
// bitmaps), and the box filter that halves them as a texture's mip chain is
// made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvimage {

// A8R8G8B8 pixels, rows top to bottom, width pixels each.
struct ArgbImage {
    unsigned width = 0, height = 0;
    std::vector<uint32_t> argb;
};

// Decodes level 0 of an image file of any kind the extension routines read
// (DDS blocks decoded as a texture load decodes them), sides up to maxSide.
// False for a file no decoder takes, a damaged one, one too large, or no
// memory.
bool ReadImageFile(const uint8_t* data, size_t size, unsigned maxSide, ArgbImage* image);

// The next level of a mip chain: half of each side (rounded down, at least
// 1), box filtered as a texture's lower levels are.
bool HalveImage(const ArgbImage& image, ArgbImage* half);

}  // namespace orvimage

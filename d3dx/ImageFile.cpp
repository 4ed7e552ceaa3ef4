#include <orv/ImageFile.h>

#include <cstring>
#include <new>

#include "ImageProbe.h"
#include "MipChain.h"

namespace orvimage {

bool ReadImageFile(const uint8_t* data, size_t size, unsigned maxSide, ArgbImage* image) {
    ImageLimits limits;
    limits.maxWidth = limits.maxHeight = maxSide;
    DecodedImage decoded;
    HRESULT hr = DecodeImageFile(data, size, limits, decoded);
    if (SUCCEEDED(hr)) hr = decoded.Decompress();
    if (FAILED(hr)) return false;
    const PixelView& top = decoded.Level(0);
    try {
        image->argb.resize(size_t{top.width} * top.height);
    } catch (const std::bad_alloc&) {
        return false;
    }
    image->width = top.width;
    image->height = top.height;
    for (UINT y = 0; y < top.height; ++y)
        std::memcpy(&image->argb[size_t{y} * top.width], top.Row(y), size_t{top.width} * 4);
    return true;
}

bool HalveImage(const ArgbImage& image, ArgbImage* half) {
    half->width = LevelSide(image.width, 1);
    half->height = LevelSide(image.height, 1);
    try {
        half->argb.resize(size_t{half->width} * half->height);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const auto view = [](const ArgbImage& of) {
        return PixelView{reinterpret_cast<BYTE*>(const_cast<uint32_t*>(of.argb.data())), size_t{of.width} * 4,
                         of.width, of.height};
    };
    BoxFilter(view(image), view(*half));
    return true;
}

}  // namespace orvimage

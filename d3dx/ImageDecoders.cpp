#include "ImageDecoders.h"

#include <d3dx8.h>

#include "BmpDecoder.h"
#include "DdsDecoder.h"
#include "JpegDecoder.h"
#include "PngDecoder.h"
#include "TgaDecoder.h"

namespace {

struct Decoder {
    bool (*recognises)(const uint8_t* data, size_t size);
    HRESULT (*decode)(const uint8_t* data, size_t size, const ImageLimits& limits,
                      DecodedImage& image);
};

// In the order of asking: formats with a signature first; Targa files have
// none and come last.
constexpr Decoder kDecoders[] = {
    {IsDds, DecodeDds}, {IsPng, DecodePng}, {IsJpeg, DecodeJpeg},
    {IsBmp, DecodeBmp}, {IsTga, DecodeTga},
};
static_assert(sizeof kDecoders / sizeof kDecoders[0] == 5, "DDS, PNG, JPEG, BMP/DIB, TGA");

}  // namespace

HRESULT DecodeImageFile(const uint8_t* data, size_t size, const ImageLimits& limits,
                        DecodedImage& image) {
    for (const Decoder& decoder : kDecoders)
        if (decoder.recognises(data, size)) return decoder.decode(data, size, limits, image);
    return D3DXERR_INVALIDDATA;
}

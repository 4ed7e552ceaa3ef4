#include "ImageDecoders.h"

#include <new>

#include <d3dx8.h>

#include "BmpDecoder.h"
#include "DdsDecoder.h"
#include "JpegDecoder.h"
#include "PngDecoder.h"
#include "TgaDecoder.h"

namespace {

template <typename Decoder>
ImageDecoder* Make(const uint8_t* data, size_t size, const ImageLimits& limits) {
    return new (std::nothrow) Decoder(data, size, limits);
}

struct Kind {
    bool (*recognises)(const uint8_t* data, size_t size);
    ImageDecoder* (*make)(const uint8_t* data, size_t size, const ImageLimits& limits);
};

// In the order of asking: formats with a signature first; Targa files have
// none and come last.
constexpr Kind kKinds[] = {
    {DdsDecoder::Recognises, Make<DdsDecoder>}, {PngDecoder::Recognises, Make<PngDecoder>},
    {JpegDecoder::Recognises, Make<JpegDecoder>}, {BmpDecoder::Recognises, Make<BmpDecoder>},
    {TgaDecoder::Recognises, Make<TgaDecoder>},
};
static_assert(sizeof kKinds / sizeof kKinds[0] == 5, "DDS, PNG, JPEG, BMP/DIB, TGA");

}  // namespace

HRESULT OpenImageFile(const uint8_t* data, size_t size, const ImageLimits& limits,
                      std::unique_ptr<ImageDecoder>* decoder) {
    for (const Kind& kind : kKinds) {
        if (!kind.recognises(data, size)) continue;
        decoder->reset(kind.make(data, size, limits));
        return *decoder ? D3D_OK : E_OUTOFMEMORY;
    }
    return D3DXERR_INVALIDDATA;
}

HRESULT DecodeImageFile(const uint8_t* data, size_t size, const ImageLimits& limits,
                        DecodedImage& image) {
    std::unique_ptr<ImageDecoder> decoder;
    ImageHeader header;
    HRESULT hr = OpenImageFile(data, size, limits, &decoder);
    if (SUCCEEDED(hr)) hr = decoder->ReadHeader(&header);
    if (SUCCEEDED(hr)) hr = image.Allocate(header);
    return SUCCEEDED(hr) ? decoder->Decode(image) : hr;
}

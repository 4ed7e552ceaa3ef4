#include "ImageDecoders.h"

#include <d3dx8.h>

namespace {

// In the order of asking: formats with a signature first; Targa files have
// none and come last.
const ImageFormat* const kFormats[] = {&kDdsFormat, &kPngFormat, &kJpegFormat, &kBmpFormat, &kTgaFormat};

}  // namespace

HRESULT OpenImageFile(const uint8_t* data, size_t size, const ImageLimits& limits,
                      std::unique_ptr<ImageDecoder>* decoder) {
    for (const ImageFormat* format : kFormats) {
        if (!format->recognises(data, size)) continue;
        decoder->reset(format->make(data, size, limits));
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

#include "ImageProbe.h"

#include <d3dx8.h>

namespace {

// In the order of asking: formats with a signature first; Targa files have
// none and come last.
const ImageFormat* const kFormats[] = {&kDdsFormat, &kPngFormat, &kJpegFormat, &kBmpFormat, &kTgaFormat};

}  // namespace

HRESULT ProbeImageFile(const uint8_t* data, size_t size, const ImageLimits& limits,
                       std::unique_ptr<ImageDecoder>* decoder, ImageHeader* header) {
    for (const ImageFormat* format : kFormats) {
        if (!format->recognises(data, size)) continue;
        decoder->reset(format->make(data, size));
        if (!*decoder) return E_OUTOFMEMORY;
        const HRESULT hr = (*decoder)->ReadHeader(header);
        if (FAILED(hr)) return hr;
        const bool tooLarge = header->width > limits.maxWidth || header->height > limits.maxHeight;
        return tooLarge ? static_cast<HRESULT>(D3DXERR_INVALIDDATA) : D3D_OK;
    }
    return D3DXERR_INVALIDDATA;
}

HRESULT DecodeImageFile(const uint8_t* data, size_t size, const ImageLimits& limits,
                        DecodedImage& image) {
    std::unique_ptr<ImageDecoder> decoder;
    ImageHeader header;
    HRESULT hr = ProbeImageFile(data, size, limits, &decoder, &header);
    if (SUCCEEDED(hr)) hr = image.Allocate(header);
    return SUCCEEDED(hr) ? decoder->Decode(image) : hr;
}

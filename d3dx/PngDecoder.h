// PNG images through libpng: every colour type and bit depth, transparency
// chunks, interlacing; 16-bit channels are reduced to 8 bits. The decode
// stops at the first damage: libpng's errors, the errors it would let pass
// (benign errors, bad checksums) and palette indices past the palette.
// ReadHeader reads the chunks up to the image data and sets libpng's
// transformations; Decode reads the rows, from the top down where the image
// is not interlaced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include <png.h>

#include "ImageDecoder.h"

class PngDecoder : public ImageDecoder {
public:
    // Whether the first bytes are a PNG signature.
    static bool Recognises(const uint8_t* data, size_t size);

    PngDecoder(const uint8_t* data, size_t size, const ImageLimits& limits);
    ~PngDecoder() override;
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    HRESULT ReadHeader(ImageHeader* header) override;
    HRESULT Decode(LevelSink& sink) override;

    // Palette images keep their indices through libpng's transformations (it
    // would expand an index past the palette to black without a word): this
    // is the palette, with the tRNS alphas, as A8R8G8B8.
    struct Palette {
        uint32_t argb[PNG_MAX_PALETTE_LENGTH];
        unsigned entries;
    };
    struct Source {
        const uint8_t* data;
        size_t size;
        size_t offset;
    };

private:
    // libpng reports errors with longjmp to the setjmp in these, so they and
    // every frame between them and libpng hold nothing with a destructor:
    // all state is in members. False on an error; m_Result says which.
    bool ReadInfo(ImageHeader* header);
    bool ReadRows(LevelSink& sink);

    Source m_Source;
    ImageLimits m_Limits;
    png_structp m_Png = nullptr;
    png_infop m_Info = nullptr;
    png_uint_32 m_Width = 0, m_Height = 0;
    bool m_Indexed = false, m_Interlaced = false;
    Palette m_Palette = {};
    std::unique_ptr<png_bytep[]> m_Rows;
    HRESULT m_Result = D3D_OK;
};

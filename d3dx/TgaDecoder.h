// Targa images: uncompressed or run-length encoded; true colour of 15, 16,
// 24 and 32 bits, 8-bit grey, 8-bit indices into a colour map; any origin.
// The format carries no signature: Recognises checks that the header is
// plausible. ReadHeader refuses a file too short for the pixels its header
// announces before room is made for them; Decode reads the pixels in file
// order into packed rows and then puts them the right way up, so the image
// is decoded into memory only (RowOrder::Packed).
#pragma once

#include <cstddef>
#include <cstdint>

#include "ImageDecoder.h"
#include "pixels/ByteReader.h"

class TgaDecoder : public ImageDecoder {
public:
    static bool Recognises(const uint8_t* data, size_t size);

    TgaDecoder(const uint8_t* data, size_t size, const ImageLimits& limits);

    HRESULT ReadHeader(ImageHeader* header) override;
    HRESULT Decode(LevelSink& sink) override;

private:
    const uint8_t* m_pData;
    size_t m_Size;
    ImageLimits m_Limits;
    ByteReader m_Reader;  // at the pixels once the header is read
    const uint8_t* m_pMap = nullptr;
};

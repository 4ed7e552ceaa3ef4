// DirectDraw surface files: uncompressed pixels whose masks match a
// Direct3D 8 format, and DXT1 to DXT5 blocks, with their stored mip levels.
// ReadHeader checks that every stored level is in the file before room is
// made for any; Decode copies the levels (blocks as they are, pixels as
// A8R8G8B8) into an image in memory (RowOrder::Packed).
#pragma once

#include <cstddef>
#include <cstdint>

#include "ImageDecoder.h"
#include "pixels/ByteReader.h"
#include "pixels/PixelLayout.h"

class DdsDecoder : public ImageDecoder {
public:
    static bool Recognises(const uint8_t* data, size_t size);

    DdsDecoder(const uint8_t* data, size_t size, const ImageLimits& limits)
        : m_Reader(data, size), m_Limits(limits) {}

    HRESULT ReadHeader(ImageHeader* header) override;
    HRESULT Decode(LevelSink& sink) override;

private:
    ByteReader m_Reader;  // at the first level once the header is read
    ImageLimits m_Limits;
    const PixelLayout* m_pLayout = nullptr;  // null for blocks
    UINT m_BlockBytes = 0;
    UINT m_Levels = 0;
};

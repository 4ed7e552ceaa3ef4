// What every image-file decoder offers the loader, in two steps. ReadHeader
// is the probe: the image's size, its own format, whether it holds DXT
// blocks or stored levels and how it writes its rows, with every check the
// header and the file's size allow, before any pixel is decoded or room is
// made for one. Decode then writes the pixels into a sink sized as the header
// said (LevelSink.h). Each format's decoder is a class of its own source
// file (DdsDecoder.cpp, PngDecoder.cpp, JpegDecoder.cpp, BmpDecoder.cpp,
// TgaDecoder.cpp), reached through its ImageFormat; ImageProbe.h picks the
// one a file needs and holds the image's size against the limits.
//
// Both steps return D3D_OK, D3DXERR_INVALIDDATA for a damaged file, or
// E_OUTOFMEMORY. A failed decode may leave the
// sink partly written; the caller drops it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include <d3d8.h>

class LevelSink;

// The largest image the loader accepts: the device's maximum texture size.
struct ImageLimits {
    UINT maxWidth = 4096;
    UINT maxHeight = 4096;
};

// How a decoder writes level 0: each row once from the top down, reporting
// each as it is done (LevelSink::RowsDone), into any rows a pitch apart;
// in any order into any rows a pitch apart; or into packed rows of an image
// in memory only (rows one width apart, or stored levels that go into the
// texture once the whole file is known to be sound).
enum class RowOrder { TopDown, Any, Packed };

struct ImageHeader {
    UINT width = 0, height = 0;
    // The file's own pixel format, what level 0 is stored in if the device
    // offers it (X8R8G8B8 for palettised images and 24-bit PNG and JPEG
    // files, whose colours are 8-bit triples). Not the format of the levels
    // the decoder writes: those are the file's DXT blocks, or A8R8G8B8
    // pixels for every uncompressed file.
    D3DFORMAT fileFormat = D3DFMT_UNKNOWN;
    // Bytes of each 4x4 block the levels hold (DXT1 to DXT5), 0 for A8R8G8B8
    // pixels.
    UINT blockBytes = 0;
    UINT levels = 1;  // levels the file stores, level 0 first
    RowOrder order = RowOrder::Packed;
};

class ImageDecoder {
public:
    // The file at data, which must outlive the decoder.
    ImageDecoder(const uint8_t* data, size_t size) : m_pData(data), m_Size(size) {}
    virtual ~ImageDecoder() = default;
    ImageDecoder(const ImageDecoder&) = delete;
    ImageDecoder& operator=(const ImageDecoder&) = delete;

    // The probe; called once, before Decode.
    virtual HRESULT ReadHeader(ImageHeader* header) = 0;
    // Once ReadHeader succeeded: the pixels into sink.
    virtual HRESULT Decode(LevelSink& sink) = 0;

protected:
    const uint8_t* const m_pData;
    const size_t m_Size;
};

// A format the loader reads: whether a file's first bytes are the format's,
// and a new decoder for such a file (null when there is no memory for one).
struct ImageFormat {
    bool (*recognises)(const uint8_t* data, size_t size);
    ImageDecoder* (*make)(const uint8_t* data, size_t size);
};
extern const ImageFormat kDdsFormat, kPngFormat, kJpegFormat, kBmpFormat, kTgaFormat;

template <typename Decoder>
ImageDecoder* NewDecoder(const uint8_t* data, size_t size) {
    return new (std::nothrow) Decoder(data, size);
}

// JPEG images through libjpeg: grey and colour, baseline and progressive.
// A file libjpeg only warns about (truncated, corrupt entropy data) is refused
// at the first warning, and a file too short to hold the image its header
// announces before anything is decoded. ReadHeader reads the header and
// starts the decompressor (which takes in a progressive file's every scan);
// Decode writes the rows from the top down.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "ImageDecoder.h"

class JpegDecoder : public ImageDecoder {
public:
    // Whether the first bytes are a JPEG start-of-image marker.
    static bool Recognises(const uint8_t* data, size_t size);

    JpegDecoder(const uint8_t* data, size_t size, const ImageLimits& limits);
    ~JpegDecoder() override;
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    HRESULT ReadHeader(ImageHeader* header) override;
    HRESULT Decode(LevelSink& sink) override;

    // libjpeg's error manager with a way back: error_exit jumps to the
    // decoder's setjmp instead of ending the process, and so does a warning
    // (corrupt or missing data, which libjpeg would paper over and go on
    // decoding): the decode stops at the first damage.
    struct ErrorManager {
        jpeg_error_mgr base;
        std::jmp_buf jump;
    };

private:
    // libjpeg reports errors with longjmp to the setjmp in these, so they
    // hold nothing with a destructor: all state is in members. False on an
    // error; m_Result says which.
    bool Start(ImageHeader* header);
    bool ReadRows(LevelSink& sink);

    const uint8_t* m_pData;
    size_t m_Size;
    ImageLimits m_Limits;
    jpeg_decompress_struct m_Info{};
    ErrorManager m_Errors{};
    std::unique_ptr<JSAMPLE[]> m_SampleRow;
    HRESULT m_Result = D3D_OK;
};

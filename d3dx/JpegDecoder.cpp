// JPEG images through libjpeg: grey and colour, baseline and progressive.
// A file libjpeg only warns about (truncated, corrupt entropy data) is refused
// at the first warning, and a file too short to hold the image its header
// announces before anything is decoded. ReadHeader reads the header and
// starts the decompressor (which takes in a progressive file's every scan);
// Decode writes the rows from the top down.
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>

// jpeglib.h needs size_t and FILE declared first, and on Windows the system
// headers' `boolean`, which d3dx8.h brings.
#include <d3dx8.h>

#include <jpeglib.h>

#include "ImageDecoder.h"
#include "LevelSink.h"
#include "pixels/PixelLayout.h"

namespace {

// The decoder's working memory is bounded: a progressive image keeps all its
// coefficients, two bytes per sample.
constexpr long kMostWorkingMemory = 768L * 1024 * 1024;

// libjpeg's error manager with a way back: error_exit jumps to the decoder's
// setjmp instead of ending the process, and so does a warning (corrupt or
// missing data, which libjpeg would paper over and go on decoding): the
// decode stops at the first damage.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void JumpOnError(j_common_ptr common) {
    std::longjmp(reinterpret_cast<ErrorManager*>(common->err)->jump, 1);
}

// Levels 0 and up are trace messages; below 0, warnings.
void JumpOnWarning(j_common_ptr common, int level) {
    if (level < 0) JumpOnError(common);
}

void Silence(j_common_ptr) {}

#ifdef JCS_EXTENSIONS
// libjpeg-turbo writes blue, green, red and a filler byte: A8R8G8B8 in memory.
constexpr J_COLOR_SPACE kColourOutput = JCS_EXT_BGRX;
#else
constexpr J_COLOR_SPACE kColourOutput = JCS_RGB;
#endif

// Copies one decoded row of samples into A8R8G8B8 pixels, when libjpeg could
// not write them there itself.
void WidenRow(const JSAMPLE* samples, unsigned components, JDIMENSION width, uint32_t* argb) {
    for (JDIMENSION x = 0; x < width; ++x, samples += components)
        argb[x] = components == 1 ? ArgbWord(0xFF, samples[0], samples[0], samples[0])
                                  : ArgbWord(0xFF, samples[0], samples[1], samples[2]);
}

// Whether a file of `size` bytes can hold the image its header announces.
// With Huffman coding, every sequential or progressive scan spends at least
// one bit on each block of each of its components (a code is at least one
// bit long), and every file has a scan: the component with the fewest blocks
// sets the least size. Arithmetic coding can spend far less than a bit on a
// block of a flat image: there the file's own damage is what stops a decode.
bool CanHold(const jpeg_decompress_struct& info, size_t size) {
    if (info.arith_code) return true;
    uint64_t fewestBlocks = UINT64_MAX;
    for (int c = 0; c < info.num_components; ++c) {
        const jpeg_component_info& component = info.comp_info[c];
        const uint64_t blocks = uint64_t{component.width_in_blocks} * component.height_in_blocks;
        if (blocks < fewestBlocks) fewestBlocks = blocks;
    }
    constexpr uint64_t kBitsPerByte = 8;
    return fewestBlocks / kBitsPerByte <= size;
}

// The start-of-image marker and the first byte of the next marker.
bool Recognises(const uint8_t* data, size_t size) {
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

class JpegDecoder final : public ImageDecoder {
    // libjpeg reports errors with longjmp to the setjmp in these, so they
    // hold nothing with a destructor: all state is in members. False on an
    // error; m_Result says which.
    bool Start(ImageHeader* header);
    bool ReadRows(LevelSink& sink);

    jpeg_decompress_struct m_Info{};
    ErrorManager m_Errors{};
    std::unique_ptr<JSAMPLE[]> m_SampleRow;  // where libjpeg cannot write pixels itself
    HRESULT m_Result = D3D_OK;

public:
    JpegDecoder(const uint8_t* data, size_t size) : ImageDecoder(data, size) {
        m_Info.err = jpeg_std_error(&m_Errors.base);
        m_Errors.base.error_exit = JumpOnError;
        m_Errors.base.emit_message = JumpOnWarning;
        m_Errors.base.output_message = Silence;
    }
    ~JpegDecoder() override { jpeg_destroy_decompress(&m_Info); }
    HRESULT ReadHeader(ImageHeader* header) override;
    HRESULT Decode(LevelSink& sink) override;
};

}  // namespace

HRESULT JpegDecoder::ReadHeader(ImageHeader* header) {
    if (!Recognises(m_pData, m_Size)) return D3DXERR_INVALIDDATA;
    m_Result = D3DXERR_INVALIDDATA;
    return Start(header) ? D3D_OK : m_Result;
}

bool JpegDecoder::Start(ImageHeader* header) {
    if (setjmp(m_Errors.jump)) return false;
    jpeg_create_decompress(&m_Info);
    jpeg_mem_src(&m_Info, m_pData, static_cast<unsigned long>(m_Size));
    if (jpeg_read_header(&m_Info, TRUE) != JPEG_HEADER_OK) return false;
    if (!CanHold(m_Info, m_Size)) return false;
    m_Info.mem->max_memory_to_use = kMostWorkingMemory;
    const bool grey = m_Info.jpeg_color_space == JCS_GRAYSCALE;
    m_Info.out_color_space = grey ? JCS_GRAYSCALE : kColourOutput;
    jpeg_start_decompress(&m_Info);
    *header = {m_Info.output_width, m_Info.output_height, grey ? D3DFMT_L8 : D3DFMT_X8R8G8B8, 0, 1,
               RowOrder::TopDown};
    return true;
}

HRESULT JpegDecoder::Decode(LevelSink& sink) {
    m_Result = D3DXERR_INVALIDDATA;
    return ReadRows(sink) ? D3D_OK : m_Result;
}

bool JpegDecoder::ReadRows(LevelSink& sink) {
    if (setjmp(m_Errors.jump)) return false;
    const JDIMENSION width = m_Info.output_width, height = m_Info.output_height;
    const unsigned components = static_cast<unsigned>(m_Info.output_components);
    const PixelView& level = sink.Level(0);
    const bool direct = components == 4;
    if (!direct) {
        m_SampleRow.reset(new (std::nothrow) JSAMPLE[size_t{width} * components]);
        if (!m_SampleRow) {
            m_Result = E_OUTOFMEMORY;
            return false;
        }
    }
    while (m_Info.output_scanline < height) {
        uint32_t* out = level.Row(m_Info.output_scanline % level.height);
        JSAMPROW row = direct ? reinterpret_cast<JSAMPROW>(out) : m_SampleRow.get();
        if (jpeg_read_scanlines(&m_Info, &row, 1) != 1) return false;
        if (!direct) WidenRow(row, components, width, out);
        sink.RowsDone(m_Info.output_scanline);
    }
    jpeg_finish_decompress(&m_Info);
    return true;
}

const ImageFormat kJpegFormat = {Recognises, NewDecoder<JpegDecoder>};

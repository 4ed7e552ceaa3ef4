#include "JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include <d3dx8.h>

#include "PixelView.h"

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

// What the libjpeg calls share. It lives outside the frame that calls setjmp,
// so an error that jumps back there leaves it intact for the caller to free.
struct JpegJob {
    const uint8_t* data;
    size_t size;
    ImageLimits limits;
    DecodedImage* image;
    std::unique_ptr<JSAMPLE[]> sampleRow;
    HRESULT result;
};

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
        argb[x] = components == 1 ? 0xFF000000u | samples[0] * 0x010101u
                                  : 0xFF000000u | samples[0] << 16 | samples[1] << 8 | samples[2];
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

// The decode itself. libjpeg reports errors with longjmp to the setjmp here,
// so this frame holds nothing with a destructor: all state is in job.
bool Decode(jpeg_decompress_struct* info, ErrorManager* errors, JpegJob* job) {
    if (setjmp(errors->jump)) return false;
    jpeg_create_decompress(info);
    jpeg_mem_src(info, job->data, static_cast<unsigned long>(job->size));
    if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
    if (info->image_width > job->limits.maxWidth || info->image_height > job->limits.maxHeight ||
        !CanHold(*info, job->size))
        return false;
    info->mem->max_memory_to_use = kMostWorkingMemory;
    const bool grey = info->jpeg_color_space == JCS_GRAYSCALE;
    info->out_color_space = grey ? JCS_GRAYSCALE : kColourOutput;
    job->image->SetFormat(grey ? D3DFMT_L8 : D3DFMT_X8R8G8B8);
    jpeg_start_decompress(info);

    const JDIMENSION width = info->output_width, height = info->output_height;
    const unsigned components = static_cast<unsigned>(info->output_components);
    PixelView level;
    job->result = job->image->AddTopPixelLevel(width, height, RowOrder::TopDown, &level);
    if (FAILED(job->result)) return false;
    const bool direct = components == 4;
    if (!direct) {
        job->sampleRow.reset(new (std::nothrow) JSAMPLE[size_t{width} * components]);
        if (!job->sampleRow) {
            job->result = E_OUTOFMEMORY;
            return false;
        }
    }
    job->result = D3DXERR_INVALIDDATA;
    while (info->output_scanline < height) {
        uint32_t* out = level.Row(info->output_scanline % level.height);
        JSAMPROW row = direct ? reinterpret_cast<JSAMPROW>(out) : job->sampleRow.get();
        if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
        if (!direct) WidenRow(row, components, width, out);
        job->image->TopRowsDone(info->output_scanline);
    }
    jpeg_finish_decompress(info);
    job->result = D3D_OK;
    return true;
}

}  // namespace

bool IsJpeg(const uint8_t* data, size_t size) {
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

HRESULT DecodeJpeg(const uint8_t* data, size_t size, const ImageLimits& limits,
                   DecodedImage& image) {
    if (!IsJpeg(data, size)) return D3DXERR_INVALIDDATA;
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    errors.base.emit_message = JumpOnWarning;
    errors.base.output_message = Silence;
    JpegJob job{data, size, limits, &image, nullptr, D3DXERR_INVALIDDATA};
    const bool decoded = Decode(&info, &errors, &job);
    jpeg_destroy_decompress(&info);
    if (decoded) return D3D_OK;
    return FAILED(job.result) ? job.result : static_cast<HRESULT>(D3DXERR_INVALIDDATA);
}

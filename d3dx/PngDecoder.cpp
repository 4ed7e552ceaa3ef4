#include "PngDecoder.h"

#include <cstring>
#include <new>

#include <png.h>

#include <d3dx8.h>

#include "PixelView.h"

namespace {

// Deflate cannot expand data by more than about 1032 : 1; an image whose
// filtered rows need more than this many bytes per file byte cannot be in
// the file.
constexpr uint64_t kMostExpansion = 1100;

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->offset) png_error(png, "truncated");
    std::memcpy(out, source->data + source->offset, count);
    source->offset += count;
}

// libpng's default handlers print to the console; errors jump back to the
// decoder's setjmp without a word.
void JumpOnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnoreWarning(png_structp, png_const_charp) {}

D3DFORMAT OwnFormat(int colourType, bool transparency) {
    const bool alpha = transparency || (colourType & PNG_COLOR_MASK_ALPHA);
    if (!(colourType & PNG_COLOR_MASK_COLOR)) return alpha ? D3DFMT_A8L8 : D3DFMT_L8;
    return alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

// Palette images keep their indices through libpng's transformations (it
// would expand an index past the palette to black without a word): this is
// the palette, with the tRNS alphas, as A8R8G8B8.
struct Palette {
    uint32_t argb[PNG_MAX_PALETTE_LENGTH];
    unsigned entries;
};

// What the libpng calls share. It lives outside the frame that calls setjmp,
// so an error that jumps back there leaves it intact for the caller to free.
struct PngJob {
    PngSource source;
    ImageLimits limits;
    DecodedImage* image;
    Palette palette;
    std::unique_ptr<png_bytep[]> rows;
    HRESULT result;
};

void ReadPalette(png_structp png, png_infop info, Palette& palette) {
    png_colorp colours = nullptr;
    int count = 0;
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    png_get_PLTE(png, info, &colours, &count);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_get_tRNS(png, info, &alphas, &alphaCount, nullptr);
    palette.entries = static_cast<unsigned>(count);
    for (int i = 0; i < count; ++i) {
        const uint32_t alpha = i < alphaCount ? alphas[i] : 0xFF;
        palette.argb[i] = alpha << 24 | uint32_t{colours[i].red} << 16 |
                          uint32_t{colours[i].green} << 8 | colours[i].blue;
    }
}

// Turns a row of width one-byte indices at its start into its A8R8G8B8
// pixels, last pixel first so that no index is overwritten before it is
// read. False for an index past the palette.
bool ExpandIndices(uint32_t* row, png_uint_32 width, const Palette& palette) {
    const png_byte* indices = reinterpret_cast<const png_byte*>(row);
    for (png_uint_32 x = width; x-- > 0;) {
        const png_byte index = indices[x];
        if (index >= palette.entries) return false;
        row[x] = palette.argb[index];
    }
    return true;
}

// The decode itself. libpng reports errors with longjmp to the setjmp here,
// so this frame and every frame between it and libpng hold nothing with a
// destructor: all state is in job.
bool Decode(png_structp png, png_infop info, PngJob* job) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &job->source, ReadFromMemory);
    png_set_user_limits(png, job->limits.maxWidth, job->limits.maxHeight);
    // Damage stops the decode: errors libpng would let pass (data past the
    // image, a bad checksum on an ancillary chunk) end it as well. Ancillary
    // chunks other than tRNS are not read at all: their colour-space details
    // are not used here and must not refuse a sound image.
    png_set_benign_errors(png, 0);
    png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_ERROR_QUIT);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
    const uint64_t storedRow = (uint64_t{width} * png_get_channels(png, info) * depth + 7) / 8 + 1;
    if (storedRow * height > job->source.size * kMostExpansion) return false;

    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool indexed = colourType == PNG_COLOR_TYPE_PALETTE;
    job->image->SetFormat(OwnFormat(colourType, transparency));
    // Every other source becomes 8-bit blue, green, red, alpha: A8R8G8B8 in
    // memory; palette images one byte per index.
    if (indexed) {
        ReadPalette(png, info, job->palette);
        png_set_packing(png);
    } else {
        if (!(colourType & PNG_COLOR_MASK_COLOR) && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
        if (transparency) png_set_tRNS_to_alpha(png);
        if (depth == 16) png_set_scale_16(png);
        if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
        png_set_bgr(png);
        if (!(colourType & PNG_COLOR_MASK_ALPHA) && !transparency)
            png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t{width} * (indexed ? 1 : 4)) return false;

    PixelView level;
    job->result = job->image->AddTopPixelLevel(width, height, passes == 1 ? RowOrder::TopDown : RowOrder::Any,
                                                &level);
    if (FAILED(job->result)) return false;
    job->result = D3DXERR_INVALIDDATA;
    if (passes == 1) {
        // Row by row, each finished (and its indices checked) as it comes.
        for (png_uint_32 y = 0; y < height; ++y) {
            uint32_t* row = level.Row(y % level.height);
            png_read_row(png, reinterpret_cast<png_bytep>(row), nullptr);
            if (indexed && !ExpandIndices(row, width, job->palette)) return false;
            job->image->TopRowsDone(y + 1);
        }
    } else {
        // Interlaced rows are final only after the last pass.
        job->rows.reset(new (std::nothrow) png_bytep[height]);
        if (!job->rows) {
            job->result = E_OUTOFMEMORY;
            return false;
        }
        for (png_uint_32 y = 0; y < height; ++y)
            job->rows[y] = reinterpret_cast<png_bytep>(level.Row(y));
        png_read_image(png, job->rows.get());
        for (png_uint_32 y = 0; indexed && y < height; ++y)
            if (!ExpandIndices(level.Row(y), width, job->palette)) return false;
    }
    png_read_end(png, nullptr);
    job->result = D3D_OK;
    return true;
}

}  // namespace

bool IsPng(const uint8_t* data, size_t size) {
    return size >= 8 && png_sig_cmp(data, 0, 8) == 0;
}

HRESULT DecodePng(const uint8_t* data, size_t size, const ImageLimits& limits,
                  DecodedImage& image) {
    if (!IsPng(data, size)) return D3DXERR_INVALIDDATA;
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning);
    if (!png) return E_OUTOFMEMORY;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return E_OUTOFMEMORY;
    }
    PngJob job{{data, size, 0}, limits, &image, {}, nullptr, D3DXERR_INVALIDDATA};
    const bool decoded = Decode(png, info, &job);
    png_destroy_read_struct(&png, &info, nullptr);
    if (decoded) return D3D_OK;
    return FAILED(job.result) ? job.result : static_cast<HRESULT>(D3DXERR_INVALIDDATA);
}

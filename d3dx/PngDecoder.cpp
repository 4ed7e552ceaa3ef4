// PNG images through libpng: every colour type and bit depth, transparency
// chunks, interlacing; 16-bit channels are reduced to 8 bits. The decode
// stops at the first damage: libpng's errors, the errors it would let pass
// (benign errors, bad checksums) and palette indices past the palette.
// ReadHeader reads the chunks up to the image data and sets libpng's
// transformations; Decode reads the rows, from the top down where the image
// is not interlaced.
#include <cstring>
#include <memory>
#include <new>

#include <png.h>

#include <d3dx8.h>

#include "ImageDecoder.h"
#include "LevelSink.h"
#include "pixels/ByteReader.h"
#include "pixels/PixelLayout.h"

namespace {

// Deflate cannot expand data by more than about 1032 : 1; an image whose
// filtered rows need more than this many bytes per file byte cannot be in
// the file.
constexpr uint64_t kMostExpansion = 1100;

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    const uint8_t* in = static_cast<ByteReader*>(png_get_io_ptr(png))->Take(count);
    if (!in) png_error(png, "truncated");
    std::memcpy(out, in, count);
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
        palette.argb[i] = ArgbWord(alpha, colours[i].red, colours[i].green, colours[i].blue);
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

bool Recognises(const uint8_t* data, size_t size) { return size >= 8 && png_sig_cmp(data, 0, 8) == 0; }

class PngDecoder final : public ImageDecoder {
    ByteReader m_Reader{m_pData, m_Size};
    png_structp m_Png = nullptr;
    png_infop m_Info = nullptr;
    png_uint_32 m_Width = 0, m_Height = 0;
    bool m_Indexed = false, m_Interlaced = false;
    Palette m_Palette = {};
    std::unique_ptr<png_bytep[]> m_Rows;  // an interlaced image's rows
    HRESULT m_Result = D3D_OK;

    // libpng reports errors with longjmp to the setjmp in these, so they and
    // every frame between them and libpng hold nothing with a destructor:
    // all state is in members. False on an error; m_Result says which.
    bool ReadInfo(ImageHeader* header);
    bool ReadRows(LevelSink& sink);

public:
    using ImageDecoder::ImageDecoder;
    ~PngDecoder() override {
        if (m_Png) png_destroy_read_struct(&m_Png, m_Info ? &m_Info : nullptr, nullptr);
    }
    HRESULT ReadHeader(ImageHeader* header) override;
    HRESULT Decode(LevelSink& sink) override;
};

}  // namespace

HRESULT PngDecoder::ReadHeader(ImageHeader* header) {
    if (!Recognises(m_pData, m_Size)) return D3DXERR_INVALIDDATA;
    m_Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning);
    if (!m_Png) return E_OUTOFMEMORY;
    m_Info = png_create_info_struct(m_Png);
    if (!m_Info) return E_OUTOFMEMORY;
    m_Result = D3DXERR_INVALIDDATA;
    return ReadInfo(header) ? D3D_OK : m_Result;
}

bool PngDecoder::ReadInfo(ImageHeader* header) {
    if (setjmp(png_jmpbuf(m_Png))) return false;
    png_set_read_fn(m_Png, &m_Reader, ReadFromMemory);
    // Damage stops the decode: errors libpng would let pass (data past the
    // image, a bad checksum on an ancillary chunk) end it as well. Ancillary
    // chunks other than tRNS are not read at all: their colour-space details
    // are not used here and must not refuse a sound image.
    png_set_benign_errors(m_Png, 0);
    png_set_crc_action(m_Png, PNG_CRC_DEFAULT, PNG_CRC_ERROR_QUIT);
    png_set_keep_unknown_chunks(m_Png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(m_Png, m_Info);

    int depth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(m_Png, m_Info, &m_Width, &m_Height, &depth, &colourType, &interlace, nullptr, nullptr);
    const uint64_t storedRow = (uint64_t{m_Width} * png_get_channels(m_Png, m_Info) * depth + 7) / 8 + 1;
    if (storedRow * m_Height > m_Size * kMostExpansion) return false;

    const bool transparency = png_get_valid(m_Png, m_Info, PNG_INFO_tRNS) != 0;
    m_Indexed = colourType == PNG_COLOR_TYPE_PALETTE;
    // Every other source becomes 8-bit blue, green, red, alpha: A8R8G8B8 in
    // memory; palette images one byte per index.
    if (m_Indexed) {
        ReadPalette(m_Png, m_Info, m_Palette);
        png_set_packing(m_Png);
    } else {
        if (!(colourType & PNG_COLOR_MASK_COLOR) && depth < 8) png_set_expand_gray_1_2_4_to_8(m_Png);
        if (transparency) png_set_tRNS_to_alpha(m_Png);
        if (depth == 16) png_set_scale_16(m_Png);
        if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(m_Png);
        png_set_bgr(m_Png);
        if (!(colourType & PNG_COLOR_MASK_ALPHA) && !transparency)
            png_set_filler(m_Png, 0xFF, PNG_FILLER_AFTER);
    }
    m_Interlaced = png_set_interlace_handling(m_Png) != 1;
    png_read_update_info(m_Png, m_Info);
    if (png_get_rowbytes(m_Png, m_Info) != size_t{m_Width} * (m_Indexed ? 1 : 4)) return false;

    *header = {m_Width, m_Height, OwnFormat(colourType, transparency), 0, 1,
               m_Interlaced ? RowOrder::Any : RowOrder::TopDown};
    return true;
}

HRESULT PngDecoder::Decode(LevelSink& sink) {
    m_Result = D3DXERR_INVALIDDATA;
    return ReadRows(sink) ? D3D_OK : m_Result;
}

bool PngDecoder::ReadRows(LevelSink& sink) {
    if (setjmp(png_jmpbuf(m_Png))) return false;
    const PixelView& level = sink.Level(0);
    if (!m_Interlaced) {
        // Row by row, each finished (and its indices checked) as it comes.
        for (png_uint_32 y = 0; y < m_Height; ++y) {
            uint32_t* row = level.Row(y % level.height);
            png_read_row(m_Png, reinterpret_cast<png_bytep>(row), nullptr);
            if (m_Indexed && !ExpandIndices(row, m_Width, m_Palette)) return false;
            sink.RowsDone(y + 1);
        }
    } else {
        // Interlaced rows are final only after the last pass.
        m_Rows.reset(new (std::nothrow) png_bytep[m_Height]);
        if (!m_Rows) {
            m_Result = E_OUTOFMEMORY;
            return false;
        }
        for (png_uint_32 y = 0; y < m_Height; ++y) m_Rows[y] = reinterpret_cast<png_bytep>(level.Row(y));
        png_read_image(m_Png, m_Rows.get());
        for (png_uint_32 y = 0; m_Indexed && y < m_Height; ++y)
            if (!ExpandIndices(level.Row(y), m_Width, m_Palette)) return false;
    }
    png_read_end(m_Png, nullptr);
    return true;
}

const ImageFormat kPngFormat = {Recognises, NewDecoder<PngDecoder>};

// Writes ZAR texture files: one frame per input image (several make an
// animation), uncompressed in a chosen byte layout or as DXT1/DXT3/DXT5
// blocks, with optional stored smaller levels.
//
//   zarwriter [--format rgb|rgba|a|l|la|dxt1|dxt3|dxt5] [--classes HEX]
//             [--duration MS]... [--mips N] [--raw WIDTHxHEIGHT] -o OUT INPUT...
//
// Inputs are image files the extension routines read (BMP, TGA, PNG, DDS,
// JPEG), or with --raw files of WIDTH x HEIGHT pixels of 4 bytes (red,
// green, blue, alpha). Durations: one for every frame, or one per frame;
// given with a single input, that frame is stored as an animation of one.
#include <d3d8.h>
#include <d3dx8.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DxtEncoder.h"
#include "texture/DxtDecoder.h"
#include "texture/PixelFormats.h"
#include "host/Kernel.h"
#include "host/Window.h"
#include "texture/ZarFormat.h"

namespace {

struct Image {
    unsigned width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

struct Layout {
    const char* name;
    uint16_t flags;        // layoutFlags; 0 with a compression
    uint8_t compression;
};
constexpr Layout kLayouts[] = {
    {"rgb", 0x0007, 0}, {"rgba", 0x000F, 0}, {"a", 0x0008, 0},   {"l", 0x0010, 0},
    {"la", 0x0018, 0},  {"dxt1", 0, 1},      {"dxt3", 0, 3},     {"dxt5", 0, 5},
};
static_assert(sizeof kLayouts / sizeof kLayouts[0] == 8, "eight layouts");

struct Options {
    Layout layout = kLayouts[1];
    int classes = -1;  // default: 2 for every stored channel
    std::vector<unsigned> durations;
    unsigned mips = 0;
    unsigned rawWidth = 0, rawHeight = 0;
    std::string output;
    std::vector<std::string> inputs;
};

void Usage() {
    std::fprintf(stderr,
                 "usage: zarwriter [--format rgb|rgba|a|l|la|dxt1|dxt3|dxt5] [--classes HEX]\n"
                 "                 [--duration MS]... [--mips N] [--raw WxH] -o OUT INPUT...\n");
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--format" && hasValue) {
            const std::string name = argv[++i];
            bool found = false;
            for (const Layout& layout : kLayouts)
                if (name == layout.name) options->layout = layout, found = true;
            if (!found) return false;
        } else if (argument == "--classes" && hasValue) {
            options->classes = static_cast<int>(std::strtol(argv[++i], nullptr, 16) & 0xFFFF);
        } else if (argument == "--duration" && hasValue) {
            const long duration = std::strtol(argv[++i], nullptr, 10);
            if (duration < 0 || duration > 65535) return false;
            options->durations.push_back(static_cast<unsigned>(duration));
        } else if (argument == "--mips" && hasValue) {
            options->mips = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
            if (options->mips > 15) return false;
        } else if (argument == "--raw" && hasValue) {
            if (std::sscanf(argv[++i], "%ux%u", &options->rawWidth, &options->rawHeight) != 2)
                return false;
        } else if (argument == "-o" && hasValue) {
            options->output = argv[++i];
        } else if (!argument.empty() && argument[0] != '-') {
            options->inputs.push_back(argument);
        } else {
            return false;
        }
    }
    return !options->output.empty() && !options->inputs.empty() && options->inputs.size() <= 255;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    uint8_t chunk[65536];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes->insert(bytes->end(), chunk, chunk + count);
    std::fclose(file);
    return true;
}

// An n-bit channel widened to 8 bits by repeating its bits (0 bits give 0).
unsigned Widen(unsigned value, unsigned bits) {
    if (bits == 0) return 0;
    if (bits >= 8) return value >> (bits - 8) & 0xFF;
    unsigned wide = value << (8 - bits);
    for (unsigned filled = bits; filled < 8; filled *= 2) wide |= wide >> filled;
    return wide & 0xFF;
}

// The luminance formats, as luminance and alpha bits from the lowest bit up.
struct LuminanceFormat {
    D3DFORMAT format;
    unsigned luminanceBits, alphaBits;
};
constexpr LuminanceFormat kLuminanceFormats[] = {
    {D3DFMT_L8, 8, 0}, {D3DFMT_A8L8, 8, 8}, {D3DFMT_A4L4, 4, 4}};
static_assert(sizeof kLuminanceFormats / sizeof kLuminanceFormats[0] == 3, "three luminance formats");

// Level 0 of a decoded image, in whatever format the image loader chose, as
// red, green, blue, alpha bytes: the uncompressed colour formats by their
// channel bits (blue lowest, then green, red, alpha), the luminance formats,
// and the block-compressed formats through the software decoder.
bool ReadLevel(const uint8_t* bits, int pitch, D3DFORMAT format, Image* image) {
    const size_t pixels = static_cast<size_t>(image->width) * image->height;
    image->rgba.resize(pixels * 4);
    std::vector<uint8_t> argb;
    if (IsDxtFormat(format)) {
        // Decoded into A8R8G8B8 rows, then read as that format.
        argb.resize(pixels * 4);
        DecodeDxtImage(bits, format, image->width, image->height,
                       PixelPacking::FromBits(GetChannelBits(D3DFMT_A8R8G8B8)), 4, argb.data(),
                       static_cast<size_t>(image->width) * 4);
        bits = argb.data();
        pitch = static_cast<int>(image->width * 4);
        format = D3DFMT_A8R8G8B8;
    }
    const unsigned size = GetFormatSize(format);
    const PixelChannels channels = GetChannelBits(format);
    const LuminanceFormat* luminance = nullptr;
    for (const LuminanceFormat& row : kLuminanceFormats)
        if (row.format == format) luminance = &row;
    if (size == 0 || size > 4 ||
        (!luminance && channels.red + channels.green + channels.blue + channels.alpha == 0))
        return false;
    for (unsigned y = 0; y < image->height; ++y)
        for (unsigned x = 0; x < image->width; ++x) {
            const uint8_t* in = bits + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * size;
            uint32_t word = 0;
            for (unsigned b = 0; b < size; ++b) word |= static_cast<uint32_t>(in[b]) << (8 * b);
            auto field = [&word](unsigned at, unsigned count) {
                return count ? word >> at & ((1u << count) - 1) : 0u;
            };
            uint8_t* out = &image->rgba[(static_cast<size_t>(y) * image->width + x) * 4];
            unsigned alphaBits, alpha;
            if (luminance) {
                const unsigned l = Widen(field(0, luminance->luminanceBits), luminance->luminanceBits);
                out[0] = out[1] = out[2] = static_cast<uint8_t>(l);
                alphaBits = luminance->alphaBits;
                alpha = field(luminance->luminanceBits, alphaBits);
            } else {
                const unsigned green = channels.blue, red = green + channels.green;
                out[0] = static_cast<uint8_t>(Widen(field(red, channels.red), channels.red));
                out[1] = static_cast<uint8_t>(Widen(field(green, channels.green), channels.green));
                out[2] = static_cast<uint8_t>(Widen(field(0, channels.blue), channels.blue));
                alphaBits = channels.alpha;
                alpha = field(red + channels.red, alphaBits);
            }
            out[3] = static_cast<uint8_t>(alphaBits ? Widen(alpha, alphaBits) : 255);
        }
    return true;
}

// Image files are decoded by the extension routines on a device of the
// runtime, whose top level is read back as red, green, blue, alpha.
class Decoder {
public:
    Decoder() : m_Kernel(nullptr, false) {}
    ~Decoder() {
        if (m_pDevice) m_pDevice->Release();
        if (m_pDirect3D) m_pDirect3D->Release();
    }

    bool Decode(const std::vector<uint8_t>& bytes, Image* image, std::string* error) {
        if (!m_pDevice && !Open(error)) return false;
        IDirect3DTexture8* texture = nullptr;
        HRESULT hr = D3DXCreateTextureFromFileInMemory(m_pDevice, bytes.data(),
                                                       static_cast<UINT>(bytes.size()), &texture);
        if (FAILED(hr) || !texture) {
            *error = "the image cannot be decoded";
            return false;
        }
        D3DSURFACE_DESC desc;
        D3DLOCKED_RECT locked;
        bool read = SUCCEEDED(texture->GetLevelDesc(0, &desc)) &&
                    SUCCEEDED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY));
        if (read) {
            image->width = desc.Width;
            image->height = desc.Height;
            read = ReadLevel(static_cast<const uint8_t*>(locked.pBits), locked.Pitch, desc.Format,
                             image);
            texture->UnlockRect(0);
            if (!read) *error = "the decoded image is in a format this tool cannot read";
        } else {
            *error = "the decoded image cannot be read";
        }
        texture->Release();
        return read;
    }

private:
    bool Open(std::string* error) {
        m_pDirect3D = Direct3DCreate8(D3D_SDK_VERSION);
        if (!m_pDirect3D) {
            *error = "no Direct3D";
            return false;
        }
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.BackBufferWidth = parameters.BackBufferHeight = 16;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.Windowed = TRUE;
        if (FAILED(m_pDirect3D->CreateDevice(0, D3DDEVTYPE_HAL, m_Kernel.m_pWindow->GetHWND(),
                                             D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                             &m_pDevice))) {
            m_pDevice = nullptr;
            *error = "no Direct3D device";
            return false;
        }
        return true;
    }

    Kernel m_Kernel;
    IDirect3D8* m_pDirect3D = nullptr;
    IDirect3DDevice8* m_pDevice = nullptr;
};

// The next smaller level: each pixel the mean of up to 2 x 2 pixels.
Image Halve(const Image& image) {
    Image half;
    half.width = (image.width + 1) / 2;
    half.height = (image.height + 1) / 2;
    half.rgba.resize(static_cast<size_t>(half.width) * half.height * 4);
    for (unsigned y = 0; y < half.height; ++y)
        for (unsigned x = 0; x < half.width; ++x)
            for (unsigned c = 0; c < 4; ++c) {
                unsigned sum = 0, count = 0;
                for (unsigned dy = 0; dy < 2; ++dy)
                    for (unsigned dx = 0; dx < 2; ++dx) {
                        const unsigned sx = 2 * x + dx, sy = 2 * y + dy;
                        if (sx < image.width && sy < image.height)
                            sum += image.rgba[(static_cast<size_t>(sy) * image.width + sx) * 4 + c], ++count;
                    }
                half.rgba[(static_cast<size_t>(y) * half.width + x) * 4 + c] =
                    static_cast<uint8_t>((sum + count / 2) / count);
            }
    return half;
}

// One level in the file's layout.
void AppendLevel(const Image& image, const Layout& layout, std::vector<uint8_t>* out) {
    if (layout.compression) {
        for (unsigned by = 0; by < (image.height + 3) / 4; ++by)
            for (unsigned bx = 0; bx < (image.width + 3) / 4; ++bx) {
                uint8_t block[64];
                for (unsigned p = 0; p < 16; ++p) {
                    // Pixels past the edge repeat the last row or column.
                    const unsigned x = std::min(4 * bx + p % 4, image.width - 1);
                    const unsigned y = std::min(4 * by + p / 4, image.height - 1);
                    std::memcpy(block + 4 * p, &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4], 4);
                }
                uint8_t encoded[16];
                EncodeDxtBlock(block, layout.compression, encoded);
                out->insert(out->end(), encoded, encoded + (layout.compression == 1 ? 8 : 16));
            }
        return;
    }
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        const uint8_t* px = &image.rgba[i];
        if (layout.flags & zar::kColour) out->insert(out->end(), px, px + 3);
        if (layout.flags & zar::kAlpha) out->push_back(px[3]);
        if (layout.flags & zar::kLuminance)
            out->push_back(static_cast<uint8_t>((px[0] * 299 + px[1] * 587 + px[2] * 114 + 500) / 1000));
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        Usage();
        return 2;
    }
    Decoder decoder;
    std::vector<Image> frames;
    for (const std::string& input : options.inputs) {
        std::vector<uint8_t> bytes;
        if (!ReadFile(input, &bytes)) {
            std::fprintf(stderr, "zarwriter: cannot read %s\n", input.c_str());
            return 1;
        }
        Image image;
        std::string error;
        if (options.rawWidth) {
            image.width = options.rawWidth;
            image.height = options.rawHeight;
            if (bytes.size() != static_cast<size_t>(image.width) * image.height * 4) {
                std::fprintf(stderr, "zarwriter: %s is not %ux%u pixels of 4 bytes\n", input.c_str(),
                             image.width, image.height);
                return 1;
            }
            image.rgba = std::move(bytes);
        } else if (!decoder.Decode(bytes, &image, &error)) {
            std::fprintf(stderr, "zarwriter: %s: %s\n", input.c_str(), error.c_str());
            return 1;
        }
        if (!IsPowerOfTwo(image.width) || !IsPowerOfTwo(image.height) || image.width > 32768 ||
            image.height > 32768 ||
            (!frames.empty() && (image.width != frames[0].width || image.height != frames[0].height))) {
            std::fprintf(stderr, "zarwriter: %s: sizes must be equal powers of two\n", input.c_str());
            return 1;
        }
        frames.push_back(std::move(image));
    }
    const bool animated = frames.size() > 1 || !options.durations.empty();
    if (options.durations.size() > 1 && options.durations.size() != frames.size()) {
        std::fprintf(stderr, "zarwriter: give one duration, or one per frame\n");
        return 2;
    }

    zar::Header header;
    header.width = static_cast<uint16_t>(frames[0].width);
    header.height = static_cast<uint16_t>(frames[0].height);
    header.layoutFlags = options.layout.flags;
    header.compression = options.layout.compression;
    header.storedMipLevels = static_cast<uint8_t>(options.mips);
    header.frameCount = animated ? static_cast<uint8_t>(frames.size()) : 0;
    if (options.classes >= 0) {
        header.channelClasses = static_cast<uint16_t>(options.classes);
    } else {
        const bool colour = header.compression || (header.layoutFlags & zar::kColour);
        const bool alpha = header.compression > 1 || (header.layoutFlags & zar::kAlpha);
        header.channelClasses = static_cast<uint16_t>((colour ? 0x2A : 0) | (alpha ? 0x80 : 0));
    }

    std::vector<uint8_t> bytes(zar::kHeaderSize);
    zar::WriteHeader(header, bytes.data());
    if (animated)
        for (size_t i = 0; i < frames.size(); ++i) {
            const unsigned duration = options.durations.empty() ? 100
                                      : options.durations.size() == 1 ? options.durations[0]
                                                                      : options.durations[i];
            bytes.push_back(static_cast<uint8_t>(duration));
            bytes.push_back(static_cast<uint8_t>(duration >> 8));
        }
    for (const Image& frame : frames) {
        AppendLevel(frame, options.layout, &bytes);
        Image level = frame;
        for (unsigned mip = 0; mip < options.mips; ++mip) {
            level = Halve(level);
            AppendLevel(level, options.layout, &bytes);
        }
    }

    FILE* out = std::fopen(options.output.c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "zarwriter: cannot write %s\n", options.output.c_str());
        return 1;
    }
    return 0;
}

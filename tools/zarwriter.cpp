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

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <orv/ImageFile.h>

#include "pixels/BlockCodec.h"
#include "pixels/LittleEndian.h"
#include "pixels/PixelLayout.h"
#include "texture/PixelFormats.h"
#include "texture/ZarFormat.h"

namespace {

using orvimage::ArgbImage;
using Image = ArgbImage;

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
            if (duration < 0 || duration > static_cast<long>(zar::kMostDuration)) return false;
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

// The largest image the writer takes: sides of a ZAR file are 16-bit.
constexpr UINT kMostSide = 32768;

// Image files are decoded by the extension routines' decoders; DXT blocks
// (of DDS files) to their pixels as the routines decode them.
bool DecodeFile(const std::vector<uint8_t>& bytes, Image* image, std::string* error) {
    if (orvimage::ReadImageFile(bytes.data(), bytes.size(), kMostSide, image)) return true;
    *error = "the image cannot be decoded";
    return false;
}

// The next smaller level, box filtered: sides are powers of two.
Image Halve(const Image& image) {
    Image half;
    orvimage::HalveImage(image, &half);
    return half;
}

// One level in the file's layout.
void AppendLevel(Image& image, const Layout& layout, std::vector<uint8_t>* out) {
    if (layout.compression) {
        const D3DFORMAT format = DxtFormat(layout.compression);
        const LevelShape shape(image.width, image.height, BlockBytesOf(format), 0);
        const size_t at = out->size();
        out->resize(at + shape.Bytes());
        CompressBlocks(format, image.argb.data(), size_t{image.width} * 4, image.width, image.height,
                       out->data() + at, shape.rowBytes);
        return;
    }
    for (uint32_t pixel : image.argb) {
        if (layout.flags & zar::kColour)
            out->insert(out->end(), {static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                                     static_cast<uint8_t>(pixel)});
        if (layout.flags & zar::kAlpha) out->push_back(static_cast<uint8_t>(pixel >> 24));
        if (layout.flags & zar::kLuminance) out->push_back(static_cast<uint8_t>(Luminance(pixel)));
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        Usage();
        return 2;
    }
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
            image.argb.resize(bytes.size() / 4);
            for (size_t i = 0; i < image.argb.size(); ++i)
                image.argb[i] = ArgbWord(bytes[4 * i + 3], bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2]);
        } else if (!DecodeFile(bytes, &image, &error)) {
            std::fprintf(stderr, "zarwriter: %s: %s\n", input.c_str(), error.c_str());
            return 1;
        }
        if (!IsPowerOfTwo(image.width) || !IsPowerOfTwo(image.height) || image.width > kMostSide ||
            image.height > kMostSide ||
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
            AppendBytes(bytes, duration, sizeof(uint16_t));
        }
    for (Image& frame : frames) {
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

// Image files the tests load, written by the tests themselves: small writers
// for bitmaps, Targa and DDS files, and libpng / libjpeg for the others. Each
// writer also gives the pixels a correct decoder must produce.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include <d3d8.h>

// Pixels as A8R8G8B8 values, rows top-down.
struct Picture {
    UINT width = 0, height = 0;
    std::vector<uint32_t> argb;
    uint32_t At(UINT x, UINT y) const { return argb[size_t{y} * width + x]; }
};

// Largest difference of any channel between two pictures (256 when their
// sizes differ).
int WorstChannelError(const Picture& found, const Picture& expected);

// Little-endian 32-bit words appended, as the image files store them.
void Put32(std::vector<uint8_t>& out, std::initializer_list<uint32_t> values);

// Deterministic pseudo-random bytes.
std::vector<uint8_t> NoiseBytes(size_t count, uint32_t seed);

// A picture whose every pixel differs from its neighbours in every channel;
// another for each shift.
Picture Pattern(UINT width, UINT height, UINT shift = 0);

struct ImageFile {
    std::string name;
    std::vector<uint8_t> bytes;
    Picture expected;          // level 0 after decoding
    D3DFORMAT format;          // level 0's format on the default device
};

// CorePalette8: the 12-byte core header, with 3-byte palette entries.
enum class Bmp { Palette4, Palette8, BitFields565, Rgb24, Argb32Fields, BitFields444, CorePalette8 };
ImageFile BmpFile(Bmp kind, UINT width, UINT height, bool topDown, bool fileHeader = true);
// An 8-bit run-length bitmap of the given palette and codes.
std::vector<uint8_t> Rle8Bitmap(UINT width, UINT height, const std::vector<uint32_t>& palette,
                                const std::vector<uint8_t>& codes);

// Mapped8 indexes a map of 24-bit colours, Mapped8Alpha one of 32-bit colours.
enum class Tga { Mapped8, Grey8, Argb16, Rgb24, Argb32, Mapped8Alpha };
ImageFile TgaFile(Tga kind, UINT width, UINT height, bool runLength, bool topDown);
// The same of a given picture (reduced as the kind stores it; Mapped8 keeps
// its own indexed picture, as Mapped8Alpha does).
ImageFile TgaFile(Tga kind, const Picture& source, bool runLength, bool topDown);

// colourType and bitDepth as libpng names them; transparency adds a tRNS chunk
// of alphas to palette images, whose palette may be cut to paletteColours.
ImageFile PngFile(int colourType, int bitDepth, UINT width, UINT height, bool interlaced,
                  bool transparency, UINT paletteColours = 256);

// expected holds the source picture: JPEG is lossy.
ImageFile JpegFile(bool grey, bool progressive, UINT width, UINT height);
// A JPEG file of width x height samples, grey (1 a pixel) or red, green,
// blue (3), at a libjpeg quality.
std::vector<uint8_t> JpegBytes(const uint8_t* samples, UINT width, UINT height, bool grey, bool progressive,
                               int quality);

// Uncompressed DDS files: `levels` stored levels of the pattern in format.
ImageFile DdsFile(D3DFORMAT format, UINT width, UINT height, UINT levels);
// Block-compressed DDS files of NoiseBytes blocks, `levels` stored.
std::vector<uint8_t> DdsBlockFile(D3DFORMAT format, UINT width, UINT height, UINT levels, uint32_t seed);

// The ZAR writer tool: raw pixels and image files written in each layout,
// loaded back through the driver, match the source (exactly when
// uncompressed, within the block encoding's error when DXT).
#include <png.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "TextureTestSupport.h"

namespace {

using orvtest::TextureTest;

// The writer is built beside the test programs.
std::string WriterPath() {
    std::string path = ORVD3D_LIBRARY_PATH;
    path.erase(path.rfind('/'));
    path.erase(path.rfind('/'));
    return path + "/bin/zarwriter";
}

// Colour along one line in every block (what a block can hold), alpha
// changing across it.
Picture Smooth(UINT size) {
    Picture picture{size, size, {}};
    for (UINT y = 0; y < size; ++y)
        for (UINT x = 0; x < size; ++x) {
            const uint32_t t = x + y;
            picture.argb.push_back((60 + 10 * x) << 24 | (8 + 7 * t) << 16 | (230 - 6 * t) << 8 | (40 + 5 * t));
        }
    return picture;
}

TEST_F(TextureTest, TheWritersFilesLoadBackAsTheirSource) {
    const std::string writer = WriterPath();
    struct stat status;
    if (stat(writer.c_str(), &status) != 0) GTEST_SKIP() << "zarwriter is not built";
    // Two 8 x 8 frames: colour along a line across each row (what a block can
    // hold), alpha down the rows.
    std::vector<std::vector<uint8_t>> frames(2);
    for (unsigned f = 0; f < 2; ++f)
        for (unsigned y = 0; y < 8; ++y)
            for (unsigned x = 0; x < 8; ++x)
                frames[f].insert(frames[f].end(), {static_cast<uint8_t>(32 * x + 8 * f), static_cast<uint8_t>(24 * x),
                                                   static_cast<uint8_t>(100 + 10 * f), static_cast<uint8_t>(255 - 16 * y)});
    const std::string first = Write("source0.raw", frames[0]), second = Write("source1.raw", frames[1]);

    Display({D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5}, 32);
    const std::pair<const char*, int> formats[] = {{"rgba", 0}, {"dxt3", 20}, {"dxt5", 20}};
    for (auto [format, tolerance] : formats) {
        SCOPED_TRACE(format);
        const std::string output = OutputPath(std::string("written_") + format + ".zar");
        const std::string command = writer + " --format " + format + " --raw 8x8 --mips 2 --duration 120 -o " +
                                    output + " " + first + " " + second;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        Texture* texture = m_pRenderer->CreateTextureFromFile(output.c_str(), false, true);
        ASSERT_NE(texture, nullptr);
        ASSERT_EQ(texture->GetFormat(), D3DFMT_A8R8G8B8);
        ASSERT_EQ(texture->GetFrameCount(), 2u);
        EXPECT_EQ(texture->GetFrameDurations()[1], 120u);
        for (unsigned f = 0; f < 2; ++f)
            for (unsigned i = 0; i < 64; ++i) {
                const uint32_t pixel = texture->GetPixel(i % 8, i / 8, f);
                const uint8_t* source = &frames[f][4 * i];
                const int channels[4] = {int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF),
                                         int(pixel >> 24)};
                for (int c = 0; c < 4; ++c)
                    ASSERT_LE(std::abs(channels[c] - source[c]), tolerance) << "frame " << f << " pixel " << i;
            }
        m_pRenderer->ReleaseTexture(texture);
    }
    EXPECT_NE(std::system((writer + " --format nothing -o x.zar " + first + " 2>/dev/null").c_str()), 0);
}

TEST_F(TextureTest, ImageFilesOfEveryFormatTheLoaderGivesRoundTripThroughTheWriter) {
    const std::string writer = WriterPath();
    struct stat status;
    if (stat(writer.c_str(), &status) != 0) GTEST_SKIP() << "zarwriter is not built";
    struct Case {
        const char* name;
        ImageFile image;
        const char* format;
        int tolerance;  // largest channel difference
    };
    const Case cases[] = {
        {"rgba.png", PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, 16, 16, false, false), "rgba", 0},
        {"argb16.tga", TgaFile(Tga::Argb16, 16, 8, true, false), "rgba", 0},
        {"rgb565.bmp", BmpFile(Bmp::BitFields565, 8, 16, false), "rgb", 0},
        {"grey.png", PngFile(PNG_COLOR_TYPE_GRAY, 8, 8, 8, false, false), "rgb", 0},
        {"smooth1.tga", TgaFile(Tga::Rgb24, Smooth(16), false, false), "dxt1", 12},
        {"smooth3.tga", TgaFile(Tga::Argb32, Smooth(16), false, true), "dxt3", 12},
        {"smooth5.tga", TgaFile(Tga::Argb32, Smooth(16), false, false), "dxt5", 12},
    };
    // Without the block formats the loader decodes DXT files in software.
    Display({D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5}, 32);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string input = Write(c.name, c.image);
        const std::string output = OutputPath(std::string(c.name) + ".zar");
        const std::string command = writer + " --format " + c.format + " -o " + output + " " + input;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        Texture* texture = m_pRenderer->CreateTextureFromFile(output.c_str(), false, true);
        ASSERT_NE(texture, nullptr);
        const Picture& expected = c.image.expected;
        ASSERT_EQ(texture->GetWidth(), expected.width);
        ASSERT_EQ(texture->GetHeight(), expected.height);
        const bool alpha = texture->GetFormat() == D3DFMT_A8R8G8B8;
        ASSERT_TRUE(alpha || texture->GetFormat() == D3DFMT_X8R8G8B8) << texture->GetFormat();
        int worst = 0;
        for (UINT y = 0; y < expected.height; ++y)
            for (UINT x = 0; x < expected.width; ++x)
                for (int shift = 0; shift < (alpha ? 32 : 24); shift += 8)
                    worst = std::max(worst, std::abs(int(texture->GetPixel(x, y, 0) >> shift & 0xFF) -
                                                     int(expected.At(x, y) >> shift & 0xFF)));
        EXPECT_LE(worst, c.tolerance);
        m_pRenderer->ReleaseTexture(texture);
    }
}

}  // namespace

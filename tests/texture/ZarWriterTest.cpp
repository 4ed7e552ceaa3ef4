// The ZAR writer tool: image files written in each kind of layout, loaded
// back through the driver, match the source (exactly when uncompressed,
// within the block encoding's error when DXT).
#include <png.h>
#include <sys/stat.h>

#include <cstdlib>

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
        {"smooth1.tga", TgaFile(Tga::Rgb24, Smooth(16), false, false), "dxt1", 12},
        {"smooth5.tga", TgaFile(Tga::Argb32, Smooth(16), false, false), "dxt5", 12},
    };
    // Without the block formats the loader decodes DXT files in software.
    Display({D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5}, 32);
    for (const Case& c : cases) {
        const std::string input = Write(c.name, c.image);
        const std::string output = OutputPath(std::string(c.name) + ".zar");
        // The DXT5 file: two frames of 120 ms, each with two smaller levels.
        const bool frames = c.format == std::string("dxt5");
        const std::string command = writer + " --format " + c.format + (frames ? " --mips 2 --duration 120" : "") +
                                    " -o " + output + " " + input + (frames ? " " + input : "");
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        Texture* texture = m_pRenderer->CreateTextureFromFile(output.c_str(), false, true);
        ASSERT_NE(texture, nullptr) << c.name;
        const Picture& expected = c.image.expected;
        const unsigned last = texture->GetFrameCount() - 1;
        EXPECT_EQ(frames ? texture->GetFrameDurations()[last] : 120u, 120u);
        const bool alpha = texture->GetFormat() == D3DFMT_A8R8G8B8;
        ASSERT_TRUE(alpha || texture->GetFormat() == D3DFMT_X8R8G8B8) << texture->GetFormat();
        int worst = 0;
        for (UINT y = 0; y < expected.height; ++y)
            for (UINT x = 0; x < expected.width; ++x)
                for (int shift = 0; shift < (alpha ? 32 : 24); shift += 8)
                    worst = std::max(worst, std::abs(int(texture->GetPixel(x, y, last) >> shift & 0xFF) -
                                                     int(expected.At(x, y) >> shift & 0xFF)));
        EXPECT_LE(worst, c.tolerance) << c.name;
        m_pRenderer->ReleaseTexture(texture);
    }
}

}  // namespace

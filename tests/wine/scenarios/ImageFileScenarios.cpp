// PNG and JPEG texture files on the real runtime: written by the image
// libraries compiled into this program, decoded by those compiled into the
// plug-in, for the build's own architecture.
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "SceneDrawing.h"
#include "Scenario.h"
#include "TexturePictures.h"
#include "WineSuite.h"
#include "host/Texture.h"
#include "support/ImageFiles.h"

using namespace winesuite;

namespace {

int WorstChannelError(Texture* texture, const Picture& expected) {
    int worst = 0;
    for (UINT y = 0; y < expected.height; ++y)
        for (UINT x = 0; x < expected.width; ++x) {
            const unsigned got = texture->GetPixel(x, y, 0), want = expected.At(x, y);
            for (int shift : {0, 8, 16, 24})
                worst = std::max(worst, std::abs(static_cast<int>(got >> shift & 0xFF) -
                                                 static_cast<int>(want >> shift & 0xFF)));
        }
    return worst;
}

}  // namespace

WINE_SCENARIO(images) {
    RenderDevice* device = scenario.Device();
    if (!OpenWindowed(scenario)) return;
    const ImageFile files[] = {
        PngFile(PNG_COLOR_TYPE_RGB_ALPHA, 8, kImageFileSize, kImageFileSize / 2, true, false),
        JpegFile(false, false, kImageFileSize, kImageFileSize),
        JpegFile(false, true, kImageFileSize, kImageFileSize),
    };
    const char* names[] = {"interlaced.png", "baseline.jpg", "progressive.jpg"};
    for (int i = 0; i < 3; ++i) {
        const std::string path = scenario.PathOf(names[i]);
        Texture* texture = WriteBytes(path, files[i].bytes)
                               ? device->CreateTextureFromFile(path.c_str(), false, true)
                               : nullptr;
        const std::string key = std::string("image.") + names[i];
        scenario.Fact(key.c_str(), texture ? std::to_string(texture->GetWidth()) + "x" +
                                                 std::to_string(texture->GetHeight()) + " error " +
                                                 std::to_string(WorstChannelError(texture, files[i].expected))
                                           : std::string("none"));
        if (texture) device->ReleaseTexture(texture);
    }
}

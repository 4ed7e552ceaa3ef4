#include "TexturePlan.h"

#include <vector>

#include "Resample.h"

namespace {

UINT PowerOfTwoAtLeast(UINT value, UINT most) {
    UINT power = 1;
    while (power < value && power <= most / 2) power *= 2;
    return power;
}

}  // namespace

bool FitsCaps(UINT& width, UINT& height, const D3DCAPS8& caps, const ImageLimits& limits) {
    const UINT givenWidth = width, givenHeight = height;
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
        width = PowerOfTwoAtLeast(width, limits.maxWidth);
        height = PowerOfTwoAtLeast(height, limits.maxHeight);
    }
    if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) width = height = width > height ? width : height;
    return width == givenWidth && height == givenHeight;
}

HRESULT FitToCaps(DecodedImage& image, const D3DCAPS8& caps, const ImageLimits& limits) {
    UINT width = image.Width(), height = image.Height();
    if (FitsCaps(width, height, caps, limits)) return D3D_OK;
    HRESULT hr = image.Decompress();
    if (FAILED(hr)) return hr;
    const UINT chain = FullChainLength(width, height);
    std::vector<ImageLevel> scaled(image.LevelCount() < chain ? image.LevelCount() : chain);
    for (UINT level = 0; level < scaled.size(); ++level) {
        hr = MakePixelLevel(LevelSide(width, level), LevelSide(height, level), scaled[level]);
        if (FAILED(hr)) return hr;
        Resample(PixelView::Of(image.Level(level)), PixelView::Of(scaled[level]));
    }
    image.ReplaceLevels(std::move(scaled));
    return D3D_OK;
}

// What an image file becomes on a device: the size its texture takes under
// the device's size rules, and whether its decoded pixels can be stored
// unchanged in the format chosen for it (FormatChoice.h).
#pragma once

#include <d3d8.h>

#include "DecodedImage.h"

// Where the device needs sides that are powers of two (or square sides), an
// image is scaled up to the next such size (down where that would pass the
// largest size). True when width x height needs no scaling.
bool FitsCaps(UINT& width, UINT& height, const D3DCAPS8& caps, const ImageLimits& limits);

// Scales the image to the size the device's rules need: each stored level to
// the size of its place in the new chain, as far as that chain goes.
HRESULT FitToCaps(DecodedImage& image, const D3DCAPS8& caps, const ImageLimits& limits);

// Whether a texture of `chosen` stores decoded A8R8G8B8 pixels of an image
// of imageFormat as they are: X8R8G8B8 does when their alpha is already
// opaque, as in images of that format.
inline bool StoresDecodedPixels(D3DFORMAT chosen, D3DFORMAT imageFormat) {
    return chosen == D3DFMT_A8R8G8B8 || (chosen == D3DFMT_X8R8G8B8 && imageFormat == chosen);
}

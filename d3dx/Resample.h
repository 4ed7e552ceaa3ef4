// Scaling a decoded image to another size with a bilinear filter (pixel
// centres aligned, edges clamped): for devices that need textures with sides
// that are powers of two.
#pragma once

#include <d3d8.h>

#include "PixelView.h"

// Fills destination (already allocated at its size) from source.
void Resample(const PixelView& source, const PixelView& destination);

// What the plug-in knows of Direct3D pixel formats: channel classes and bit
// counts of the formats it makes textures in, bytes per pixel (per 4x4 block
// for the block-compressed formats), all read from the one format table
// (pixels/PixelLayout.h), and the power-of-two rule for sizes.
#pragma once

#include <d3d8.h>

#include "host/HostTypes.h"

PixelChannels GetChannelClasses(D3DFORMAT format);
PixelChannels GetChannelBits(D3DFORMAT format);
unsigned GetFormatSize(D3DFORMAT format);
inline bool IsPowerOfTwo(unsigned value) { return value != 0 && (value & (value - 1)) == 0; }

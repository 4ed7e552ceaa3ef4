// What the plug-in knows of Direct3D pixel formats: channel classes and bit
// counts of the formats it makes textures in, bytes per pixel (per 4x4 block
// for the block-compressed formats), all read from the one format table
// (d3dx/PixelLayout.h), and the power-of-two rule for sizes.
#pragma once

#include <d3d8.h>

#include "host/HostTypes.h"

PixelChannels GetChannelClasses(D3DFORMAT format);
PixelChannels GetChannelBits(D3DFORMAT format);
unsigned GetFormatSize(D3DFORMAT format);
bool IsPowerOfTwo(unsigned value);
// Exactly the five block-compressed formats DXT1 to DXT5.
bool IsDxtFormat(D3DFORMAT format);
// The block-compressed format of a file's compression code 1..5.
D3DFORMAT DxtFormat(unsigned compression);

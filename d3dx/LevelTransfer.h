// Moving pixels between memory and one level of a texture, in whatever
// uncompressed or DXT format the texture has: each call locks the level,
// converts, and unlocks it.
#pragma once

#include <d3d8.h>

#include "DecodedImage.h"
#include "PixelView.h"

// True for the formats these routines read and write.
bool IsTransferableFormat(D3DFORMAT format);

// Stores A8R8G8B8 pixels (the level's size) into the level, converting them
// to its format (compressing them for DXT formats).
HRESULT WriteLevel(IDirect3DTexture8* texture, UINT level, const PixelView& argb);
// Stores blocks of the level's own DXT format unchanged.
HRESULT WriteLevelBlocks(IDirect3DTexture8* texture, UINT level, const ImageLevel& blocks);
// Reads the level into a new A8R8G8B8 image level.
HRESULT ReadLevel(IDirect3DTexture8* texture, UINT level, ImageLevel& argb);

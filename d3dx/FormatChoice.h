// The format for an image file's texture: the image's own format when the
// device can make textures of it, else the nearest one it can.
#pragma once

#include <d3d8.h>

// D3D_OK with the format in *chosen; D3DERR_NOTAVAILABLE when the device
// offers none of the candidates, or the failure of a device query.
HRESULT NearestTextureFormat(IDirect3DDevice8* device, D3DFORMAT imageFormat, D3DFORMAT* chosen);

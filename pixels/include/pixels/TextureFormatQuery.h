// Which texture formats a device makes: the one query of the device's
// Direct3D object, shared by the extension routines' texture loader and the
// plug-in's own textures.
#pragma once

#include <d3d8.h>

// Where a device makes its textures: the adapter, device type and display
// format the Direct3D object's CheckDeviceFormat is asked about.
struct TextureFormatQuery {
    UINT adapter = 0;
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    D3DFORMAT displayFormat = D3DFMT_UNKNOWN;

    // Reads them from the device's creation parameters, then its display mode.
    HRESULT Read(IDirect3DDevice8* device);
    // Whether direct3D makes textures (usage 0) of format there.
    bool Supports(IDirect3D8* direct3D, D3DFORMAT format) const {
        return SUCCEEDED(direct3D->CheckDeviceFormat(adapter, deviceType, displayFormat, 0,
                                                     D3DRTYPE_TEXTURE, format));
    }
};

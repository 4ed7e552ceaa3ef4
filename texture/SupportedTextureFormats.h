// The uncompressed texture formats the device in use accepts, surveyed once
// per device and shared by every texture of the process, and the choice of
// the nearest of them for a wanted channel layout.
#pragma once

#include <d3d8.h>

#include "host/HostTypes.h"
#include "pixels/TextureFormatQuery.h"

class SupportedTextureFormats {
public:
    static SupportedTextureFormats& Get();

    // Drops what was surveyed; the next question surveys the device it names.
    // The driver calls it for every new device.
    void Forget();
    // Fills the four lists from the formats 20 to 30 the device accepts.
    void Enumerate(IDirect3D8* direct3D, IDirect3DDevice8* device);
    // 0 when no supported format qualifies.
    D3DFORMAT Choose(IDirect3D8* direct3D, IDirect3DDevice8* device, bool prefer32Bit,
                     bool needAlpha, PixelChannels wanted);
    bool IsSupported(IDirect3D8* direct3D, IDirect3DDevice8* device, D3DFORMAT format);

private:
    struct List {
        D3DFORMAT formats[6];
        unsigned count;
        void Add(D3DFORMAT format) { formats[count++] = format; }
    };

    SupportedTextureFormats() { Forget(); }
    // Reads the adapter, device type and display format of `device` unless
    // they are already known for it; false when the device cannot tell.
    bool Learn(IDirect3DDevice8* device);

    List m_16Bit;
    List m_16BitAlpha;
    List m_32Bit;
    List m_32BitAlpha;
    bool m_bEnumerated;
    IDirect3DDevice8* m_pDevice;  // the device the stored query describes
    TextureFormatQuery m_Query;
};

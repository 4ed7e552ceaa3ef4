// What an image file becomes on a device, decided once from the decoder's
// header before any pixel is decoded: the size of its texture under the
// device's size rules, its format (FormatChoice.h), and where level 0 is
// decoded to.
//
// Level 0 goes straight into the texture (TextureTarget) where the decoder
// writes rows itself (not RowOrder::Packed), the size needs no scaling and
// the chosen format stores the decoder's A8R8G8B8 pixels unchanged: that
// saves a copy of the whole image. Anything else is decoded into memory
// (DecodedImage), scaled to the texture's size (Fit), and stored once the
// whole file is known to be sound; its format is chosen after the decode, so
// that a damaged file is refused as damaged whatever the device offers.
#pragma once

#include <d3d8.h>

#include "DecodedImage.h"
#include "ImageDecoder.h"

class TexturePlan {
public:
    TexturePlan(IDirect3DDevice8* device, const D3DCAPS8& caps, const ImageLimits& limits,
                const ImageHeader& header);

    bool IntoTexture() const { return m_bIntoTexture; }
    // The texture's size: the image's, or the size the device's rules need.
    UINT Width() const { return m_Width; }
    UINT Height() const { return m_Height; }
    // The texture's format: D3D_OK with it in *format, D3DERR_NOTAVAILABLE
    // when the device offers none for the image, or the failure of a device
    // query. Chosen once; a choice the device failed to answer before the
    // decode is asked for again.
    HRESULT Format(D3DFORMAT* format);

    // Scales a decoded image to the texture's size: each stored level to the
    // size of its place in the new chain, as far as that chain goes.
    HRESULT Fit(DecodedImage& image) const;

private:
    IDirect3DDevice8* m_pDevice;
    D3DFORMAT m_ImageFormat;
    UINT m_Width, m_Height;
    bool m_bFits;
    D3DFORMAT m_Format = D3DFMT_UNKNOWN;  // once chosen
    bool m_bIntoTexture = false;
};

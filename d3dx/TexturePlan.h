// What an image file becomes on a device, decided once from the decoder's
// header before any pixel is decoded: the size of its texture under the
// device's size rules, its format (FormatChoice.h), and where level 0 is
// decoded to.
//
// Level 0 goes straight into the texture (TextureTarget) where the decoder
// writes rows itself (not RowOrder::Packed), the size needs no scaling and
// the chosen format stores the decoder's A8R8G8B8 pixels unchanged: that
// saves a copy of the whole image. Anything else is decoded into memory
// (DecodedImage), made ready for the texture (Prepare: decompressed and
// scaled where needed), and stored once the whole file is known to be sound;
// its format is chosen after the decode, so that a damaged file is refused as
// damaged whatever the device offers.
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

    // Makes a decoded image ready for the texture, once the decode is done:
    // the texture's format is chosen (Format), DXT blocks are decompressed
    // unless the texture takes them as they are (the same format, no
    // scaling), and every stored level is scaled to the size of its place in
    // the texture's chain, as far as that chain goes.
    HRESULT Prepare(DecodedImage& image);

private:
    IDirect3DDevice8* m_pDevice;
    D3DFORMAT m_FileFormat;
    UINT m_Width, m_Height;
    bool m_bFits;
    D3DFORMAT m_Format = D3DFMT_UNKNOWN;  // once chosen
    bool m_bIntoTexture = false;
};

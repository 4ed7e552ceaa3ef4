#include "TexturePlan.h"

#include <vector>

#include "FormatChoice.h"
#include "Resample.h"
#include "pixels/PixelLayout.h"

namespace {

UINT PowerOfTwoAtLeast(UINT value, UINT most) {
    UINT power = 1;
    while (power < value && power <= most / 2) power *= 2;
    return power;
}

// Where the device needs sides that are powers of two (or square sides), an
// image is scaled up to the next such size (down where that would pass the
// largest size).
void FitCaps(UINT& width, UINT& height, const D3DCAPS8& caps, const ImageLimits& limits) {
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
        width = PowerOfTwoAtLeast(width, limits.maxWidth);
        height = PowerOfTwoAtLeast(height, limits.maxHeight);
    }
    if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) width = height = width > height ? width : height;
}

// Whether a texture of `chosen` stores decoded A8R8G8B8 pixels of a file of
// fileFormat as they are: X8R8G8B8 does when their alpha is already opaque,
// as in files of that format.
bool StoresDecodedPixels(D3DFORMAT chosen, D3DFORMAT fileFormat) {
    return IsArgbMemory(chosen) && (chosen == D3DFMT_A8R8G8B8 || fileFormat == chosen);
}

}  // namespace

TexturePlan::TexturePlan(IDirect3DDevice8* device, const D3DCAPS8& caps, const ImageLimits& limits,
                         const ImageHeader& header)
    : m_pDevice(device), m_FileFormat(header.fileFormat), m_Width(header.width), m_Height(header.height) {
    FitCaps(m_Width, m_Height, caps, limits);
    m_bFits = m_Width == header.width && m_Height == header.height;
    if (header.order == RowOrder::Packed || header.blockBytes || !m_bFits) return;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    m_bIntoTexture = SUCCEEDED(Format(&format)) && StoresDecodedPixels(format, m_FileFormat);
}

HRESULT TexturePlan::Format(D3DFORMAT* format) {
    if (m_Format == D3DFMT_UNKNOWN) {
        const HRESULT hr = NearestTextureFormat(m_pDevice, m_FileFormat, &m_Format);
        if (FAILED(hr)) return hr;
    }
    *format = m_Format;
    return D3D_OK;
}

HRESULT TexturePlan::Prepare(DecodedImage& image) {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    HRESULT hr = Format(&format);
    if (SUCCEEDED(hr) && (!m_bFits || format != image.LevelFormat())) hr = image.Decompress();
    if (FAILED(hr) || m_bFits) return hr;
    const UINT chain = FullChainLength(m_Width, m_Height);
    std::vector<ImageLevel> scaled(image.LevelCount() < chain ? image.LevelCount() : chain);
    for (UINT level = 0; level < scaled.size(); ++level) {
        hr = MakePixelLevel(LevelSide(m_Width, level), LevelSide(m_Height, level), scaled[level]);
        if (FAILED(hr)) return hr;
        Resample(image.Level(level), scaled[level].view);
    }
    image.ReplaceLevels(std::move(scaled));
    return D3D_OK;
}

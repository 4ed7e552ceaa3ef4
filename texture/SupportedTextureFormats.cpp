#include "texture/SupportedTextureFormats.h"

#include "pixels/PixelLayout.h"
#include "texture/PixelFormats.h"

namespace {

// The lists a format joins when the device supports it, by its size: 16-bit
// for two bytes a pixel, 32-bit for four; the alpha lists too when it has
// alpha. Formats of one or three bytes join none.
constexpr UINT kBytes16 = 2, kBytes32 = 4;

unsigned Square(int value) { return static_cast<unsigned>(value * value); }

unsigned Score(D3DFORMAT format, PixelChannels wanted) {
    const PixelChannels offered = GetChannelClasses(format);
    return Square(offered.red - wanted.red) + Square(offered.green - wanted.green) +
           Square(offered.blue - wanted.blue) + Square(offered.alpha - wanted.alpha);
}

}  // namespace

SupportedTextureFormats& SupportedTextureFormats::Get() {
    static SupportedTextureFormats formats;
    return formats;
}

void SupportedTextureFormats::Forget() {
    m_16Bit.count = m_16BitAlpha.count = m_32Bit.count = m_32BitAlpha.count = 0;
    m_bEnumerated = false;
    m_pDevice = nullptr;
    m_Query = TextureFormatQuery();
}

bool SupportedTextureFormats::Learn(IDirect3DDevice8* device) {
    if (!device) return false;
    if (device == m_pDevice) return true;
    Forget();
    TextureFormatQuery query;
    if (FAILED(query.Read(device))) return false;
    m_pDevice = device;
    m_Query = query;
    return true;
}

void SupportedTextureFormats::Enumerate(IDirect3D8* direct3D, IDirect3DDevice8* device) {
    if (!direct3D || !Learn(device)) return;
    m_16Bit.count = m_16BitAlpha.count = m_32Bit.count = m_32BitAlpha.count = 0;
    for (unsigned number = D3DFMT_R8G8B8; number <= D3DFMT_X4R4G4B4; ++number) {
        const D3DFORMAT format = static_cast<D3DFORMAT>(number);
        if (!m_Query.Supports(direct3D, format)) continue;
        const PixelLayout* layout = PixelLayout::Find(format);
        const bool bits16 = layout->bytesPerPixel == kBytes16;
        const bool bits32 = layout->bytesPerPixel == kBytes32;
        if (bits16) m_16Bit.Add(format);
        if (bits16 && layout->HasAlpha()) m_16BitAlpha.Add(format);
        if (bits32) m_32Bit.Add(format);
        if (bits32 && layout->HasAlpha()) m_32BitAlpha.Add(format);
    }
    m_bEnumerated = true;
}

D3DFORMAT SupportedTextureFormats::Choose(IDirect3D8* direct3D, IDirect3DDevice8* device,
                                          bool prefer32Bit, bool needAlpha,
                                          PixelChannels wanted) {
    if (!m_bEnumerated || device != m_pDevice) Enumerate(direct3D, device);
    if (!m_bEnumerated) return D3DFMT_UNKNOWN;

    if (prefer32Bit && needAlpha)
        return m_32BitAlpha.count == 1 ? m_32BitAlpha.formats[0] : D3DFMT_UNKNOWN;
    const List& list = prefer32Bit ? m_32Bit : needAlpha ? m_16BitAlpha : m_16Bit;
    if (list.count == 0) return D3DFMT_UNKNOWN;

    D3DFORMAT best = list.formats[0];
    unsigned bestScore = Score(best, wanted);
    for (unsigned i = 1; i < list.count; ++i) {
        const D3DFORMAT candidate = list.formats[i];
        const unsigned score = Score(candidate, wanted);
        if (score < bestScore || (score == bestScore && GetChannelClasses(candidate).extra >
                                                            GetChannelClasses(best).extra)) {
            best = candidate;
            bestScore = score;
        }
    }
    return best;
}

bool SupportedTextureFormats::IsSupported(IDirect3D8* direct3D, IDirect3DDevice8* device,
                                          D3DFORMAT format) {
    if (!direct3D || !Learn(device)) return false;
    return m_Query.Supports(direct3D, format);
}

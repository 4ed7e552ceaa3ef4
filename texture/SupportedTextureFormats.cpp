#include "texture/SupportedTextureFormats.h"

#include "texture/PixelFormats.h"

namespace {

// Which lists a format joins when the device supports it, formats 20 to 30.
struct Membership {
    bool bits16, bits16Alpha, bits32, bits32Alpha;
};
constexpr Membership kMembership[] = {
    {false, false, false, false},  // R8G8B8
    {false, false, true, true},    // A8R8G8B8
    {false, false, true, false},   // X8R8G8B8
    {true, false, false, false},   // R5G6B5
    {true, false, false, false},   // X1R5G5B5
    {true, true, false, false},    // A1R5G5B5
    {true, true, false, false},    // A4R4G4B4
    {false, false, false, false},  // R3G3B2
    {false, false, false, false},  // A8
    {true, true, false, false},    // A8R3G3B2
    {true, false, false, false},   // X4R4G4B4
};
static_assert(sizeof kMembership / sizeof kMembership[0] == D3DFMT_X4R4G4B4 - D3DFMT_R8G8B8 + 1,
              "one row per format from R8G8B8 to X4R4G4B4");

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
    m_Adapter = 0;
    m_DeviceType = D3DDEVTYPE_HAL;
    m_DisplayFormat = D3DFMT_UNKNOWN;
}

bool SupportedTextureFormats::Learn(IDirect3DDevice8* device) {
    if (!device) return false;
    if (device == m_pDevice) return true;
    Forget();
    D3DDEVICE_CREATION_PARAMETERS creation;
    D3DDISPLAYMODE mode;
    if (FAILED(device->GetCreationParameters(&creation)) || FAILED(device->GetDisplayMode(&mode)))
        return false;
    m_pDevice = device;
    m_Adapter = creation.AdapterOrdinal;
    m_DeviceType = creation.DeviceType;
    m_DisplayFormat = mode.Format;
    return true;
}

void SupportedTextureFormats::Enumerate(IDirect3D8* direct3D, IDirect3DDevice8* device) {
    if (!direct3D || !Learn(device)) return;
    m_16Bit.count = m_16BitAlpha.count = m_32Bit.count = m_32BitAlpha.count = 0;
    for (unsigned number = D3DFMT_R8G8B8; number <= D3DFMT_X4R4G4B4; ++number) {
        const D3DFORMAT format = static_cast<D3DFORMAT>(number);
        if (FAILED(direct3D->CheckDeviceFormat(m_Adapter, m_DeviceType, m_DisplayFormat, 0,
                                               D3DRTYPE_TEXTURE, format)))
            continue;
        const Membership& member = kMembership[number - D3DFMT_R8G8B8];
        if (member.bits16) m_16Bit.Add(format);
        if (member.bits16Alpha) m_16BitAlpha.Add(format);
        if (member.bits32) m_32Bit.Add(format);
        if (member.bits32Alpha) m_32BitAlpha.Add(format);
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
    return SUCCEEDED(direct3D->CheckDeviceFormat(m_Adapter, m_DeviceType, m_DisplayFormat, 0,
                                                 D3DRTYPE_TEXTURE, format));
}

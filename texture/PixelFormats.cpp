#include "texture/PixelFormats.h"

#include "pixels/PixelLayout.h"

PixelChannels GetChannelClasses(D3DFORMAT format) {
    const PixelLayout* layout = PixelLayout::Describe(format);
    if (!layout) return PixelChannels();
    const unsigned char* c = layout->classes;
    return PixelChannels(c[PixelLayout::kRedClass], c[PixelLayout::kGreenClass],
                         c[PixelLayout::kBlueClass], c[PixelLayout::kAlphaClass],
                         c[PixelLayout::kExtraClass]);
}

// Bit counts are given for the RGB formats and A8 (20 to 30), whose pixels
// the plug-in packs itself.
PixelChannels GetChannelBits(D3DFORMAT format) {
    const PixelLayout* layout = PixelLayout::Find(format);
    if (!layout || layout->luminance.bits) return PixelChannels();
    return PixelChannels(static_cast<uint8_t>(layout->red.bits), static_cast<uint8_t>(layout->green.bits),
                         static_cast<uint8_t>(layout->blue.bits), static_cast<uint8_t>(layout->alpha.bits),
                         static_cast<uint8_t>(layout->UnusedBitCount()));
}

unsigned GetFormatSize(D3DFORMAT format) {
    const PixelLayout* layout = PixelLayout::Describe(format);
    return layout ? layout->bytesPerPixel + layout->blockBytes : 0;
}

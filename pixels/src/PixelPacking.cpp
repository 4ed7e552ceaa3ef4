#include "pixels/PixelPacking.h"

#include "pixels/PixelLayout.h"

PixelPacking PixelPacking::Of(D3DFORMAT format) {
    PixelPacking packing = {{8, 8, 8, 8}, {0, 0, 0, 0}};
    if (const PixelLayout* layout = PixelLayout::Find(format)) {
        const PixelLayout::Channel channels[4] = {layout->blue, layout->green, layout->red, layout->alpha};
        for (int i = 0; i < 4; ++i) {
            packing.drop[i] = 8 - channels[i].bits;
            packing.shift[i] = channels[i].shift;
        }
    }
    return packing;
}

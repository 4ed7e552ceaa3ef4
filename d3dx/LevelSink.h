// Where a decoder writes the pixels it decodes (ImageDecoder::Decode): the
// texture's own level 0 while the mip chain is made from its rows
// (TextureTarget), or an image in memory (DecodedImage). The loader chooses
// which before the decode starts (TexturePlan); the decoder only writes.
#pragma once

#include <d3d8.h>

#include "PixelView.h"

class LevelSink {
public:
    // Level `level` at the size the decoder's header gave: level 0 as
    // A8R8G8B8 pixels, any levels the file stores below it after it (as
    // blocks where the header says so). A decoder that writes level 0 from
    // the top down (RowOrder::TopDown) may be lent a band of fewer rows,
    // reused from the top: row y then goes to Level(0).Row(y % Level(0).height).
    virtual const PixelView& Level(UINT level) const = 0;
    // A top-down decoder reports each row of level 0 as it is done, and
    // before the row a band lent for it holds next: the first `rows` rows
    // hold their final pixels, and the sink may start on them while they are
    // fresh in the cache.
    virtual void RowsDone(UINT rows) = 0;

protected:
    ~LevelSink() = default;
};

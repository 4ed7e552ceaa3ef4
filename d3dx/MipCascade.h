// Builds a mip chain of A8R8G8B8 levels as the top level's rows become
// final. Where each level halves the one above exactly, a row is made as soon
// as the two rows it covers are, while they are still in the cache: the top
// level is read once, as it is written, and no lower level is read back from
// memory. Levels past the first that does not halve exactly are filtered
// whole at the end.
#pragma once

#include <d3d8.h>

#include "PixelView.h"

class MipCascade {
public:
    // levels[0] is the top level, levels[1 ... count - 1] the ones below it,
    // each half the size of the one above (rounded down, at least 1). The
    // views must stay valid until Finish.
    MipCascade(const PixelView* levels, UINT count);

    // The first `rows` rows of the top level hold their final pixels.
    void TopRowsDone(UINT rows);
    // Once every row of the top level is done: the rest of the chain.
    void Finish();

private:
    const PixelView* m_pLevels;
    UINT m_Count;
    UINT m_Exact = 1;      // levels from the top that each halve the one above exactly
    UINT m_RowsMade = 0;   // rows of level 1 made so far
};

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

    // Rows first ... first + rows.height - 1 of the top level hold their
    // final pixels, in `rows`: the top level itself (first 0) or a copy of
    // those rows elsewhere. Calls come top to bottom, each starting where the
    // last ended, on an even row.
    void TopRowsDone(const PixelView& rows, UINT first);
    // Whether TopRowsDone reads the rows it is given (level 1 halves the top
    // level exactly), or leaves them all to Finish.
    bool ReadsRowsAsTheyCome() const { return m_Exact >= 2; }
    // Once every row of the top level has been given and is in the top level
    // itself: the rest of the chain.
    void Finish();

private:
    const PixelView* m_pLevels;
    UINT m_Count;
    UINT m_Exact = 1;      // levels from the top that each halve the one above exactly
    UINT m_RowsMade = 0;   // rows of level 1 made so far
};

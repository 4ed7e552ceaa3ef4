// Copying rows that nothing will read again soon, such as a texture level
// filled once, without passing them through the cache: the copy neither
// reads the destination's old contents from memory first nor evicts what the
// caller is still working on.
#pragma once

#include <cstddef>

#include <d3d8.h>

// Copies `rows` rows of rowBytes bytes, a pitch apart on each side. Where the
// processor has no such stores, an ordinary copy.
void CopyRowsPastCache(BYTE* to, size_t toPitch, const BYTE* from, size_t fromPitch, size_t rowBytes,
                       UINT rows);

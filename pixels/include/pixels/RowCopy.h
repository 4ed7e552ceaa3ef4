// Moving rows between two images whose rows lie a pitch apart: a texture's
// system copy (rows packed, one texture pitch apart), a locked Direct3D level
// (rows one locked pitch apart, which may be wider or narrower), an image
// decoded into memory.
#pragma once

#include <d3d8.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The locked level's pitch; 0 when the lock reported none.
inline size_t LockedPitch(const D3DLOCKED_RECT& locked) {
    return locked.Pitch > 0 ? static_cast<size_t>(locked.Pitch) : 0;
}

// Calls move(toOffset, fromOffset, bytes) for `rows` rows of `rowBytes`
// bytes: once for all of them when both sides are rows of exactly rowBytes,
// else once per row with no more than either pitch holds. A pitch of 0 moves
// nothing. Stops at the first move that returns false; true when none did.
template <typename Move>
bool MoveRows(size_t toPitch, size_t fromPitch, size_t rowBytes, unsigned rows, Move move) {
    if (rows == 0 || toPitch == 0 || fromPitch == 0) return true;
    if (toPitch == rowBytes && fromPitch == rowBytes) return move(0, 0, rowBytes * rows);
    const size_t bytes = std::min({rowBytes, toPitch, fromPitch});
    for (unsigned row = 0; row < rows; ++row)
        if (!move(static_cast<size_t>(row) * toPitch, static_cast<size_t>(row) * fromPitch, bytes))
            return false;
    return true;
}

// Copies rows in memory; the bytes of a destination row that a narrower
// source row lacks are zeroed.
inline void CopyRows(uint8_t* to, size_t toPitch, const uint8_t* from, size_t fromPitch,
                     size_t rowBytes, unsigned rows) {
    const size_t filled = std::min(rowBytes, toPitch);
    MoveRows(toPitch, fromPitch, rowBytes, rows,
             [&](size_t toOffset, size_t fromOffset, size_t bytes) {
                 std::memcpy(to + toOffset, from + fromOffset, bytes);
                 if (bytes < filled) std::memset(to + toOffset + bytes, 0, filled - bytes);
                 return true;
             });
}

// Copies `rows` rows of rowBytes bytes, a pitch apart on each side, without
// passing them through the cache: for rows nothing will read again soon, such
// as a texture level filled once. The copy neither reads the destination's
// old contents from memory first nor evicts what the caller is still working
// on. Where the processor has no such stores, an ordinary copy.
void CopyRowsPastCache(uint8_t* to, size_t toPitch, const uint8_t* from, size_t fromPitch, size_t rowBytes,
                       unsigned rows);

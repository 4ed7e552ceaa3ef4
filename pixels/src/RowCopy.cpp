#include "pixels/RowCopy.h"

#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

void CopyRowsPastCache(uint8_t* to, size_t toPitch, const uint8_t* from, size_t fromPitch, size_t rowBytes,
                       unsigned rows) {
#ifdef __SSE2__
    constexpr size_t kStore = sizeof(__m128i);
    for (unsigned row = 0; row < rows; ++row) {
        uint8_t* out = to + row * toPitch;
        const uint8_t* in = from + row * fromPitch;
        // Streaming stores go to whole aligned 16-byte words: the bytes
        // before the first and after the last are copied as usual.
        const size_t head = (kStore - reinterpret_cast<uintptr_t>(out) % kStore) % kStore;
        size_t left = rowBytes;
        if (head > 0) {
            const size_t bytes = head < left ? head : left;
            std::memcpy(out, in, bytes);
            out += bytes;
            in += bytes;
            left -= bytes;
        }
        for (; left >= kStore; left -= kStore, out += kStore, in += kStore)
            _mm_stream_si128(reinterpret_cast<__m128i*>(out), _mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
        std::memcpy(out, in, left);
    }
    // Streaming stores are not ordered with later ones: whoever reads the
    // rows next (an unlock, another thread) must see them.
    _mm_sfence();
#else
    for (unsigned row = 0; row < rows; ++row) std::memcpy(to + row * toPitch, from + row * fromPitch, rowBytes);
#endif
}

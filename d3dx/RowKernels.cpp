#include "RowKernels.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define ORV_AVX2_FILTER 1
#endif

namespace {

// Two 8-bit channels of a pixel in 16-bit lanes: room to add four pixels.
constexpr uint32_t kLanes = 0x00FF00FF;

// Where the vector loops read: the pixels of both source rows under
// destination pixel x (two source pixels each), with the lines `ahead`
// bytes on fetched into the cache for a later call (see HalveRow).
struct SourcePair {
    const BYTE* upper;
    const BYTE* lower;
};
inline SourcePair PairAt(const BYTE* top, const BYTE* bottom, UINT x, size_t ahead) {
    constexpr int kRead = 0, kKeepInEveryCache = 3;  // prefetcht0
    const SourcePair pair = {top + 8 * size_t{x}, bottom + 8 * size_t{x}};
    __builtin_prefetch(pair.upper + ahead, kRead, kKeepInEveryCache);
    __builtin_prefetch(pair.lower + ahead, kRead, kKeepInEveryCache);
    return pair;
}

#ifdef __SSE2__
// Four destination pixels at a time from eight pixels of each source row:
// channels widened to 16 bits, the rows added, then each pixel's left and
// right neighbours, rounded and narrowed again. Returns the pixels done.
// `ahead` is the distance to the rows the next call will read (see HalveRow).
UINT HalveRowWide(const BYTE* top, const BYTE* bottom, UINT width, uint32_t* out, size_t ahead) {
    const __m128i zero = _mm_setzero_si128(), two = _mm_set1_epi16(2);
    UINT x = 0;
    for (; x + 4 <= width; x += 4) {
        const auto [upper, lower] = PairAt(top, bottom, x, ahead);
        __m128i halves[2];
        for (int half = 0; half < 2; ++half) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + 16 * half));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + 16 * half));
            // Pixels 0 and 1, then 2 and 3, of the column pairs, each row pair summed.
            const __m128i low = _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
            const __m128i high = _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
            const __m128i lefts = _mm_unpacklo_epi64(low, high), rights = _mm_unpackhi_epi64(low, high);
            halves[half] = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(lefts, rights), two), 2);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(halves[0], halves[1]));
    }
    return x;
}
#else
UINT HalveRowWide(const BYTE*, const BYTE*, UINT, uint32_t*, size_t) { return 0; }
#endif

#ifdef ORV_AVX2_FILTER
// Four destination pixels, as their channels' 16-bit lanes, from eight
// pixels of each source row: the bytes of each pair of pixels interleaved
// channel by channel, so that one multiply-add sums each channel of the pair
// into a lane; the rows' sums added, then rounded and quartered in one step:
// the rounding multiply by 2^13 gives ((s * 2^13 >> 14) + 1) >> 1, which is
// (s + 2) >> 2 for every sum of four bytes.
__attribute__((target("avx2"))) inline __m256i QuarterSums(const BYTE* upper, const BYTE* lower) {
    const __m256i pairs = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15,  //
                                           0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
    const __m256i ones = _mm256_set1_epi8(1), quarter = _mm256_set1_epi16(1 << 13);
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(upper));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lower));
    const __m256i sum = _mm256_add_epi16(_mm256_maddubs_epi16(_mm256_shuffle_epi8(a, pairs), ones),
                                         _mm256_maddubs_epi16(_mm256_shuffle_epi8(b, pairs), ones));
    return _mm256_mulhrs_epi16(sum, quarter);
}

// Eight destination pixels at a time from sixteen pixels of each source row,
// where the processor has 256-bit integer vectors. Returns the pixels done.
__attribute__((target("avx2"))) UINT HalveRowAvx2(const BYTE* top, const BYTE* bottom, UINT width,
                                                  uint32_t* out, size_t ahead) {
    UINT x = 0;
    for (; x + 8 <= width; x += 8) {
        const SourcePair pair = PairAt(top, bottom, x, ahead);
        // Each 128-bit half packs two pixels of each four: 0 1 4 5 | 2 3 6 7.
        const __m256i packed =
            _mm256_packus_epi16(QuarterSums(pair.upper, pair.lower), QuarterSums(pair.upper + 32, pair.lower + 32));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x),
                            _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    return x;
}

bool HasAvx2() {
    static const bool avx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return avx2;
}
#else
UINT HalveRowAvx2(const BYTE*, const BYTE*, UINT, uint32_t*, size_t) { return 0; }
bool HasAvx2() { return false; }
#endif

}  // namespace

// Two horizontally adjacent pixels are read as one 64-bit word; their
// channels are spread into 16-bit lanes, the two rows added lane by lane and
// then the two halves of the word. Rows go eight or four pixels at a time
// where the processor has 256- or 128-bit integer vectors. A level too large
// for the cache arrives from memory a row at a time, each row starting a new
// stream the processor has not seen: while one row pair is filtered, the next
// one's lines at the same columns are fetched (or the same lines again on the
// last pair, which costs nothing).
void HalveRow(const PixelView& source, UINT row, const PixelView& destination, UINT y) {
    constexpr uint64_t kWideLanes = 0x00FF00FF00FF00FFull;
    const BYTE* top = reinterpret_cast<const BYTE*>(source.Row(row));
    const BYTE* bottom = reinterpret_cast<const BYTE*>(source.Row(row + 1));
    const size_t ahead = row + 3 < source.height ? 2 * source.pitch : 0;
    uint32_t* out = destination.Row(y);
    UINT x = HasAvx2() ? HalveRowAvx2(top, bottom, destination.width, out, ahead) : 0;
    x += HalveRowWide(top + 8 * size_t{x}, bottom + 8 * size_t{x}, destination.width - x, out + x, ahead);
    for (; x < destination.width; ++x) {
        uint64_t upper, lower;
        std::memcpy(&upper, top + 8 * size_t{x}, 8);
        std::memcpy(&lower, bottom + 8 * size_t{x}, 8);
        const uint64_t blueRed = (upper & kWideLanes) + (lower & kWideLanes);
        const uint64_t greenAlpha = (upper >> 8 & kWideLanes) + (lower >> 8 & kWideLanes);
        const uint32_t blueRedSum = static_cast<uint32_t>(blueRed) + static_cast<uint32_t>(blueRed >> 32) + 0x00020002;
        const uint32_t greenAlphaSum =
            static_cast<uint32_t>(greenAlpha) + static_cast<uint32_t>(greenAlpha >> 32) + 0x00020002;
        out[x] = (blueRedSum >> 2 & kLanes) | (greenAlphaSum >> 2 & kLanes) << 8;
    }
}

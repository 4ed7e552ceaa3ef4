#include "DxtEncoder.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

unsigned To565(unsigned r, unsigned g, unsigned b) {
    return ((r * 31 + 127) / 255) << 11 | ((g * 63 + 127) / 255) << 5 | ((b * 31 + 127) / 255);
}

void From565(unsigned c, int* rgb) {
    rgb[0] = static_cast<int>(((c >> 11) * 255 + 15) / 31);
    rgb[1] = static_cast<int>((((c >> 5) & 63) * 255 + 31) / 63);
    rgb[2] = static_cast<int>(((c & 31) * 255 + 15) / 31);
}

void Put16(uint8_t* out, unsigned v) {
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
}

void EncodeColour(const uint8_t* rgba, bool dxt1, uint8_t* out) {
    bool transparent = false;
    int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
    for (int p = 0; p < 16; ++p) {
        const uint8_t* px = rgba + 4 * p;
        if (dxt1 && px[3] < 128) {
            transparent = true;
            continue;
        }
        for (int i = 0; i < 3; ++i) {
            low[i] = std::min<int>(low[i], px[i]);
            high[i] = std::max<int>(high[i], px[i]);
        }
    }
    if (low[0] > high[0]) low[0] = low[1] = low[2] = high[0] = high[1] = high[2] = 0;
    unsigned c0 = To565(high[0], high[1], high[2]), c1 = To565(low[0], low[1], low[2]);
    // Four colours need c0 > c1, three colours (with transparency) c0 <= c1.
    if (transparent ? c0 > c1 : c0 < c1) std::swap(c0, c1);
    const bool three = transparent || (dxt1 && c0 == c1);
    int a[3], b[3], palette[4][3];
    From565(c0, a);
    From565(c1, b);
    for (int i = 0; i < 3; ++i) {
        palette[0][i] = a[i];
        palette[1][i] = b[i];
        palette[2][i] = three ? (a[i] + b[i]) / 2 : (2 * a[i] + b[i] + 1) / 3;
        palette[3][i] = three ? 0 : (a[i] + 2 * b[i] + 1) / 3;
    }
    uint32_t indices = 0;
    for (int p = 0; p < 16; ++p) {
        const uint8_t* px = rgba + 4 * p;
        unsigned best = 0;
        if (transparent && px[3] < 128) {
            best = 3;
        } else {
            int bestDistance = INT_MAX;
            for (unsigned e = 0; e < (three ? 3u : 4u); ++e) {
                int distance = 0;
                for (int i = 0; i < 3; ++i) distance += (px[i] - palette[e][i]) * (px[i] - palette[e][i]);
                if (distance < bestDistance) bestDistance = distance, best = e;
            }
        }
        indices |= best << (2 * p);
    }
    Put16(out, c0);
    Put16(out + 2, c1);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(indices >> (8 * i));
}

void EncodeExplicitAlpha(const uint8_t* rgba, uint8_t* out) {
    for (int r = 0; r < 4; ++r) {
        unsigned row = 0;
        for (int c = 0; c < 4; ++c) row |= ((rgba[4 * (4 * r + c) + 3] * 15u + 127) / 255) << (4 * c);
        Put16(out + 2 * r, row);
    }
}

void EncodeInterpolatedAlpha(const uint8_t* rgba, uint8_t* out) {
    int a0 = 0, a1 = 255;
    for (int p = 0; p < 16; ++p) {
        a0 = std::max<int>(a0, rgba[4 * p + 3]);
        a1 = std::min<int>(a1, rgba[4 * p + 3]);
    }
    int values[8] = {a0, a1};
    for (int i = 2; i < 8; ++i) values[i] = ((8 - i) * a0 + (i - 1) * a1 + 3) / 7;
    uint64_t bits = 0;
    for (int p = 0; p < 16; ++p) {
        unsigned best = 0;
        int bestDistance = INT_MAX;
        for (unsigned e = 0; e < (a0 > a1 ? 8u : 1u); ++e) {
            const int distance = std::abs(rgba[4 * p + 3] - values[e]);
            if (distance < bestDistance) bestDistance = distance, best = e;
        }
        bits |= static_cast<uint64_t>(best) << (3 * p);
    }
    out[0] = static_cast<uint8_t>(a0);
    out[1] = static_cast<uint8_t>(a1);
    for (int i = 0; i < 6; ++i) out[2 + i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace

void EncodeDxtBlock(const uint8_t* rgba, int compression, uint8_t* out) {
    if (compression == 1) {
        EncodeColour(rgba, true, out);
        return;
    }
    if (compression <= 3)
        EncodeExplicitAlpha(rgba, out);
    else
        EncodeInterpolatedAlpha(rgba, out);
    EncodeColour(rgba, false, out + 8);
}

#include "DxtEncoder.h"

#include <algorithm>
#include <climits>
#include <cmath>
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

// The two ends of the line that best fits the block's colours: the mean
// moved along the colours' principal direction (found by power iteration on
// their covariance) to the smallest and largest projection. Ends taken from
// the per-channel minima and maxima instead miss every block whose channels
// do not rise together.
void FitLine(const uint8_t* rgba, const bool* used, int* low, int* high) {
    double mean[3] = {0, 0, 0};
    int count = 0;
    for (int p = 0; p < 16; ++p)
        if (used[p]) {
            for (int i = 0; i < 3; ++i) mean[i] += rgba[4 * p + i];
            ++count;
        }
    if (count == 0) {
        for (int i = 0; i < 3; ++i) low[i] = high[i] = 0;
        return;
    }
    for (double& m : mean) m /= count;
    double covariance[3][3] = {};
    for (int p = 0; p < 16; ++p)
        if (used[p])
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    covariance[i][j] += (rgba[4 * p + i] - mean[i]) * (rgba[4 * p + j] - mean[j]);
    // Start from the column of the channel that varies most.
    int widest = 0;
    for (int i = 1; i < 3; ++i)
        if (covariance[i][i] > covariance[widest][widest]) widest = i;
    double axis[3] = {covariance[0][widest], covariance[1][widest], covariance[2][widest]};
    for (int iteration = 0; iteration < 8; ++iteration) {
        double next[3] = {0, 0, 0};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) next[i] += covariance[i][j] * axis[j];
        const double length = std::sqrt(next[0] * next[0] + next[1] * next[1] + next[2] * next[2]);
        if (length < 1e-9) break;
        for (int i = 0; i < 3; ++i) axis[i] = next[i] / length;
    }
    const double length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    double lowest = 0, highest = 0;
    if (length >= 1e-9) {
        for (double& a : axis) a /= length;
        lowest = 1e300, highest = -1e300;
        for (int p = 0; p < 16; ++p)
            if (used[p]) {
                double t = 0;
                for (int i = 0; i < 3; ++i) t += (rgba[4 * p + i] - mean[i]) * axis[i];
                lowest = std::min(lowest, t);
                highest = std::max(highest, t);
            }
    }
    for (int i = 0; i < 3; ++i) {
        low[i] = std::clamp(static_cast<int>(std::lround(mean[i] + lowest * axis[i])), 0, 255);
        high[i] = std::clamp(static_cast<int>(std::lround(mean[i] + highest * axis[i])), 0, 255);
    }
}

void EncodeColour(const uint8_t* rgba, bool dxt1, uint8_t* out) {
    bool transparent = false;
    bool used[16];
    for (int p = 0; p < 16; ++p) {
        used[p] = !(dxt1 && rgba[4 * p + 3] < 128);
        transparent = transparent || !used[p];
    }
    int low[3], high[3];
    FitLine(rgba, used, low, high);
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

#include "Resample.h"

#include <cmath>
#include <vector>

namespace {

// Where destination index i samples the source along one side: the two
// neighbouring source indices and the weight of the second, in 1/256.
struct Sample {
    UINT first, second;
    uint32_t weight;
};

std::vector<Sample> Samples(UINT from, UINT to) {
    std::vector<Sample> samples(to);
    const double scale = static_cast<double>(from) / to;
    for (UINT i = 0; i < to; ++i) {
        double at = (i + 0.5) * scale - 0.5;
        if (at < 0) at = 0;
        if (at > from - 1) at = from - 1;
        const UINT first = static_cast<UINT>(at);
        samples[i].first = first;
        samples[i].second = first + 1 < from ? first + 1 : first;
        samples[i].weight = static_cast<uint32_t>(std::lround((at - first) * 256));
    }
    return samples;
}

uint32_t Blend(uint32_t a, uint32_t b, uint32_t weight) {
    uint32_t pixel = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t x = a >> shift & 0xFF, y = b >> shift & 0xFF;
        pixel |= ((x * (256 - weight) + y * weight + 128) >> 8) << shift;
    }
    return pixel;
}

}  // namespace

void Resample(const PixelView& source, const PixelView& destination) {
    const std::vector<Sample> columns = Samples(source.width, destination.width);
    const std::vector<Sample> rows = Samples(source.height, destination.height);
    for (UINT y = 0; y < destination.height; ++y) {
        const uint32_t* upper = source.Row(rows[y].first);
        const uint32_t* lower = source.Row(rows[y].second);
        uint32_t* out = destination.Row(y);
        for (UINT x = 0; x < destination.width; ++x) {
            const Sample& column = columns[x];
            out[x] = Blend(Blend(upper[column.first], upper[column.second], column.weight),
                           Blend(lower[column.first], lower[column.second], column.weight),
                           rows[y].weight);
        }
    }
}

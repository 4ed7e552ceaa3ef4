#include "orvreplayFrameComparison.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace orvreplay {
namespace {

constexpr int kChannelMost = 255;
// Where the pictures agree, the replayed picture shows through at a quarter
// of its brightness, so that a difference can be placed in the scene.
constexpr int kBackgroundShift = 2;
// The least red of a pixel over the tolerance: small differences still show.
constexpr int kLeastRed = 96;

int Channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

int LargestChannelDifference(uint32_t a, uint32_t b) {
    int largest = 0;
    for (int shift : {0, 8, 16})
        largest = std::max(largest, std::abs(Channel(a, shift) - Channel(b, shift)));
    return largest;
}

}  // namespace

void FrameComparison::Compare(const orvhost::Image& replayed, const orvhost::Image& reference) {
    m_Picture = orvhost::Image();
    if (replayed.width != reference.width || replayed.height != reference.height ||
        replayed.argb.size() != reference.argb.size() || replayed.argb.empty()) {
        m_Largest = kChannelMost;
        m_ShareOver = 1.0;
        return;
    }
    m_Largest = 0;
    m_Picture.width = replayed.width;
    m_Picture.height = replayed.height;
    m_Picture.argb.resize(replayed.argb.size());
    size_t over = 0;
    for (size_t i = 0; i < replayed.argb.size(); ++i) {
        const int difference = LargestChannelDifference(replayed.argb[i], reference.argb[i]);
        m_Largest = std::max(m_Largest, difference);
        if (difference > m_Tolerance) {
            ++over;
            const int red = kLeastRed + (kChannelMost - kLeastRed) * difference / kChannelMost;
            m_Picture.argb[i] = 0xFF000000u | static_cast<uint32_t>(red) << 16;
        } else {
            m_Picture.argb[i] = 0xFF000000u | ((replayed.argb[i] >> kBackgroundShift) & 0x3F3F3Fu);
        }
    }
    m_ShareOver = static_cast<double>(over) / static_cast<double>(replayed.argb.size());
}

std::string FrameComparison::Describe() const {
    char text[96];
    std::snprintf(text, sizeof text, "largest difference %d, %.2f %% of pixels over %d", m_Largest,
                  100.0 * m_ShareOver, m_Tolerance);
    return text;
}

}  // namespace orvreplay

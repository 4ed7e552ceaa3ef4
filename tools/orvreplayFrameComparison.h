// How far a replayed frame is from the same frame saved elsewhere (another
// build of the plug-in, another runtime, the live run): the largest
// difference of any colour channel, the share of pixels whose largest channel
// difference is over a tolerance, and a picture of where they differ.
#pragma once

#include <string>

#include "orvhostImage.h"

namespace orvreplay {

class FrameComparison {
public:
    // `tolerance`: a pixel differs when one of its channels differs by more.
    explicit FrameComparison(int tolerance) : m_Tolerance(tolerance) {}

    // Compares `replayed` with `reference`. Pictures of different sizes
    // differ everywhere (largest difference 255, every pixel over).
    void Compare(const orvhost::Image& replayed, const orvhost::Image& reference);

    int LargestDifference() const { return m_Largest; }
    // Pixels over the tolerance, as a share of the picture's pixels (0..1).
    double ShareOver() const { return m_ShareOver; }
    bool Differs() const { return m_ShareOver > 0.0; }
    // The replayed picture darkened to a quarter, with the pixels over the
    // tolerance in red, brighter the larger their difference; empty when the
    // sizes differ.
    const orvhost::Image& Picture() const { return m_Picture; }
    // "largest difference 12, 0.41 % of pixels over 8"
    std::string Describe() const;

private:
    int m_Tolerance;
    int m_Largest = 0;
    double m_ShareOver = 0.0;
    orvhost::Image m_Picture;
};

}  // namespace orvreplay

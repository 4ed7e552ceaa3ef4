// Where the scenes of WineSuite.h land on the screen and what colour the
// checks expect there: projections computed from the scene's numbers, points
// well inside and well outside a triangle, channel arithmetic, and pixel
// comparisons with a tolerance.
#pragma once

#include <string>
#include <vector>

#include "WineSuite.h"
#include "orvhostImage.h"

namespace winesuite {

struct ScreenPoint {
    float x, y;
};

// A scene vertex through the orthographic projection of the whole client area.
ScreenPoint OrthoPoint(const SceneVertex& vertex);

struct ScreenTriangle {
    ScreenPoint p[3];
};
ScreenTriangle OrthoOf(const SceneTriangle& triangle);

ScreenPoint Centroid(const ScreenTriangle& triangle);
// For each corner, a point `distance` pixels beyond it, away from the centroid.
std::vector<ScreenPoint> BeyondCorners(const ScreenTriangle& triangle, float distance);

// Colours as floats 0 to 1, red, green, blue, alpha.
struct Rgba {
    float r, g, b, a;
};
Rgba Unpacked(unsigned argb);
// What the driver's ToD3DColor makes of the clear colour (truncation), unpacked.
Rgba ClearColourOf(const Rgb& clear);
// source × source alpha + destination × (1 − source alpha).
Rgba AlphaBlended(const Rgba& source, const Rgba& destination);
Rgba Scaled(const Rgba& colour, float factor);  // clamped to 1

// The pixel nearest `point` is `expected` within `tolerance` per channel (of 255).
void ExpectColourAt(const orvhost::Image& image, ScreenPoint point, const Rgba& expected,
                    int tolerance, const std::string& what);

}  // namespace winesuite

// Where the scenes of WineSuite.h land on the screen and what colour the
// checks expect there: projections computed from the scene's numbers, points
// well inside and well outside a triangle, channel arithmetic, and pixel
// comparisons with a tolerance.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "WineSuite.h"
#include "orvhostImage.h"

namespace winesuite {

struct ScreenPoint {
    float x, y;
};

// A scene vertex through the orthographic projection of the whole client area.
inline ScreenPoint OrthoPoint(const SceneVertex& vertex) {
    return {vertex.x + kWidth / 2.0f, kHeight / 2.0f - vertex.y};
}

struct ScreenTriangle {
    ScreenPoint p[3];
};
inline ScreenTriangle OrthoOf(const SceneTriangle& triangle) {
    return {{OrthoPoint(triangle.v[0]), OrthoPoint(triangle.v[1]), OrthoPoint(triangle.v[2])}};
}

inline ScreenPoint Centroid(const ScreenTriangle& t) {
    return {(t.p[0].x + t.p[1].x + t.p[2].x) / 3.0f, (t.p[0].y + t.p[1].y + t.p[2].y) / 3.0f};
}

// For each corner, a point `distance` pixels beyond it, away from the centroid.
inline std::vector<ScreenPoint> BeyondCorners(const ScreenTriangle& triangle, float distance) {
    const ScreenPoint centre = Centroid(triangle);
    std::vector<ScreenPoint> points;
    for (const ScreenPoint& corner : triangle.p) {
        const float dx = corner.x - centre.x, dy = corner.y - centre.y;
        const float length = std::sqrt(dx * dx + dy * dy);
        points.push_back({corner.x + dx / length * distance, corner.y + dy / length * distance});
    }
    return points;
}

// Colours as floats 0 to 1, red, green, blue, alpha.
struct Rgba {
    float r, g, b, a;
};
inline Rgba Unpacked(unsigned argb) {
    return {((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
            (argb >> 24) / 255.0f};
}

// What the driver's ToD3DColor makes of the clear colour (truncation), unpacked.
inline Rgba ClearColourOf(const Rgb& clear) {
    const auto channel = [](float value) { return std::trunc(value * 255.0f) / 255.0f; };
    return {channel(clear.r), channel(clear.g), channel(clear.b), 1.0f};
}

// source × source alpha + destination × (1 − source alpha).
inline Rgba AlphaBlended(const Rgba& s, const Rgba& d) {
    return {s.r * s.a + d.r * (1.0f - s.a), s.g * s.a + d.g * (1.0f - s.a),
            s.b * s.a + d.b * (1.0f - s.a), s.a * s.a + d.a * (1.0f - s.a)};
}

// Clamped to 1.
inline Rgba Scaled(const Rgba& c, float factor) {
    return {std::min(1.0f, c.r * factor), std::min(1.0f, c.g * factor),
            std::min(1.0f, c.b * factor), std::min(1.0f, c.a * factor)};
}

// The pixel nearest `point` is `expected` within `tolerance` per channel (of 255).
inline void ExpectColourAt(const orvhost::Image& image, ScreenPoint point, const Rgba& expected,
                           int tolerance, const std::string& what) {
    const int x = static_cast<int>(std::floor(point.x)), y = static_cast<int>(std::floor(point.y));
    ASSERT_TRUE(x >= 0 && y >= 0 && x < image.width && y < image.height)
        << what << ": (" << x << ", " << y << ") is off the picture";
    const unsigned pixel = image.At(x, y);
    const float channels[] = {expected.r, expected.g, expected.b};
    const char* names[] = {"red", "green", "blue"};
    for (int c = 0; c < 3; ++c) {
        const int actual = static_cast<int>((pixel >> (16 - 8 * c)) & 0xFF);
        const int wanted = static_cast<int>(std::lround(channels[c] * 255.0f));
        EXPECT_LE(std::abs(actual - wanted), tolerance)
            << what << " at (" << x << ", " << y << "): " << names[c] << " is " << actual
            << ", expected " << wanted;
    }
}

}  // namespace winesuite

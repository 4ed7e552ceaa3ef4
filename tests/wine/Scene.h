// What the checks of the Wine suite share: the client area and the lines
// printed on it, screen points as the host's vertices under an orthographic
// projection of the whole client area, and colours as the runtime blends them
// and the checks find them on the screen, with a tolerance.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "host/RenderDevice.h"
#include "orvhostImage.h"

namespace winesuite {

constexpr unsigned kWidth = 640, kHeight = 480;
constexpr int kTolerance = 3;  // Mesa's software rasteriser rounds
constexpr float kNear = 10.0f;

// Colours as floats 0 to 1.
struct Rgba {
    float r, g, b, a;
};
constexpr Rgba kFrameClear = {0.25f, 0.5f, 0.75f, 1.0f};

struct PrintedLine {
    int x, y;
    const char* text;
};
constexpr PrintedLine kLines[] = {
    {10, 10, "Wine suite: first line"},
    {40, 200, "MMMMMMMMMM"},
    {300, 400, "per cent 100% drawn"},
};

struct ScreenPoint {
    float x, y;
};

// Origin in the middle, y up; facing the viewer (the normal points to -z).
inline Vertex ToVertex(ScreenPoint point, float z, unsigned colour) {
    Vertex vertex;
    vertex.position = Vector3D(point.x - kWidth / 2.0f, kHeight / 2.0f - point.y, z);
    vertex.normal = Vector3D(0.0f, 0.0f, -1.0f);
    vertex.diffuse = colour;
    return vertex;
}

// World and view the identity.
inline void SetOrthographic(RenderDevice* device) {
    const Matrix3D projection = device->BuildOrthoMatrix(static_cast<float>(kWidth), static_cast<float>(kHeight)),
                   identity;
    device->SetProjectionMatrix(&projection);
    device->SetWorldMatrix(&identity);
    device->SetViewMatrix(&identity);
}

inline int Channel(unsigned argb, int shift) { return static_cast<int>((argb >> shift) & 0xFF); }

// A colour as the screen holds it, each channel rounded to 8 bits.
inline unsigned PackedColour(const Rgba& colour) {
    const auto byte = [](float value) {
        return static_cast<unsigned>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
    };
    return 0xFF000000u | byte(colour.r) << 16 | byte(colour.g) << 8 | byte(colour.b);
}

inline Rgba Unpacked(unsigned argb) {
    return {Channel(argb, 16) / 255.0f, Channel(argb, 8) / 255.0f, Channel(argb, 0) / 255.0f,
            (argb >> 24) / 255.0f};
}
inline Rgba Opaque(unsigned argb) { return Unpacked(argb | 0xFF000000u); }

// What the driver's ToD3DColor makes of the clear colour (truncation).
inline Rgba ClearColourOf(const Rgba& clear) {
    const auto channel = [](float value) { return std::trunc(value * 255.0f) / 255.0f; };
    return {channel(clear.r), channel(clear.g), channel(clear.b), 1.0f};
}

// source × source alpha + destination × (1 − source alpha).
inline Rgba AlphaBlended(const Rgba& s, const Rgba& d) {
    return {s.r * s.a + d.r * (1.0f - s.a), s.g * s.a + d.g * (1.0f - s.a), s.b * s.a + d.b * (1.0f - s.a),
            s.a * s.a + d.a * (1.0f - s.a)};
}

// The pixel nearest `point` is `expected` within `tolerance` per channel (of 255).
inline void ExpectColourAt(const orvhost::Image& image, ScreenPoint point, const Rgba& expected,
                           const std::string& what, int tolerance = kTolerance) {
    const int x = static_cast<int>(std::floor(point.x)), y = static_cast<int>(std::floor(point.y));
    ASSERT_TRUE(x >= 0 && y >= 0 && x < image.width && y < image.height)
        << what << ": (" << x << ", " << y << ") is off the picture";
    const float channels[] = {expected.r, expected.g, expected.b};
    const char* names[] = {"red", "green", "blue"};
    for (int c = 0; c < 3; ++c) {
        const long actual = Channel(image.At(x, y), 16 - 8 * c), wanted = std::lround(channels[c] * 255.0f);
        EXPECT_LE(std::abs(actual - wanted), tolerance) << what << " at (" << x << ", " << y << "): " << names[c]
                                                        << " is " << actual << ", expected " << wanted;
    }
}

}  // namespace winesuite
